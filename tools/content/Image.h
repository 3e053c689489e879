// A picture being painted: RGB floats in 0..1, row 0 at the top.
#pragma once
#include <vector>

struct Image {
  int Width = 0;
  int Height = 0;
  std::vector<float> Rgb;  // Width * Height * 3

  Image() = default;
  Image(int width, int height) : Width(width), Height(height), Rgb(width * height * 3, 0.0f) {}
  float* At(int x, int y) { return &Rgb[(y * Width + x) * 3]; }
};

// Adds colour (r, g, b) times weight to pixel (x, y); outside pixels are ignored.
void AddPixel(Image& img, int x, int y, float r, float g, float b, float weight);
// Adds a soft disc of glow centred at (cx, cy) with radius, in pixels.
void AddGlow(Image& img, float cx, float cy, float radius, float r, float g, float b);
// Draws a soft-edged line segment of the given width.
void AddLine(Image& img, float x0, float y0, float x1, float y1, float width, float r, float g, float b);
// Draws a soft-edged ring of the given radius and width.
void AddRing(Image& img, float cx, float cy, float radius, float width, float r, float g, float b);
