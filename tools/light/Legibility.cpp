#include "Legibility.h"

#include <algorithm>
#include <cmath>

#include "platform/Presentation.h"
#include "runtime/DemoMain.h"

double RelativeLuminance(uint8_t r, uint8_t g, uint8_t b) {
  auto linear = [](uint8_t v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

double Luma(uint8_t r, uint8_t g, uint8_t b) { return 0.2126 * r + 0.7152 * g + 0.0722 * b; }

double ContrastRatio(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

TSlideText::TSlideText(const std::vector<uint8_t>& slideRgb, int slideWidth, int slideHeight, int frameWidth,
                       int frameHeight)
    : Width(frameWidth), Height(frameHeight), Mask(static_cast<size_t>(frameWidth) * frameHeight, 0) {
  const TPixelRect picture = FitRect(frameWidth, frameHeight);
  if (picture.Width <= 0 || slideWidth <= 0 || slideHeight <= 0) return;
  const double scale = picture.Width / 800.0;
  // The slide's square in frame pixels, top row first: screen units have
  // their origin at the bottom left.
  const double left = picture.X + SlideX * scale, size = SlideSize * scale;
  const double top = picture.Y + (600 - SlideY - SlideSize) * scale;
  for (int y = std::max(0, static_cast<int>(top)); y < std::min(frameHeight, static_cast<int>(top + size) + 1); ++y)
    for (int x = std::max(0, static_cast<int>(left)); x < std::min(frameWidth, static_cast<int>(left + size) + 1); ++x) {
      const double u = (x + 0.5 - left) / size, v = (y + 0.5 - top) / size;
      if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
      const int sx = static_cast<int>(u * slideWidth);
      const int sy = slideHeight - 1 - static_cast<int>(v * slideHeight);  // bottom row first
      const uint8_t* p = &slideRgb[(static_cast<size_t>(sy) * slideWidth + sx) * 3];
      if (Luma(p[0], p[1], p[2]) >= SlideTextLuma) {
        Mask[static_cast<size_t>(y) * Width + x] = 1;
        ++TextPixels;
      }
    }
}

double ReadableTextShare(const uint8_t* rgb, const TSlideText& text) {
  if (text.Pixels() == 0) return 1;
  const int w = text.FrameWidth(), h = text.FrameHeight();
  // Summed-area tables of the non-text pixels' luminance and count, so that
  // each text pixel's surroundings are averaged in constant time.
  const size_t stride = static_cast<size_t>(w) + 1;
  std::vector<double> sum(stride * (h + 1), 0);
  std::vector<int32_t> count(stride * (h + 1), 0);
  std::vector<double> lum(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    double rowSum = 0;
    int32_t rowCount = 0;
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = rgb + (static_cast<size_t>(y) * w + x) * 3;
      const double l = RelativeLuminance(p[0], p[1], p[2]);
      lum[static_cast<size_t>(y) * w + x] = l;
      if (!text.Covers(x, y)) {
        rowSum += l;
        ++rowCount;
      }
      sum[(y + 1) * stride + x + 1] = sum[y * stride + x + 1] + rowSum;
      count[(y + 1) * stride + x + 1] = count[y * stride + x + 1] + rowCount;
    }
  }
  auto box = [&](int x0, int y0, int x1, int y1, double& s, int32_t& n) {
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, w - 1), y1 = std::min(y1, h - 1);
    const size_t a = y0 * stride + x0, b = y0 * stride + x1 + 1, c = (y1 + 1) * stride + x0,
                 d = (y1 + 1) * stride + x1 + 1;
    s = sum[d] - sum[b] - sum[c] + sum[a];
    n = count[d] - count[b] - count[c] + count[a];
  };
  // "Just around": a few pixels of an 800 x 600 frame, more in a larger
  // one; deep inside a thick stroke the look widens until it finds some.
  const int farthest = std::max(w, h);
  const int near = std::max(2, static_cast<int>(std::lround(4 * FitRect(w, h).Width / 800.0)));
  int64_t readable = 0, measured = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!text.Covers(x, y)) continue;
      double s = 0;
      int32_t n = 0;
      for (int r = near; n == 0 && r < 2 * farthest; r *= 2) box(x - r, y - r, x + r, y + r, s, n);
      ++measured;
      if (n > 0 && ContrastRatio(lum[static_cast<size_t>(y) * w + x], s / n) >= ReadableContrast) ++readable;
    }
  return measured ? static_cast<double>(readable) / measured : 1;
}
