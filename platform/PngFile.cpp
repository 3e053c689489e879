#include "platform/PngFile.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

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

bool ReadPngImage(const uint8_t* bytes, size_t size, int& width, int& height, std::vector<uint8_t>& rgb,
                  std::string& reason) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (bytes == nullptr || png_image_begin_read_from_memory(&image, bytes, size) == 0) {
    reason = bytes == nullptr ? "no bytes" : image.message;
    png_image_free(&image);
    return false;
  }
  if (image.width == 0 || image.height == 0 || image.width > MaxPngSide || image.height > MaxPngSide) {
    reason = "a picture of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
             " pixels is larger than " + std::to_string(MaxPngSide) + " on a side";
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  // Transparent pixels are put on black.
  const png_color black{0, 0, 0};
  if (png_image_finish_read(&image, &black, pixels.data(), 0, nullptr) == 0) {
    reason = image.message;
    png_image_free(&image);
    return false;
  }
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  rgb = std::move(pixels);
  png_image_free(&image);
  return true;
}

bool ReadPngFile(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgb, std::string& reason) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    reason = std::strerror(errno);
    return false;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) {
    reason = std::strerror(errno);
    return false;
  }
  return ReadPngImage(bytes.data(), bytes.size(), width, height, rgb, reason);
}
