// A small tool window beside the demo's own: a caption with a close box and a
// fixed client area painted in software from a block of pixels, with no GL.
// Its close box reaches the window events as the main window's does.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"


// Where a window of width x height asked for at (x, y) goes: where asked when
// it lies wholly on one of the screens, otherwise moved just inside the first
// screen's right edge (and bottom edge, should it reach past that) so that it
// can be seen. With no screens known it stays where asked.
void PlaceOnScreen(const std::vector<TPixelRect>& screens, int width, int height, int& x, int& y);

class TToolWindow {
 public:
  // Creates and shows the window with a client area of width x height.
  TToolWindow(const std::string& caption, int x, int y, int width, int height);
  ~TToolWindow();
  TToolWindow(const TToolWindow&) = delete;
  TToolWindow& operator=(const TToolWindow&) = delete;

  bool Created() const { return Window != nullptr; }
  // Where the window was put, in desktop coordinates.
  void Position(int& x, int& y) const;
  // Paints the client area: Width x Height pixels 0x00RRGGBB, top row first.
  void Paint(const std::vector<uint32_t>& pixels);

  const int Width;
  const int Height;

 private:
  void* Window = nullptr;
};
