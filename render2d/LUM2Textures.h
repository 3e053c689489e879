// Image files into mipmapped OpenGL textures: uncompressed 24-bit BMP, JPEG
// and TGA (raw or run-length encoded, 24 or 32 bits). The reader is chosen by
// the last four characters of the upper-cased file name: ".BMP", ".JPG",
// ".TGA". Every failure shows its reader's message; the texture variable is
// written only on success. A rendering context must be current.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <string>

#include "render2d/PixelBuffer.h"

// 0: nearest; 1: linear; 2: linear magnification, trilinear minification.
extern uint8_t TextureFilter;
// true: wrap GL_CLAMP; false: GL_REPEAT.
extern bool TextureClamp;

// Loads the file with the reader its ending selects; any other ending does
// nothing. The result is the reader's (false for an unknown ending); the
// program's callers ignore it. The program carries no resources, so with
// fromResource set every reader reports the resource as not found.
bool LoadTexture(const std::string& fileName, uint32_t& texture, bool fromResource);
bool LoadBMPTexture(const std::string& fileName, uint32_t& texture, bool fromResource);
bool LoadJPGTexture(const std::string& fileName, uint32_t& texture, bool fromResource);
bool LoadTGATexture(const std::string& fileName, uint32_t& texture, bool fromResource);

// A new texture from a bottom-up pixel buffer (format GL_RGB or GL_RGBA) with
// the full mipmap chain; the texture stays bound.
uint32_t CreateTexture(uint16_t width, uint16_t height, GLenum format, const void* pixels);
uint32_t CreateTexture(const TPixelBuffer& image);
