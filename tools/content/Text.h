// Text painted into pictures with FreeType, in a font file the caller names.
#pragma once
#include <string>

#include "Image.h"

class TextPainter {
 public:
  explicit TextPainter(const std::string& fontFile);
  ~TextPainter();
  TextPainter(const TextPainter&) = delete;
  TextPainter& operator=(const TextPainter&) = delete;

  // Advance width of the text in pixels at the given pixel size.
  float Measure(const std::string& text, int pixels, float tracking = 0);
  // Adds the text in colour (r, g, b), its baseline at y, starting at x.
  void Draw(Image& img, const std::string& text, int pixels, float x, float y, float r, float g, float b,
            float tracking = 0);
  void DrawCentred(Image& img, const std::string& text, int pixels, float cx, float y, float r, float g, float b,
                   float tracking = 0);

 private:
  struct Impl;
  Impl* P;
};
