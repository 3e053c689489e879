#include "Image.h"

#include <algorithm>
#include <cmath>

void AddPixel(Image& img, int x, int y, float r, float g, float b, float weight) {
  if (x < 0 || y < 0 || x >= img.Width || y >= img.Height) return;
  float* p = img.At(x, y);
  p[0] += r * weight;
  p[1] += g * weight;
  p[2] += b * weight;
}

void AddGlow(Image& img, float cx, float cy, float radius, float r, float g, float b) {
  int x0 = std::max(0, int(cx - radius * 2)), x1 = std::min(img.Width - 1, int(cx + radius * 2));
  int y0 = std::max(0, int(cy - radius * 2)), y1 = std::min(img.Height - 1, int(cy + radius * 2));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / radius;
      AddPixel(img, x, y, r, g, b, std::exp(-d * d * 2.0f));
    }
}

static float Coverage(float distance, float halfWidth) {
  return std::clamp(halfWidth + 0.5f - distance, 0.0f, 1.0f);
}

void AddLine(Image& img, float x0, float y0, float x1, float y1, float width, float r, float g, float b) {
  float hw = width * 0.5f;
  int bx0 = std::max(0, int(std::min(x0, x1) - hw - 2)), bx1 = std::min(img.Width - 1, int(std::max(x0, x1) + hw + 2));
  int by0 = std::max(0, int(std::min(y0, y1) - hw - 2)), by1 = std::min(img.Height - 1, int(std::max(y0, y1) + hw + 2));
  float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  for (int y = by0; y <= by1; ++y)
    for (int x = bx0; x <= bx1; ++x) {
      float px = x + 0.5f - x0, py = y + 0.5f - y0;
      float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
      float d = std::hypot(px - t * dx, py - t * dy);
      AddPixel(img, x, y, r, g, b, Coverage(d, hw));
    }
}

void AddRing(Image& img, float cx, float cy, float radius, float width, float r, float g, float b) {
  float hw = width * 0.5f;
  int x0 = std::max(0, int(cx - radius - hw - 2)), x1 = std::min(img.Width - 1, int(cx + radius + hw + 2));
  int y0 = std::max(0, int(cy - radius - hw - 2)), y1 = std::min(img.Height - 1, int(cy + radius + hw + 2));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float d = std::fabs(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius);
      AddPixel(img, x, y, r, g, b, Coverage(d, hw));
    }
}
