// Uncompressed 24-bit Windows bitmaps stored bottom-up.
#pragma once
#include "render2d/PixelBuffer.h"

// Decodes a whole BMP file held in memory into an RGB buffer. fileName only
// goes into messages. Returns false with the message to show when the data
// cannot give an image.
bool DecodeBMP(const uint8_t* data, size_t size, const std::string& fileName, TPixelBuffer& image,
               TImageFailure& failure);
