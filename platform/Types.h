// Plain value types shared by every layer: vectors, colours and rectangles.
#pragma once

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

struct TColor4 {
  float r = 0, g = 0, b = 0, a = 0;
};

// A rectangle of pixels: left, top, size.
struct TPixelRect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
};

inline Vec3 MakeVec3(float x, float y, float z) { return Vec3{x, y, z}; }
inline TColor4 MakeColor4(float r, float g, float b, float a) { return TColor4{r, g, b, a}; }
