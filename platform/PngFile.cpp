#include "platform/PngFile.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool WritePngBottomUp(const std::string& path, int width, int height, const uint8_t* rgb, std::string& reason) {
  if (width <= 0 || height <= 0 || rgb == nullptr) {
    reason = "no picture to write";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  // Fast compression: a capture writes thousands of frames.
  image.flags = PNG_IMAGE_FLAG_FAST;
  // A negative stride walks the rows from the last to the first.
  const png_int_32 stride = -static_cast<png_int_32>(width * 3);
  // The library's own message for a failed write says only "Write Error";
  // the system's reason (a full disk, say) is in errno.
  errno = 0;
  bool ok = png_image_write_to_stdio(&image, file, 0, rgb, stride, nullptr) != 0;
  if (!ok) reason = errno != 0 ? std::strerror(errno) : image.message;
  png_image_free(&image);
  if (std::fflush(file) != 0 && ok) {
    ok = false;
    reason = std::strerror(errno);
  }
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    reason = std::strerror(errno);
  }
  if (!ok) std::remove(path.c_str());
  return ok;
}
