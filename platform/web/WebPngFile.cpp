// A page in a browser writes no files to keep: capture runs natively.
#include "platform/PngFile.h"

bool WritePngBottomUp(const std::string&, int, int, const uint8_t*, std::string& reason) {
  reason = "a page in a browser writes no files";
  return false;
}

bool ReadPngImage(const uint8_t*, size_t, int&, int&, std::vector<uint8_t>&, std::string& reason) {
  reason = "a page in a browser reads no PNG files";
  return false;
}

bool ReadPngFile(const std::string&, int&, int&, std::vector<uint8_t>&, std::string& reason) {
  reason = "a page in a browser reads no PNG files";
  return false;
}
