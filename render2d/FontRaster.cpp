#include "render2d/FontRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/FontFiles.h"

namespace {
constexpr int CodeCount = 255;

// Unicode of the Windows-1252 codes 128 to 159; the rest map to themselves.
const uint16_t Cp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t CodePoint(int code) { return code >= 128 && code < 160 ? Cp1252High[code - 128] : code; }

TGlyphBitmap Rasterise(FT_Face face, int code) {
  TGlyphBitmap glyph;
  const FT_UInt index = FT_Get_Char_Index(face, CodePoint(code));
  if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
    return glyph;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.Advance = static_cast<float>(slot->advance.x) / 64.0f;
  glyph.Width = static_cast<int32_t>(bitmap.width);
  glyph.Height = static_cast<int32_t>(bitmap.rows);
  glyph.OriginX = static_cast<float>(-slot->bitmap_left);
  glyph.OriginY = static_cast<float>(glyph.Height - slot->bitmap_top);
  const int rowBytes = (glyph.Width + 7) / 8;
  glyph.Bits.assign(static_cast<size_t>(rowBytes) * glyph.Height, 0);
  for (int row = 0; row < glyph.Height; ++row) {
    // FreeType's rows run top-down; glBitmap's bottom-up.
    const uint8_t* source = bitmap.buffer + row * bitmap.pitch;
    uint8_t* target = glyph.Bits.data() + static_cast<size_t>(glyph.Height - 1 - row) * rowBytes;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
      for (int k = 0; k < rowBytes; ++k) target[k] = source[k];
    } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      for (int x = 0; x < glyph.Width; ++x)
        if (source[x] >= 128) target[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return glyph;
}
}  // namespace

TFontGlyphs RasteriseFont(const std::string& faceName, int32_t height, bool bold) {
  TFontGlyphs font;
  font.Glyphs.resize(CodeCount);
  font.FilePath = FindFontFile(faceName, bold);
  if (font.FilePath.empty()) return font;
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return font;
  FT_Face face = nullptr;
  if (FT_New_Face(library, font.FilePath.c_str(), 0, &face) == 0) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(height > 0 ? height : 1)) == 0)
      for (int code = 0; code < CodeCount; ++code) font.Glyphs[code] = Rasterise(face, code);
    FT_Done_Face(face);
  } else {
    font.FilePath.clear();
  }
  FT_Done_FreeType(library);
  return font;
}

void DrawGlyphs(const TFontGlyphs& font, const std::string& text, int left, int baseline, uint32_t colour, int width,
                int height, std::vector<uint32_t>& pixels) {
  float pen = static_cast<float>(left);
  for (unsigned char code : text) {
    if (code >= font.Glyphs.size()) continue;
    const TGlyphBitmap& glyph = font.Glyphs[code];
    const int rowBytes = (glyph.Width + 7) / 8;
    const int x0 = static_cast<int>(pen - glyph.OriginX);
    for (int row = 0; row < glyph.Height; ++row) {
      const int y = baseline + static_cast<int>(glyph.OriginY) - 1 - row;
      if (y < 0 || y >= height) continue;
      for (int column = 0; column < glyph.Width; ++column) {
        const int x = x0 + column;
        const uint8_t bits = glyph.Bits[static_cast<size_t>(row) * rowBytes + column / 8];
        if (x >= 0 && x < width && (bits & (0x80 >> (column % 8))) != 0)
          pixels[static_cast<size_t>(y) * width + x] = colour;
      }
    }
    pen += glyph.Advance;
  }
}
