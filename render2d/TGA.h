// Truevision TGA images: uncompressed (type 2) and run-length encoded
// (type 10) true colour at 24 or 32 bits per pixel.
#pragma once
#include "render2d/PixelBuffer.h"

// Decodes a whole TGA file held in memory into an RGB (24-bit) or RGBA
// (32-bit) buffer, bottom row first whichever origin the file declares.
// Returns false with the message to show when the data cannot give an image.
bool DecodeTGA(const uint8_t* data, size_t size, const std::string& fileName, TPixelBuffer& image,
               TImageFailure& failure);
