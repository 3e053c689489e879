// libFuzzer target for the TGA decoder: any bytes give an image or a message.
#include "fuzz/ImageCheck.h"
#include "render2d/TGA.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckImageDecoder(DecodeTGA, data, size);
  return 0;
}
