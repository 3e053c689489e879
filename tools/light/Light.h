// How a captured show looks to its audience, frame by frame: how much of a
// frame is burnt out to full white (the share of the picture's pixels
// between the letterbox bars whose three channels are all at
// FullWhiteLevel or more), whether the slide it shows can be read
// (Legibility.h), whether it is a flat wash or dark (Tone.h); and over a
// capture, the frames and stretches that miss the show's limits, with their
// times and whether the white flash was on in them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Tone.h"
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
  int Slide = -1;           // the slide shown (0 to 3), or -1
  float SlideAlpha = 0;     // its alpha
  double Readable = 1;      // share of the slide's text that reads
  TTone Tone;
  bool Fade = false;        // inside a fade the show makes on purpose
};

// What the show must keep to.
struct TLightLimits {
  double White = 0.15;      // share at full white, outside the flash
  double SlideAlpha = 0.5;  // slides this strong or stronger must read
  double Readable = 0.95;   // share of the text that must read
  double FlatSpread = 0;    // a washed frame spread less than this is flat
  double DarkLit = 0.1;     // a share lit below this is dark...
  double DarkSeconds = 2;   // ...and may last this long, outside fades
};

// A run of consecutive dark frames outside the fades.
struct TDarkStretch {
  const TLightFrame* First = nullptr;
  const TLightFrame* Last = nullptr;
  double Seconds = 0;  // from the first frame's time to the frame after the last
  double LeastLit = 1;
};

struct TLightSummary {
  int64_t Frames = 0;
  int64_t Above = 0;           // frames above the white limit
  int64_t AboveInFlash = 0;    // of those, in the white flash
  const TLightFrame* Worst = nullptr;  // the whitest frame outside the flash
  int64_t Slides = 0;          // frames showing a slide at SlideAlpha or more
  std::vector<const TLightFrame*> Unreadable;  // of those, the ones that do not read
  const TLightFrame* LeastReadable = nullptr;
  std::vector<const TLightFrame*> Flat;        // washed and flat, outside the flash and the fades
  const TLightFrame* Flattest = nullptr;       // the washed frame of least spread there
  std::vector<TDarkStretch> Dark;              // longer than DarkSeconds
  const TLightFrame* Darkest = nullptr;        // least lit, outside the fades
  bool Passes() const { return Above == AboveInFlash && Unreadable.empty() && Flat.empty() && Dark.empty(); }
};
// frameSeconds: how long each frame lasts (the capture's 1 / fps).
TLightSummary SummariseLight(const std::vector<TLightFrame>& frames, const TLightLimits& limits,
                             double frameSeconds = 0);

// The report: the count above the white limit, each such frame with its
// time and share (the flash's marked "flash") and the worst frames outside
// the flash; then the slides that do not read, the flat frames and the dark
// stretches, each with the worst of its measure.
std::string LightReport(const std::vector<TLightFrame>& frames, const TLightLimits& limits, int worst,
                        double frameSeconds = 0);
// Every frame's measures, one line each, as comma-separated values.
std::string LightTable(const std::vector<TLightFrame>& frames);
