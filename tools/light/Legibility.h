// Whether a slide can be read over the scene it is added to. The slide's
// text is its bright pixels, known from the slide picture itself, placed
// where the frame director draws the slide. A text pixel is readable when
// the frame's pixel there and the frame's non-text pixels just around it
// stand at a contrast ratio of relative luminance of 3:1 or more, the
// web's rule for large text; a slide is readable in a frame when at least
// 95% of its text, by area, is.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Slide pixels at this luma (0 to 255) or brighter are its text.
constexpr int SlideTextLuma = 128;
constexpr double ReadableContrast = 3.0;
constexpr double ReadableShare = 0.95;

// The relative luminance (0 to 1) of an sRGB colour.
double RelativeLuminance(uint8_t r, uint8_t g, uint8_t b);
// Y' of Rec. 709 on the gamma-encoded values, 0 to 255.
double Luma(uint8_t r, uint8_t g, uint8_t b);
// The contrast ratio of two relative luminances, 1 or more.
double ContrastRatio(double a, double b);

// A slide's text placed in a frame of some size: which of the frame's
// pixels (width x height, top row first) the text covers.
class TSlideText {
 public:
  // slideRgb: the slide picture, slideWidth x slideHeight, bottom row first
  // (as the picture decoders give it); placed at the slide's square of the
  // 800 x 600 screen, scaled to the frame's 4:3 picture.
  TSlideText(const std::vector<uint8_t>& slideRgb, int slideWidth, int slideHeight, int frameWidth, int frameHeight);
  bool Covers(int x, int y) const { return Mask[static_cast<size_t>(y) * Width + x] != 0; }
  int64_t Pixels() const { return TextPixels; }
  int FrameWidth() const { return Width; }
  int FrameHeight() const { return Height; }

 private:
  int Width, Height;
  std::vector<uint8_t> Mask;
  int64_t TextPixels = 0;
};

// Share (0 to 1) of the text's pixels that are readable in the frame
// (RGB, top row first, the text's frame size); 1 for a text of no pixels.
double ReadableTextShare(const uint8_t* rgb, const TSlideText& text);
