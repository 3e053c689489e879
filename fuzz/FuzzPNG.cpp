// libFuzzer target for the PNG reader: any bytes give a picture of the size
// it says, at most the largest side, or a reason.
#include "platform/PngFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  std::string reason;
  if (ReadPngImage(data, size, width, height, rgb, reason)) {
    if (width <= 0 || height <= 0 || width > MaxPngSide || height > MaxPngSide) __builtin_trap();
    if (rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) __builtin_trap();
    volatile uint8_t sink = rgb.front() ^ rgb.back();
    (void)sink;
  } else if (reason.empty()) {
    __builtin_trap();
  }
  return 0;
}
