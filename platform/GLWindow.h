// The program's one OpenGL window: creation with its pixel format and GL
// state, the perspective projection, and presenting each frame.
#pragma once
#include <string>

struct TGLWindow {
  void* Wnd = nullptr;  // the platform window
  void* DC = nullptr;   // the surface drawn to; the window itself on this platform
  void* RC = nullptr;   // the GL context
  std::string Title;
  int Width = 0;   // as requested at creation; not updated on resize
  int Height = 0;
  int Bits = 0;
};

extern TGLWindow ActiveWindow;
extern bool FullscreenMode;
// Key-down state kept from the window's own key events, by platform key code.
extern bool WindowKeys[512];
// Far clipping distance of every perspective projection.
extern const float FarPlane;

// With desktop, full screen takes the desktop's resolution and the display
// mode is left alone. Frames are drawn in width x height units and fitted
// to whatever surface the window turns out to have (platform/Presentation.h).
// False, once the failing step's message has been shown, when there is no
// window with a current GL context: nothing can be drawn then.
bool BuildGLWindow(int width, int height, int bits, TGLWindow& window, const std::string& title, bool fullscreen,
                   bool desktop = false);
bool SetupGLWindow(TGLWindow& window, int width, int height, int bits, bool fullscreen, bool desktop = false);
// A resizable window of width x height pixels for a tool that draws frames
// inside a user interface of its own (an editor's preview): the frames are
// still drawn in frameWidth x frameHeight units, which the window record
// holds as its size, with the projection a window of that size has.
bool BuildToolGLWindow(int width, int height, int frameWidth, int frameHeight, TGLWindow& window,
                       const std::string& title);
void KillGLWindow(TGLWindow& window, bool fullscreen);
void ResizeViewport(int width, int height);
void InitGLState();
void SetFieldOfView(float angle);
// Presents frames in step with the display's refresh (adaptive where the
// driver offers it, else plain) or as soon as they are done. Returns what
// took: -1 adaptive, 1 plain, 0 none.
int SetVerticalSync(bool on);

// Handles every pending window event, then presents the frame. Returns true
// once a quit request (the window closed) has been seen.
bool PresentFrame(const TGLWindow& window);
// Handles every pending window event without presenting anything.
void PumpWindowEvents();
// Whether a quit request has reached PresentFrame; cleared only by tests.
bool QuitRequested();
void ResetQuitRequest();
