// Frame capture: the command-line options that ask for it, the span of
// frames they select, and the sink that writes each finished frame as
// "<folder>/frame-NNNNNN.png" (800 x 600 RGB, top row first).
#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "runtime/MainLoop.h"

struct TCaptureOptions {
  bool Requested = false;
  std::string Folder;
  std::optional<double> From;
  std::optional<double> To;
  double Fps = 60;
};

// A command line the capture options cannot be read from; exit status 2.
struct TUsageError {
  std::string Text;
};

// Reads "--capture <folder>", "--from <seconds>", "--to <seconds>" and
// "--fps <n>" from anywhere on the command line; other words are left to
// the rest of the program. Returns the error when they are wrong.
std::optional<TUsageError> ParseCaptureOptions(int argc, const char* const* argv, TCaptureOptions& options);

// The first frame's time and the number of frames, given where the track
// ends (trackEnd < 0: it never does). Fills error when the span is empty.
struct TCaptureSpan {
  double From = 0;
  int64_t Count = 0;
};
std::optional<TUsageError> CaptureSpan(const TCaptureOptions& options, double trackEnd, TCaptureSpan& span);

constexpr int CaptureWidth = 800;
constexpr int CaptureHeight = 600;

// "frame-000042.png"
std::string CaptureFileName(int64_t frame);

// Reads back each finished frame from the back buffer and writes it; shows
// progress on stderr for captures of more than one frame. A frame that
// cannot be written raises ECaptureError.
class TCaptureSink final : public TFrameSink {
 public:
  TCaptureSink(std::string folder, int64_t total);
  void FinishFrame() override;
  // Ends the progress line with the last figures.
  void Finish();

  int64_t Written = 0;

 private:
  void Progress(bool last);

  std::string Folder;
  int64_t Total;
  // Wall-clock time since the first frame, for the progress figures.
  TETimer Clock;
  double LastShown = 0;
};

class ECaptureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
