#include "ImageFiles.h"


#include <jpeglib.h>

namespace {
void Put16(Bytes& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
}  // namespace

Bytes MakeBMP(int width, int height, const std::vector<RGB>& pixels, bool writeSizeImage) {
  const int stride = (width * 3 + 3) & ~3;
  Bytes b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, 54 + stride * height);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, width);
  Put32(b, height);
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, writeSizeImage ? stride * height : 0);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const RGB& p = pixels[y * width + x];
      b.push_back(p.b);
      b.push_back(p.g);
      b.push_back(p.r);
    }
    for (int k = width * 3; k < stride; ++k) b.push_back(0xEE);
  }
  return b;
}

Bytes TGAHeader(uint8_t imageType, uint8_t colourMapType, int width, int height, uint8_t depth, uint8_t descriptor,
                uint8_t idLength) {
  Bytes b{idLength, colourMapType, imageType, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Put16(b, width);
  Put16(b, height);
  b.push_back(depth);
  b.push_back(descriptor);
  return b;
}

Bytes MakeJPEG(int width, int height, const std::vector<RGB>& pixels, bool grey) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&info, &out, &outSize);
  info.image_width = width;
  info.image_height = height;
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  for (int c = 0; c < info.num_components; ++c) {
    info.comp_info[c].h_samp_factor = 1;
    info.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(width * 3);
  while (info.next_scanline < info.image_height) {
    const int y = info.next_scanline;
    for (int x = 0; x < width; ++x) {
      const RGB& p = pixels[y * width + x];
      if (grey) {
        row[x] = p.r;
      } else {
        row[x * 3] = p.r;
        row[x * 3 + 1] = p.g;
        row[x * 3 + 2] = p.b;
      }
    }
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  Bytes result(out, out + outSize);
  jpeg_destroy_compress(&info);
  std::free(out);
  return result;
}

