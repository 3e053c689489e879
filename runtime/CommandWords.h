// Words on a command line: the two mode words, numbers, and the error for a
// command line that cannot be read.
#pragma once
#include <optional>
#include <string>

#include "runtime/MainLoop.h"

// A command line the program cannot be run with; exit status 2.
struct TUsageError {
  std::string Text;
};

// The whole word as a finite number, or nothing.
std::optional<double> ParseNumber(const char* word);
// A frame rate: a fraction of whole numbers ("60000/1001") or a number with
// at most six decimals ("50", "29.97"), kept as the exact fraction; nothing
// for anything else, or for a numerator or denominator of 0 or over
// MaxFrameRateTerm.
std::optional<TFrameRate> ParseFrameRate(const char* word);
constexpr int64_t MaxFrameRateTerm = 1000000;
// A frame rate as it was written: "60", "60000/1001".
std::string FrameRateText(const TFrameRate& rate);
// A number as messages show it: "2.5", "60".
std::string NumberText(double value);

// A size in pixels written "<width>x<height>" ("1440x1080", an "X" too), each
// a whole number of at most five digits; nothing for anything else.
struct TPixelSize {
  int Width = 0, Height = 0;
};
std::optional<TPixelSize> ParsePixelSize(const std::string& word);

// Server mode when "-vrt" is exactly one of the command-line words 0, 1, 2.
bool ServerModeRequested(int argc, const char* const* argv);
// A window instead of full screen when "-w" is one of the words 0, 1, 2.
bool WindowRequested(int argc, const char* const* argv);
