// How much of a captured frame is burnt out to full white: the share of the
// picture's pixels between the letterbox bars whose three channels are all
// at FullWhiteLevel or more, and a capture's frames that pass a limit, with
// their times and whether the white flash was on in them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

constexpr int FullWhiteLevel = 250;

// The pixels counted in a frame of width x height, top row first: the
// largest centred 4:3 rectangle (where the picture lies) less the letterbox
// bars at its top and bottom.
TPixelRect InnerRect(int width, int height);
// Share (0 to 1) of the inner pixels of a width x height RGB frame, top row
// first, that are at full white; 0 for a frame with no inner pixels.
double WhiteShare(const uint8_t* rgb, int width, int height);

struct TLightFrame {
  int64_t Index = 0;
  double Time = 0;    // seconds of the track the frame shows
  double White = 0;   // share of the inner pixels at full white
  float FlashStrength = 0;  // the white flash channel's value where it is on
  bool Flash = false;       // the white flash channel was on
};

struct TLightSummary {
  int64_t Frames = 0;
  int64_t Above = 0;           // frames above the limit
  int64_t AboveInFlash = 0;    // of those, in the white flash
  const TLightFrame* Worst = nullptr;  // the whitest frame outside the flash
};
TLightSummary SummariseLight(const std::vector<TLightFrame>& frames, double limit);

// The report: the count above the limit, each such frame with its time and
// share (the flash's marked "flash"), and the worst frames outside the flash.
std::string LightReport(const std::vector<TLightFrame>& frames, double limit, int worst);
