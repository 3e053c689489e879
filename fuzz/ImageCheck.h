// What every image decoder promises on any input: either an image whose
// pixel buffer holds exactly width x height pixels of its format, with sides
// that fit a texture, or a refusal that leaves a message to show.
#pragma once
#include <cstdint>

#include "render2d/PixelBuffer.h"

using TImageDecoder = bool (*)(const uint8_t*, size_t, const std::string&, TPixelBuffer&, TImageFailure&);

inline void CheckImageDecoder(TImageDecoder decode, const uint8_t* data, size_t size) {
  TPixelBuffer image;
  TImageFailure failure;
  if (decode(data, size, "fuzz", image, failure)) {
    if (image.Width <= 0 || image.Height <= 0 || image.Width > 0xFFFF || image.Height > 0xFFFF) __builtin_trap();
    if (image.Format != pfRGB && image.Format != pfRGBA) __builtin_trap();
    const size_t bytes = static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height) * image.Format;
    if (image.Pixels.size() != bytes) __builtin_trap();
    // Touches the first and the last pixel, so a short buffer shows up.
    volatile uint8_t sink = image.Pixels.front() ^ image.Pixels.back();
    (void)sink;
  } else if (failure.Caption.empty() || failure.Text.empty()) {
    __builtin_trap();
  }
}
