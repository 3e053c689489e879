// The spread and the level of a frame's light between the letterbox bars:
// the 5th and 95th percentiles of its pixels' luma (a frame whose middle
// 90% lie close together is a flat wash), the share of its pixels that are
// lit and its mean luma (a frame with little lit is a dark one).
#pragma once
#include <cstdint>

// A pixel brighter than this luma (0 to 255) is lit.
constexpr int LitLuma = 12;

struct TTone {
  double P5 = 0, P95 = 0;  // luma percentiles, 0 to 255
  double Lit = 0;          // share of the pixels lit, 0 to 1
  double Mean = 0;         // mean luma, 0 to 255
  double Spread() const { return P95 - P5; }
  // A wash: even the frame's darkest twentieth is lit, so that a small
  // spread is a veil over everything, not a dark frame.
  bool Washed() const { return P5 > LitLuma; }
};

// The tone of the inner pixels (InnerRect) of a width x height RGB frame,
// top row first; all zero for a frame with no inner pixels.
TTone FrameTone(const uint8_t* rgb, int width, int height);
