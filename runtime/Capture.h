// Frame capture: the options that ask for it (read by runtime/CommandLine.h), the span of
// frames they select, where the picture lies in frames of the size asked
// for, what every capture target does with the frames, and the target that
// writes each finished frame as "<folder>/frame-NNNNNN.png" (RGB, top row
// first).
#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "runtime/CommandWords.h"
#include "runtime/MainLoop.h"

struct TCaptureOptions {
  bool Requested = false;
  std::string Folder;
  std::optional<double> From;
  std::optional<double> To;
  TFrameRate Fps;  // 60 unless given
  bool Lossless = false;  // --lossless: a video master that loses nothing
  int Width = 800;  // --size: the frames' size in pixels
  int Height = 600;
  bool SizeGiven = false;
};

// Sizes --size takes.
constexpr int MinCaptureWidth = 320;
constexpr int MinCaptureHeight = 240;
constexpr int MaxCaptureWidth = 3840;
constexpr int MaxCaptureHeight = 2160;

// The first frame's time and the number of frames, given where the track
// ends (trackEnd < 0: it never does): frames at from + k / fps that fall
// before to, or the one frame at from when from and to are equal.
struct TCaptureSpan {
  double From = 0;
  int64_t Count = 0;
};
std::optional<TUsageError> CaptureSpan(const TCaptureOptions& options, double trackEnd, TCaptureSpan& span);

// A captured frame: Width x Height pixels, the picture drawn at its own
// pixel size in the largest centred 4:3 rectangle (rows counted from the
// bottom) and black around it.
struct TCaptureLayout {
  int Width = 800;
  int Height = 600;
  TPixelRect Picture{0, 0, 800, 600};
};
TCaptureLayout CaptureLayout(int width, int height);

// "frame-000042.png"
std::string CaptureFileName(int64_t frame);

// Reads the frame drawn as the layout's picture into a frame of its size,
// RGB, bottom row first; what lies around the picture is left as it was in
// rgb (black when it is new).
void ReadBackFrame(const TCaptureLayout& layout, std::vector<uint8_t>& rgb);

// Reads finished frames back one frame late where the context has pixel
// buffer objects: frame k's copy is started when it is finished and taken
// when frame k + 1 is, so that the driver finishes one frame while the next
// is being drawn. Without them each frame is read at once.
class TFrameReadBack {
 public:
  explicit TFrameReadBack(const TCaptureLayout& layout);
  ~TFrameReadBack();
  TFrameReadBack(const TFrameReadBack&) = delete;
  TFrameReadBack& operator=(const TFrameReadBack&) = delete;
  // Starts reading the frame just finished; true when rgb now holds a
  // whole frame (the one before it, or this one when read at once).
  bool Push(std::vector<uint8_t>& rgb);
  // Takes the frame still being read, if there is one.
  bool Drain(std::vector<uint8_t>& rgb);

 private:
  void Take(int buffer, std::vector<uint8_t>& rgb);
  TCaptureLayout Layout;
  uint32_t Buffers[2] = {0, 0};
  int Next = 0;
  bool Pending = false;
};

// The progress line of a capture: frames done of total, frames per second
// and time left, a few times a second on a terminal and every few seconds
// into a log. Silent for a single frame.
class TCaptureProgress {
 public:
  explicit TCaptureProgress(int64_t total);
  void FrameDone();
  // Shows the last figures and ends the line.
  void Finish();
  // Ends an open line before a message.
  void Interrupt();

  int64_t Done = 0;
  int64_t Total;

 private:
  void Show(bool last);
  // Wall-clock time since the first frame.
  TETimer Clock;
  double Interval;
  double LastShown = 0;
};

// Where a capture's frames go: each finished frame is read back (one frame
// late) and taken by the target, with the progress line; the run's end
// takes the last one and completes the target.
class TCaptureTarget : public TFrameSink {
 public:
  TCaptureTarget(int64_t total, const TCaptureLayout& layout) : Progress(total), Layout(layout), ReadBack(layout) {}
  void FinishFrame() final;
  // Ends the run: takes the frame still being read back unless a signal
  // stopped the run, and completes the target once every frame is in.
  virtual void FinishRun(bool stopped) = 0;
  // Frames taken so far.
  int64_t Written() const { return Progress.Done; }
  // What a run that stopped early leaves behind ("nothing was kept").
  virtual std::string LeftBehind() const = 0;
  // Where a complete capture is, to be said once it is done; empty when the
  // progress line has said it all.
  virtual std::string Completed() const { return {}; }

 protected:
  // Takes one frame of the layout's size, RGB bottom row first; failures
  // raise ECaptureError.
  virtual void Take(const std::vector<uint8_t>& rgb) = 0;
  // Takes the frame still being read back, if there is one.
  void TakeLast();
  TCaptureProgress Progress;
  const TCaptureLayout Layout;

 private:
  TFrameReadBack ReadBack;
  std::vector<uint8_t> Pixels;
};

// Writes each finished frame as <folder>/frame-NNNNNN.png. A frame that
// cannot be written raises ECaptureError. `shown` names the folder in
// messages as the user gave it.
class TCaptureSink final : public TCaptureTarget {
 public:
  TCaptureSink(std::string folder, std::string shown, int64_t total, const TCaptureLayout& layout);
  // Writes the frame still being read back, and ends the progress line.
  void FinishRun(bool stopped) override;
  std::string LeftBehind() const override;

 private:
  void Take(const std::vector<uint8_t>& rgb) override;
  std::string Folder;
  std::string Shown;
};

class ECaptureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Pumps window events and polls the keyboard after a captured frame, so
// that Escape or a close still stops the run.
void HearWindowAndKeys();
