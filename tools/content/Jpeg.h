// JPEG encoding of painted pictures through libjpeg.
#pragma once
#include <cstdint>
#include <vector>

#include "Image.h"

// Encodes the picture (colours clamped to 0..1) as a baseline JPEG file image.
std::vector<uint8_t> EncodeJpeg(const Image& img, int quality);
