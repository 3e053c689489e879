// Character bitmaps for the bitmap font: the face is found where the system
// keeps its fonts (platform/FontFiles.h) and rasterised with FreeType as
// one-bit glyphs, codes read as Windows-1252.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TGlyphBitmap {
  int32_t Width = 0;
  int32_t Height = 0;
  float OriginX = 0;  // glBitmap's xorig, yorig: the origin inside the bitmap
  float OriginY = 0;
  float Advance = 0;  // pixels to the next character
  // One bit per pixel, most significant first, rows of (Width + 7) / 8
  // bytes, bottom row first.
  std::vector<uint8_t> Bits;
};

struct TFontGlyphs {
  std::string FilePath;  // the font file used; empty when none was found
  std::vector<TGlyphBitmap> Glyphs;  // one per character code 0 to 254
};

// Rasterises codes 0 to 254 at a character (em) height of height pixels.
// Codes without a glyph get an empty bitmap with no advance.
TFontGlyphs RasteriseFont(const std::string& faceName, int32_t height, bool bold);

// Sets the pixels of the text's glyphs to colour in a picture of width x
// height pixels, top row first, the pen starting at (left, baseline); what
// falls outside the picture is left out.
void DrawGlyphs(const TFontGlyphs& font, const std::string& text, int left, int baseline, uint32_t colour, int width,
                int height, std::vector<uint32_t>& pixels);
