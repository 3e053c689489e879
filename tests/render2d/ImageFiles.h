// Small image files built byte by byte for the reader tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct RGB {
  uint8_t r, g, b;
};

// A 24-bit bottom-up BMP; rows are padded to four bytes. pixels: bottom row first.
Bytes MakeBMP(int width, int height, const std::vector<RGB>& pixels, bool writeSizeImage);
// An 18-byte TGA header.
Bytes TGAHeader(uint8_t imageType, uint8_t colourMapType, int width, int height, uint8_t depth,
                uint8_t descriptor = 0, uint8_t idLength = 0);
// A JPEG through libjpeg at quality 100 without chroma subsampling; pixels:
// top row first, as JPEG stores them. grey: one component (uses r).
Bytes MakeJPEG(int width, int height, const std::vector<RGB>& pixels, bool grey = false);

