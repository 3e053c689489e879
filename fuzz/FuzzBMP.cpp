// libFuzzer target for the BMP decoder: any bytes give an image or a message.
#include "fuzz/ImageCheck.h"
#include "render2d/BMP.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckImageDecoder(DecodeBMP, data, size);
  return 0;
}
