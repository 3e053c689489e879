// Baseline and progressive JPEG images through libjpeg, colour or greyscale.
#pragma once
#include "render2d/PixelBuffer.h"

// Decodes a whole JPEG file held in memory at full size into an RGBA buffer
// (alpha 255), bottom row first. Every libjpeg error, a file that ends
// before its image does, and an image far larger than the file could code
// give "Couldn't load JPG - " and the quoted name.
bool DecodeJPEG(const uint8_t* data, size_t size, const std::string& fileName, TPixelBuffer& image,
                TImageFailure& failure);
