#include "render2d/TGA.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t HeaderSize = 18;
constexpr uint8_t TopOriginBit = 0x20;

bool Fail(TImageFailure& failure, const std::string& text) {
  failure = {"TGA File Error", text};
  return false;
}

bool ReadFailure(TImageFailure& failure, const std::string& fileName) {
  return Fail(failure, "Couldn't read file " + QuotedName(fileName) + ".");
}

// Copies one pixel, turning B, G, R(, A) into R, G, B(, A).
void StorePixel(uint8_t* target, const uint8_t* source, int bytesPerPixel) {
  std::memcpy(target, source, static_cast<size_t>(bytesPerPixel));
  std::swap(target[0], target[2]);
}

// Run-length packets: a header byte below 128 starts h + 1 raw pixels, 128 or
// more one pixel repeated h - 127 times. No packet writes past the image,
// and data ending before the image is complete is a read failure.
bool DecodePackets(const uint8_t* data, size_t size, int bytesPerPixel, size_t pixelCount, uint8_t* target) {
  size_t at = 0;
  size_t done = 0;
  while (done < pixelCount) {
    if (at >= size) return false;
    const uint8_t h = data[at++];
    const bool run = h >= 128;
    const size_t count = std::min<size_t>(run ? h - 127 : h + 1, pixelCount - done);
    if (run) {
      if (size - at < static_cast<size_t>(bytesPerPixel)) return false;
      for (size_t k = 0; k < count; ++k) StorePixel(target + (done + k) * bytesPerPixel, data + at, bytesPerPixel);
      at += bytesPerPixel;
    } else {
      if ((size - at) / bytesPerPixel < count) return false;
      for (size_t k = 0; k < count; ++k, at += bytesPerPixel)
        StorePixel(target + (done + k) * bytesPerPixel, data + at, bytesPerPixel);
    }
    done += count;
  }
  return true;
}

void FlipRows(TPixelBuffer& image) {
  const size_t stride = static_cast<size_t>(image.Width) * image.Format;
  std::vector<uint8_t> row(stride);
  for (int32_t top = 0, bottom = image.Height - 1; top < bottom; ++top, --bottom) {
    uint8_t* a = image.Pixels.data() + top * stride;
    uint8_t* b = image.Pixels.data() + bottom * stride;
    std::memcpy(row.data(), a, stride);
    std::memcpy(a, b, stride);
    std::memcpy(b, row.data(), stride);
  }
}
}  // namespace

bool DecodeTGA(const uint8_t* data, size_t size, const std::string& fileName, TPixelBuffer& image,
               TImageFailure& failure) {
  const std::string quoted = QuotedName(fileName);
  if (size < HeaderSize) return ReadFailure(failure, fileName);
  const uint8_t idLength = data[0];
  const uint8_t colourMapType = data[1];
  const uint8_t imageType = data[2];
  const int32_t width = data[12] | (data[13] << 8);
  const int32_t height = data[14] | (data[15] << 8);
  const uint8_t depth = data[16];
  const uint8_t descriptor = data[17];

  if (imageType != 2 && imageType != 10)
    return Fail(failure, "Couldn't load " + quoted + ". Only 24 and 32bit TGA supported.");
  if (colourMapType != 0) return Fail(failure, "Couldn't load " + quoted + ". Colormapped TGA files not supported.");
  // Only 24 and 32 bits have a pixel layout the textures take.
  if (depth != 24 && depth != 32)
    return Fail(failure, "Couldn't load " + quoted + ". Only 24 and 32 bit TGA files supported.");

  // The pixel data follows the image-ID field.
  if (size < HeaderSize + idLength || width == 0 || height == 0) return ReadFailure(failure, fileName);
  const uint8_t* pixels = data + HeaderSize + idLength;
  const size_t pixelBytes = size - HeaderSize - idLength;
  const int bytesPerPixel = depth / 8;
  const size_t pixelCount = static_cast<size_t>(width) * height;

  // Nothing is allocated that the file's size cannot fill: raw data needs
  // every pixel, a run packet of 1 + bytesPerPixel bytes gives at most 128.
  if (imageType == 2 && pixelBytes / bytesPerPixel < pixelCount) return ReadFailure(failure, fileName);
  if (imageType == 10 && (pixelBytes / (1 + bytesPerPixel) + 1) * 128 < pixelCount)
    return ReadFailure(failure, fileName);

  image.Width = width;
  image.Height = height;
  image.Format = bytesPerPixel == 4 ? pfRGBA : pfRGB;
  image.Pixels.assign(pixelCount * bytesPerPixel, 0);
  if (imageType == 2) {
    for (size_t k = 0; k < pixelCount; ++k)
      StorePixel(image.Pixels.data() + k * bytesPerPixel, pixels + k * bytesPerPixel, bytesPerPixel);
  } else if (!DecodePackets(pixels, pixelBytes, bytesPerPixel, pixelCount, image.Pixels.data())) {
    image = TPixelBuffer{};
    return ReadFailure(failure, fileName);
  }
  // Rows in the file run from the bottom up unless the descriptor says top-down.
  if (descriptor & TopOriginBit) FlipRows(image);
  return true;
}
