// The tool window on SDL2: a utility window whose surface is painted directly.
#include <SDL.h>

#include <algorithm>

#include "platform/ToolWindow.h"

namespace {
bool Contains(const TPixelRect& screen, int x, int y, int width, int height) {
  return x >= screen.X && y >= screen.Y && x + width <= screen.X + screen.Width &&
         y + height <= screen.Y + screen.Height;
}

// Whatever the window system does for this window, the demo's GL context is
// current again afterwards.
struct TKeepGLContext {
  SDL_Window* Window = SDL_GL_GetCurrentWindow();
  SDL_GLContext Context = SDL_GL_GetCurrentContext();
  ~TKeepGLContext() {
    if (Window != nullptr && Context != nullptr && SDL_GL_GetCurrentContext() != Context)
      SDL_GL_MakeCurrent(Window, Context);
  }
};

std::vector<TPixelRect> Screens() {
  std::vector<TPixelRect> screens;
  const int count = SDL_GetNumVideoDisplays();
  for (int k = 0; k < count; ++k) {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(k, &bounds) == 0) screens.push_back({bounds.x, bounds.y, bounds.w, bounds.h});
  }
  return screens;
}
}  // namespace

void PlaceOnScreen(const std::vector<TPixelRect>& screens, int width, int height, int& x, int& y) {
  if (screens.empty()) return;
  for (const TPixelRect& screen : screens)
    if (Contains(screen, x, y, width, height)) return;
  const TPixelRect& first = screens.front();
  x = std::max(first.X, std::min(x, first.X + first.Width - width));
  y = std::max(first.Y, std::min(y, first.Y + first.Height - height));
}

TToolWindow::TToolWindow(const std::string& caption, int x, int y, int width, int height)
    : Width(width), Height(height) {
  const TKeepGLContext keep;
  // The window is painted from memory: no renderer of its own, whose GL
  // context would take the place of the demo's.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
  std::vector<TPixelRect> screens = Screens();
  int placedX = x, placedY = y;
  PlaceOnScreen(screens, width, height, placedX, placedY);
  SDL_Window* window = SDL_CreateWindow(caption.c_str(), placedX, placedY, width, height,
                                        SDL_WINDOW_UTILITY | SDL_WINDOW_SHOWN);
  Window = window;
  if (window == nullptr) return;
  // Placed again with the frame the window manager put around it, so that
  // the frame too stays on the screen.
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0 && left + right + top + bottom > 0) {
    int outerX = x - left, outerY = y - top;
    PlaceOnScreen(screens, width + left + right, height + top + bottom, outerX, outerY);
    SDL_SetWindowPosition(window, outerX + left, outerY + top);
  }
}

TToolWindow::~TToolWindow() {
  if (Window != nullptr) SDL_DestroyWindow(static_cast<SDL_Window*>(Window));
}

void TToolWindow::Position(int& x, int& y) const {
  x = y = 0;
  if (Window != nullptr) SDL_GetWindowPosition(static_cast<SDL_Window*>(Window), &x, &y);
}

void TToolWindow::Paint(const std::vector<uint32_t>& pixels) {
  if (Window == nullptr || pixels.size() != static_cast<size_t>(Width) * Height) return;
  const TKeepGLContext keep;
  SDL_Window* window = static_cast<SDL_Window*>(Window);
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (target == nullptr) return;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels.data()), Width, Height, 32,
                                                           Width * 4, SDL_PIXELFORMAT_RGB888);
  if (source == nullptr) return;
  SDL_BlitSurface(source, nullptr, target, nullptr);
  SDL_FreeSurface(source);
  SDL_UpdateWindowSurface(window);
}
