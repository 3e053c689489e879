// Writing pictures as PNG files (8-bit RGB), through libpng.
#pragma once
#include <cstdint>
#include <string>

// Writes width x height RGB pixels, rows bottom first as OpenGL reads them
// back, as a PNG whose first row is the picture's top. On failure returns
// false with the reason and leaves no file under that name.
bool WritePngBottomUp(const std::string& path, int width, int height, const uint8_t* rgb, std::string& reason);
