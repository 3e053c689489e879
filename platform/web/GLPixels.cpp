#include "platform/web/GLPixels.h"

#include <cstddef>

void PackRgbRows(const uint8_t* rgba, int width, int height, const TPackParameters& pack, uint8_t* destination) {
  const size_t alignment = pack.Alignment > 0 ? static_cast<size_t>(pack.Alignment) : 1;
  const size_t rowPixels = static_cast<size_t>(pack.RowLength > 0 ? pack.RowLength : width);
  const size_t stride = (rowPixels * 3 + alignment - 1) / alignment * alignment;
  uint8_t* first = destination + static_cast<size_t>(pack.SkipRows) * stride + static_cast<size_t>(pack.SkipPixels) * 3;
  for (int y = 0; y < height; ++y) {
    const uint8_t* from = rgba + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
    uint8_t* to = first + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      to[x * 3] = from[x * 4];
      to[x * 3 + 1] = from[x * 4 + 1];
      to[x * 3 + 2] = from[x * 4 + 2];
    }
  }
}
