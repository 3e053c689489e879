// A decoded image on its way to OpenGL: tightly packed rows, the first row in
// memory being the bottom row of the image, bytes R, G, B(, A). The decoders
// fill one from a file's bytes and report failures as the message to show.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum TPixelFormat : int32_t { pfRGB = 3, pfRGBA = 4 };  // value = bytes per pixel

struct TPixelBuffer {
  int32_t Width = 0;
  int32_t Height = 0;
  TPixelFormat Format = pfRGB;
  std::vector<uint8_t> Pixels;
};

// The message box a failed decode shows.
struct TImageFailure {
  std::string Caption;
  std::string Text;
};

// The file name in double quotes, as the loaders' messages write it.
inline std::string QuotedName(const std::string& fileName) { return "\"" + fileName + "\""; }
