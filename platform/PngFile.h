// Writing pictures as PNG files (8-bit RGB), and reading them back, through
// libpng.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes width x height RGB pixels, rows bottom first as OpenGL reads them
// back, as a PNG whose first row is the picture's top. On failure returns
// false with the reason and leaves no file under that name.
bool WritePngBottomUp(const std::string& path, int width, int height, const uint8_t* rgb, std::string& reason);

// The largest side a read picture may have.
constexpr int MaxPngSide = 16384;
// Reads a PNG of any colour type as 8-bit RGB, rows top first, from its
// bytes; false with the reason for anything that is not a whole PNG of at
// most MaxPngSide on a side.
bool ReadPngImage(const uint8_t* bytes, size_t size, int& width, int& height, std::vector<uint8_t>& rgb,
                  std::string& reason);
// The same from a file.
bool ReadPngFile(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgb, std::string& reason);
