#include "Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>

namespace {
// The glyphs' edges are steepened: coverage around a half is stretched by
// this factor, so that a stroke has little of a half-lit rim. The slides
// are added over the scenes, and a dim rim reads against nothing, even at
// half the slide's alpha.
constexpr float EdgeSteepness = 2.5f;
}  // namespace

struct TextPainter::Impl {
  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
};

TextPainter::TextPainter(const std::string& fontFile) : P(new Impl) {
  if (FT_Init_FreeType(&P->Library) || FT_New_Face(P->Library, fontFile.c_str(), 0, &P->Face)) {
    if (P->Library) FT_Done_FreeType(P->Library);
    delete P;
    throw std::runtime_error("cannot open the font " + fontFile);
  }
}

TextPainter::~TextPainter() {
  FT_Done_Face(P->Face);
  FT_Done_FreeType(P->Library);
  delete P;
}

float TextPainter::Measure(const std::string& text, int pixels, float tracking) {
  FT_Set_Pixel_Sizes(P->Face, 0, pixels);
  float w = 0;
  for (unsigned char c : text) {
    if (FT_Load_Char(P->Face, c, FT_LOAD_DEFAULT)) continue;
    w += P->Face->glyph->advance.x / 64.0f + tracking;
  }
  return text.empty() ? 0 : w - tracking;
}

void TextPainter::Draw(Image& img, const std::string& text, int pixels, float x, float y, float r, float g, float b,
                       float tracking) {
  FT_Set_Pixel_Sizes(P->Face, 0, pixels);
  float pen = x;
  for (unsigned char c : text) {
    if (FT_Load_Char(P->Face, c, FT_LOAD_RENDER)) continue;
    FT_GlyphSlot gs = P->Face->glyph;
    const FT_Bitmap& bm = gs->bitmap;
    int left = int(pen + 0.5f) + gs->bitmap_left, top = int(y + 0.5f) - gs->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row)
      for (unsigned col = 0; col < bm.width; ++col) {
        const float coverage = bm.buffer[row * bm.pitch + col] / 255.0f;
        const float a = std::clamp((coverage - 0.5f) * EdgeSteepness + 0.5f, 0.0f, 1.0f);
        if (a > 0) AddPixel(img, left + int(col), top + int(row), r, g, b, a);
      }
    pen += gs->advance.x / 64.0f + tracking;
  }
}

void TextPainter::DrawCentred(Image& img, const std::string& text, int pixels, float cx, float y, float r, float g,
                              float b, float tracking) {
  Draw(img, text, pixels, cx - Measure(text, pixels, tracking) * 0.5f, y, r, g, b, tracking);
}
