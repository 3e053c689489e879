// The window system beneath the window module: video start-up, display mode,
// the window, the GL context, events and buffer swaps. The SDL backend is the
// default; tests put a fake in its place to see the window module's order of
// calls and its failure handling.
#pragma once
#include <string>

// What the window covers: a window of its own (which the user may resize
// and maximise), full screen in a display mode of the window's size, or full
// screen at the desktop's resolution without a mode switch.
enum class ScreenMode { Windowed, Fullscreen, Desktop };

struct WindowEvent {
  enum Kind { Quit, Close, Resize, KeyDown, KeyUp, Other };
  Kind Type = Other;
  int Width = 0;  // for Resize: the surface's new size in pixels
  int Height = 0;
  int Key = 0;  // platform key code, for the window's own key table
};

// What the window module asks of the pixel format: double buffering,
// 24 depth bits, at least one stencil bit, no destination alpha.
struct PixelFormatRequest {
  int ColorBits = 32;
  int DepthBits = 24;
  int StencilBits = 1;
  bool DoubleBuffer = true;
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;
  virtual bool StartVideo() = 0;
  virtual bool StopVideo() = 0;
  // Whether the display can be put into a mode of this size.
  virtual bool FindDisplayMode(int width, int height, int bits) = 0;
  virtual void RestoreDisplayMode() = 0;
  virtual void ShowCursor(bool visible) = 0;
  // Creates the window hidden at (0, 0). In Fullscreen the display mode is
  // switched; fullscreenFailed tells when that switch did not take.
  virtual void* OpenWindow(const std::string& title, int width, int height, ScreenMode mode,
                             const PixelFormatRequest& format, bool& fullscreenFailed) = 0;
  virtual bool DestroyWindow(void* window) = 0;
  virtual void* CreateContext(void* window) = 0;
  virtual bool MakeCurrent(void* window, void* context) = 0;
  virtual bool DeleteContext(void* context) = 0;
  virtual void ShowWindow(void* window) = 0;
  virtual bool PollEvent(WindowEvent& event) = 0;
  virtual void SwapBuffers(void* window) = 0;
  // The pixel size of the window's GL surface; false where the window
  // system cannot tell, and then frames go straight into the window.
  virtual bool SurfaceSize(void*, int&, int&) { return false; }
  // 0: present at once; 1: wait for the vertical blank; -1: wait unless
  // the frame is late. False when the driver does not offer it.
  virtual bool SetSwapInterval(int) { return false; }
  // An OpenGL entry point of the current context beyond OpenGL 1.1, which
  // not every system's GL library exports; nullptr when it has none.
  virtual void* GLProcAddress(const char*) { return nullptr; }
  // Whether a GL context is current on this thread.
  virtual bool ContextCurrent() { return false; }
};

WindowBackend& CurrentWindowBackend();
// Picks the window system's offscreen video driver unless the environment
// names a driver: for runs whose frames nobody watches. Where the system has
// no such driver, the ordinary one is used.
void PreferOffscreenVideo();
// nullptr restores the SDL backend.
void SetWindowBackend(WindowBackend* backend);
