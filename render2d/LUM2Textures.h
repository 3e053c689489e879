// Image files into mipmapped OpenGL textures. The reader is chosen by the
// file name's ending: ".bmp", ".jpg"/".jpeg" and ".tga", in any letter case.
#pragma once
#include <cstdint>
#include <string>

// Loads the file into a new texture and stores its name in texture; returns
// false (texture untouched) when the file cannot be loaded.
bool LoadTexture(const std::string& fileName, uint32_t& texture, bool fromResource);
