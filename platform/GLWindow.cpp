#include "platform/GLWindow.h"

#include <GL/gl.h>

#include "platform/GLLibraries.h"
#include "platform/Message.h"
#include "platform/Presentation.h"
#include "platform/WindowBackend.h"

TGLWindow ActiveWindow;
bool FullscreenMode = false;
bool WindowKeys[512] = {};
const float FarPlane = 100000.0f;

namespace {
bool QuitSeen = false;

void WindowError(const char* text) { ShowMessage("Error", text); }

// What the window does with each of its events.
void HandleWindowEvent(const WindowEvent& event) {
  switch (event.Type) {
    case WindowEvent::Quit:
    case WindowEvent::Close:
      QuitSeen = true;
      break;
    case WindowEvent::Resize:
      // Frames keep their size; only where they land on the surface changes.
      SetSurfaceSize(event.Width, event.Height);
      break;
    case WindowEvent::KeyDown:
    case WindowEvent::KeyUp:
      if (event.Key >= 0 && event.Key < 512) WindowKeys[event.Key] = event.Type == WindowEvent::KeyDown;
      break;
    case WindowEvent::Other:
      break;
  }
}
}  // namespace

bool BuildGLWindow(int width, int height, int bits, TGLWindow& window, const std::string& title, bool fullscreen,
                   bool desktop) {
  TGLWindow fresh;
  fresh.Title = title;
  fresh.Width = width;
  fresh.Height = height;
  fresh.Bits = bits;
  const bool made = SetupGLWindow(fresh, width, height, bits, fullscreen, desktop);
  ActiveWindow = fresh;
  window = fresh;
  return made;
}

bool BuildToolGLWindow(int width, int height, int frameWidth, int frameHeight, TGLWindow& window,
                       const std::string& title) {
  if (!BuildGLWindow(width, height, 32, window, title, false)) return false;
  window.Width = frameWidth;
  window.Height = frameHeight;
  ActiveWindow = window;
  ResizeViewport(frameWidth, frameHeight);
  return true;
}

bool SetupGLWindow(TGLWindow& window, int width, int height, int bits, bool fullscreen, bool desktop) {
  WindowBackend& backend = CurrentWindowBackend();
  FullscreenMode = fullscreen;
  if (!backend.StartVideo()) {
    WindowError("Failed to register the window class!");
    return false;
  }
  if (fullscreen && !desktop && !backend.FindDisplayMode(width, height, bits)) {
    WindowError("Unable to switch to fullscreen!");
    fullscreen = false;
  }
  if (fullscreen) backend.ShowCursor(false);

  PixelFormatRequest format;
  format.ColorBits = bits;
  bool fullscreenFailed = false;
  const ScreenMode mode = !fullscreen ? ScreenMode::Windowed : desktop ? ScreenMode::Desktop : ScreenMode::Fullscreen;
  window.Wnd = backend.OpenWindow(window.Title, width, height, mode, format, fullscreenFailed);
  if (window.Wnd == nullptr) {
    KillGLWindow(window, FullscreenMode);
    WindowError("Unable to create window!");
    return false;
  }
  if (fullscreenFailed) {
    WindowError("Unable to switch to fullscreen!");
    backend.ShowCursor(true);
  }
  window.DC = window.Wnd;
  window.RC = backend.CreateContext(window.Wnd);
  if (window.RC == nullptr) {
    KillGLWindow(window, FullscreenMode);
    WindowError("Unable to create an OpenGL rendering context");
    return false;
  }
  if (!backend.MakeCurrent(window.Wnd, window.RC)) {
    KillGLWindow(window, FullscreenMode);
    WindowError("Unable to activate OpenGL rendering context");
    return false;
  }
  backend.ShowWindow(window.Wnd);
  ResizeViewport(width, height);
  InitGLState();
  int surfaceWidth = 0, surfaceHeight = 0;
  if (backend.SurfaceSize(window.Wnd, surfaceWidth, surfaceHeight))
    StartPresentation(width, height, surfaceWidth, surfaceHeight, TFrameScale::Scaled);
  return true;
}

void KillGLWindow(TGLWindow& window, bool fullscreen) {
  WindowBackend& backend = CurrentWindowBackend();
  if (fullscreen) {
    backend.RestoreDisplayMode();
    backend.ShowCursor(true);
  }
  if (window.RC != nullptr) {
    if (!backend.MakeCurrent(window.Wnd, nullptr)) WindowError("Release of DC and RC failed!");
    if (!backend.DeleteContext(window.RC)) WindowError("Release of rendering context failed!");
    window.RC = nullptr;
  }
  window.DC = nullptr;
  if (window.Wnd != nullptr) {
    if (!backend.DestroyWindow(window.Wnd)) WindowError("Unable to destroy window!");
    window.Wnd = nullptr;
  }
  if (!backend.StopVideo()) WindowError("Unable to unregister window class!");
}

void ResizeViewport(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 1.0, FarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void InitGLState() {
  glClearColor(0.2f, 0.2f, 0.4f, 0.0f);
  glShadeModel(GL_SMOOTH);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glTexGenf(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGenf(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

void SetFieldOfView(float angle) {
  int height = ActiveWindow.Height == 0 ? 1 : ActiveWindow.Height;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(angle, static_cast<double>(ActiveWindow.Width) / static_cast<double>(height), 1.0, FarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

bool PresentFrame(const TGLWindow& window) {
  WindowBackend& backend = CurrentWindowBackend();
  glFlush();
  PumpWindowEvents();
  ComposeFrame();
  if (window.Wnd != nullptr) backend.SwapBuffers(window.Wnd);
  return QuitSeen;
}

void PumpWindowEvents() {
  WindowBackend& backend = CurrentWindowBackend();
  WindowEvent event;
  while (backend.PollEvent(event)) HandleWindowEvent(event);
}

int SetVerticalSync(bool on) {
  WindowBackend& backend = CurrentWindowBackend();
  if (!on) {
    backend.SetSwapInterval(0);
    return 0;
  }
  if (backend.SetSwapInterval(-1)) return -1;
  return backend.SetSwapInterval(1) ? 1 : 0;
}

bool QuitRequested() { return QuitSeen; }
void ResetQuitRequest() { QuitSeen = false; }
