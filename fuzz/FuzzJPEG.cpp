// libFuzzer target for the JPEG decoder: any bytes give an image or a message.
#include "fuzz/ImageCheck.h"
#include "render2d/JPEG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckImageDecoder(DecodeJPEG, data, size);
  return 0;
}
