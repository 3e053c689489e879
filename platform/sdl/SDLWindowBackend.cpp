// The window system on SDL2, with the GL context the system's build asks for
// (platform/GLContext.h).
#include <SDL.h>

#include "platform/GLContext.h"
#include "platform/WindowBackend.h"

namespace {
class SDLWindowBackend final : public WindowBackend {
 public:
  bool StartVideo() override { return SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0; }

  bool StopVideo() override {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return true;
  }

  bool FindDisplayMode(int width, int height, int bits) override {
    SDL_DisplayMode want{};
    want.w = width;
    want.h = height;
    want.format = bits >= 24 ? SDL_PIXELFORMAT_RGB888 : 0;
    return SDL_GetClosestDisplayMode(0, &want, &Mode) != nullptr;
  }

  void RestoreDisplayMode() override {
    if (Window != nullptr) SDL_SetWindowFullscreen(Window, 0);
  }

  void ShowCursor(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

  void* OpenWindow(const std::string& title, int width, int height, ScreenMode mode, const PixelFormatRequest& format,
                     bool& fullscreenFailed) override {
    fullscreenFailed = false;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, format.DoubleBuffer ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.DepthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.StencilBits);
    RequestGLContextAttributes();
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (mode == ScreenMode::Windowed) flags |= SDL_WINDOW_RESIZABLE;
    if (mode == ScreenMode::Desktop) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    Window = SDL_CreateWindow(title.c_str(), 0, 0, width, height, flags);
    if (Window == nullptr) return nullptr;
    // Where the window system hands back a surface of another size than the
    // mode asked for, the picture is fitted into it when presented.
    if (mode == ScreenMode::Fullscreen) {
      if (SDL_SetWindowDisplayMode(Window, &Mode) != 0 || SDL_SetWindowFullscreen(Window, SDL_WINDOW_FULLSCREEN) != 0)
        fullscreenFailed = true;
    }
    return Window;
  }

  bool DestroyWindow(void* window) override {
    SDL_DestroyWindow(static_cast<SDL_Window*>(window));
    if (window == Window) Window = nullptr;
    return true;
  }

  void* CreateContext(void* window) override { return SDL_GL_CreateContext(static_cast<SDL_Window*>(window)); }

  bool MakeCurrent(void* window, void* context) override {
    return SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window), static_cast<SDL_GLContext>(context)) == 0;
  }

  bool DeleteContext(void* context) override {
    if (context == nullptr) return false;
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    return true;
  }

  void ShowWindow(void* window) override {
    SDL_ShowWindow(static_cast<SDL_Window*>(window));
    SDL_RaiseWindow(static_cast<SDL_Window*>(window));
  }

  bool PollEvent(WindowEvent& event) override {
    SDL_Event e;
    if (SDL_PollEvent(&e) == 0) return false;
    event = WindowEvent{};
    switch (e.type) {
      case SDL_QUIT:
        event.Type = WindowEvent::Quit;
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
          event.Type = WindowEvent::Close;
        } else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && Window != nullptr &&
                   e.window.windowID == SDL_GetWindowID(Window)) {
          // Only the GL window's surface matters; other windows, such as the
          // preview's status window, have none.
          event.Type = WindowEvent::Resize;
          SDL_GL_GetDrawableSize(Window, &event.Width, &event.Height);
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        event.Type = e.type == SDL_KEYDOWN ? WindowEvent::KeyDown : WindowEvent::KeyUp;
        event.Key = static_cast<int>(e.key.keysym.scancode);
        break;
      default:
        break;
    }
    return true;
  }

  void SwapBuffers(void* window) override { SDL_GL_SwapWindow(static_cast<SDL_Window*>(window)); }

  bool SurfaceSize(void* window, int& width, int& height) override {
    SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(window), &width, &height);
    return width > 0 && height > 0;
  }

  bool SetSwapInterval(int interval) override { return SDL_GL_SetSwapInterval(interval) == 0; }
  void* GLProcAddress(const char* name) override { return GLContextProcAddress(name); }
  bool ContextCurrent() override { return SDL_GL_GetCurrentContext() != nullptr; }

 private:
  SDL_Window* Window = nullptr;
  SDL_DisplayMode Mode{};
};

SDLWindowBackend SdlBackend;
WindowBackend* Active = &SdlBackend;
}  // namespace

WindowBackend& CurrentWindowBackend() { return *Active; }
// A hint of default priority yields to SDL_VIDEODRIVER in the environment.
void PreferOffscreenVideo() {
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const char* name = SDL_GetVideoDriver(i);
    if (name != nullptr && SDL_strcmp(name, "offscreen") == 0) {
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
      return;
    }
  }
}
void SetWindowBackend(WindowBackend* backend) { Active = backend ? backend : &SdlBackend; }
