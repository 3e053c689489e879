#include "render2d/BMP.h"

namespace {
constexpr size_t FileHeaderSize = 14;
constexpr size_t InfoHeaderSize = 40;
constexpr size_t HeadersSize = FileHeaderSize + InfoHeaderSize;
const char* const Caption = "BMP Unit";

uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool Fail(TImageFailure& failure, const char* text) {
  failure = {Caption, text};
  return false;
}
}  // namespace

bool DecodeBMP(const uint8_t* data, size_t size, const std::string&, TPixelBuffer& image, TImageFailure& failure) {
  // Headers cut short leave no pixel data to read.
  if (size < HeadersSize) return Fail(failure, "Error reading bitmap data");
  const uint8_t* info = data + FileHeaderSize;
  const int32_t width = static_cast<int32_t>(U32(info + 4));
  const int32_t height = static_cast<int32_t>(U32(info + 8));
  const uint16_t bitCount = U16(info + 14);
  const uint32_t sizeImage = U32(info + 20);
  const uint32_t clrUsed = U32(info + 32);

  // The colour table is skipped; its content is not used.
  if (clrUsed > size - HeadersSize) return Fail(failure, "Error reading palette");
  const size_t pixelStart = HeadersSize + clrUsed;
  const size_t available = size - pixelStart;

  // Only positive sizes that textures can take (16-bit sides) and that the
  // file can hold at three bytes a pixel are accepted, before anything is
  // allocated.
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
    return Fail(failure, "Error reading bitmap data");
  // Each row of 24-bit pixels is padded to a multiple of four bytes.
  const uint64_t stride = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
  const uint64_t needed = stride * static_cast<uint64_t>(height);
  uint64_t count = sizeImage;
  if (count == 0) {
    const uint64_t bits = bitCount == 0 ? 24 : bitCount;
    count = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4 * static_cast<uint64_t>(height);
  }
  if (count > available || needed > count || needed > available) return Fail(failure, "Error reading bitmap data");

  image.Width = width;
  image.Height = height;
  image.Format = pfRGB;
  image.Pixels.resize(static_cast<size_t>(width) * height * 3);
  const uint8_t* source = data + pixelStart;
  uint8_t* target = image.Pixels.data();
  for (int32_t row = 0; row < height; ++row) {
    const uint8_t* in = source + row * stride;
    for (int32_t x = 0; x < width; ++x, in += 3, target += 3) {
      target[0] = in[2];  // blue, green, red in the file
      target[1] = in[1];
      target[2] = in[0];
    }
  }
  return true;
}
