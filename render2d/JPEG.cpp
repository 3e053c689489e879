#include "render2d/JPEG.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace {
// The most pixels one byte of JPEG data is taken to stand for. Sequential
// files need at least two bits per 8 x 8 block of each component (256 pixels
// a byte); the margin leaves room for progressive files' end-of-band runs.
constexpr uint64_t MaxPixelsPerFileByte = 4096;

struct TErrorExit {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  bool Truncated;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<TErrorExit*>(info->err)->Jump, 1);
}

// Warnings are not printed; a premature end of the data marks the image as
// incomplete.
void EmitMessage(j_common_ptr info, int level) {
  TErrorExit* error = reinterpret_cast<TErrorExit*>(info->err);
  if (level < 0 && error->Manager.msg_code == JWRN_JPEG_EOF) error->Truncated = true;
}

void Silence(j_common_ptr) {}

// All libjpeg work happens here, with nothing in this frame that a long jump
// out of libjpeg would skip the destruction of: the buffers belong to the
// caller. Rows land in image bottom-up.
bool Decode(const uint8_t* data, size_t size, TPixelBuffer& image, std::vector<uint8_t>& row,
            jpeg_decompress_struct& info, TErrorExit& error) {
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = ErrorExit;
  error.Manager.emit_message = EmitMessage;
  error.Manager.output_message = Silence;
  error.Truncated = false;
  if (setjmp(error.Jump) != 0) return false;

  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;  // greyscale comes out as grey colour pixels
  info.scale_num = 1;
  info.scale_denom = 1;
  jpeg_calc_output_dimensions(&info);
  const uint64_t width = info.output_width;
  const uint64_t height = info.output_height;
  if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF || width * height > size * MaxPixelsPerFileByte)
    return false;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) return false;

  image.Width = static_cast<int32_t>(width);
  image.Height = static_cast<int32_t>(height);
  image.Format = pfRGBA;
  image.Pixels.assign(width * height * 4, 255);
  row.resize(width * 3);
  while (info.output_scanline < info.output_height && !error.Truncated) {
    JSAMPROW line = row.data();
    const size_t imageRow = info.output_scanline;
    if (jpeg_read_scanlines(&info, &line, 1) != 1) return false;
    uint8_t* target = image.Pixels.data() + (height - 1 - imageRow) * width * 4;
    for (size_t x = 0; x < width; ++x) {
      target[x * 4 + 0] = row[x * 3 + 0];
      target[x * 4 + 1] = row[x * 3 + 1];
      target[x * 4 + 2] = row[x * 3 + 2];
    }
  }
  if (error.Truncated) return false;
  jpeg_finish_decompress(&info);
  return !error.Truncated;
}
}  // namespace

bool DecodeJPEG(const uint8_t* data, size_t size, const std::string& fileName, TPixelBuffer& image,
                TImageFailure& failure) {
  jpeg_decompress_struct info{};
  TErrorExit error{};
  std::vector<uint8_t> row;
  const bool ok = data != nullptr && size > 0 && Decode(data, size, image, row, info, error);
  jpeg_destroy_decompress(&info);
  if (!ok) {
    image = TPixelBuffer{};
    failure = {"BMP Unit", "Couldn't load JPG - " + QuotedName(fileName)};
  }
  return ok;
}
