// The one main loop. It takes a clock, which says what time each frame shows
// and when the run is over, and a sink, which says what becomes of each
// finished frame: playing runs on the frame timer and presents every frame;
// capturing runs on a virtual clock and writes every frame to a file.
#pragma once
#include <cstdint>
#include <functional>

#include "platform/Clock.h"
#include "runtime/Timer.h"

class TVRTReader;

class TFrameClock {
 public:
  virtual ~TFrameClock() = default;
  // Seconds of the frame about to be drawn; also moves Delta on.
  virtual float Elapsed() = 0;
  // Duration of the last frame.
  virtual float Delta() const = 0;
  // No further frames to draw.
  virtual bool Finished() const = 0;
};

// The frame timer, started now: time 0 is the start of the music, and the
// first frame shows start seconds (the music was started there too).
class TTimerClock final : public TFrameClock {
 public:
  explicit TTimerClock(double start = 0);
  float Elapsed() override;
  float Delta() const override;
  bool Finished() const override { return false; }

  TETimer Timer;
  double Start;
};

// Frames a second as a fraction of whole numbers (60000/1001 for NTSC's
// 59.94), so that frame k's time, k x Den / Num, is computed afresh for
// every frame and carries no drift.
struct TFrameRate {
  int64_t Num = 60;
  int64_t Den = 1;
  double PerSecond() const { return static_cast<double>(Num) / static_cast<double>(Den); }
  // Seconds from frame 0 to frame k.
  double FrameTime(int64_t k) const { return static_cast<double>(k * Den) / static_cast<double>(Num); }
  // The frame at seconds, when seconds is a frame's time at this rate
  // (within a nanosecond); -1 otherwise.
  int64_t FrameAt(double seconds) const;
  // How many frames come before seconds: those whose time is earlier.
  int64_t FramesBefore(double seconds) const;
};

// Frame k shows time From + k / Fps, for Count frames; each lasts 1 / Fps.
// A From that is itself a frame's time at that rate counts its frames from
// there (frame k is frame FrameAt(From) + k of a run from 0), so that a run
// started there shows the very times a run from the start shows. While one
// exists, the time of day that reseeds the random numbers is 00:00:00.000
// plus the frame's time, so runs repeat exactly.
class TVirtualClock final : public TFrameClock {
 public:
  TVirtualClock(double from, TFrameRate rate, int64_t count);
  ~TVirtualClock() override;
  TVirtualClock(const TVirtualClock&) = delete;
  TVirtualClock& operator=(const TVirtualClock&) = delete;
  float Elapsed() override;
  float Delta() const override;
  bool Finished() const override { return Frame >= Count; }

  double From;
  TFrameRate Rate;
  int64_t Count;
  // Frames handed out so far.
  int64_t Frame = 0;

 private:
  // From's frame on the rate's grid, or -1 when it lies between frames.
  int64_t FirstFrame;
  TimeOfDaySource Previous;
};

// Brings what a frame leaves for the next (runtime/FrameState.h) to the
// first frame at or after `to` of a run from time 0 at `rate`: from the
// program's starting state, each earlier frame is stepped at its time, with
// the channels sample(t) sets there and the random numbers reseeded from
// that time as on the virtual clock. Nothing is drawn. Every way of
// starting later than 0 (a still, --start, a capture's --from, a seek)
// comes through here, so that its frames are those of a run from the start.
void BringFrameStateTo(double to, TFrameRate rate, const std::function<void(double)>& sample);
// The same with the channels from the track, whose end bounds the steps.
void BringFrameStateTo(double to, TFrameRate rate, TVRTReader& track);

class TFrameSink {
 public:
  virtual ~TFrameSink() = default;
  virtual void FinishFrame() = 0;
};

// Presents the frame and polls the keyboard.
class TPresentSink final : public TFrameSink {
 public:
  void FinishFrame() override;
};

// Finishes each frame with another sink and, once a second, prints on stderr
// the frames of the last second (as the frame timer counts them) and the
// slowest frame's milliseconds.
class TStatsSink final : public TFrameSink {
 public:
  TStatsSink(TTimerClock& clock, TFrameSink& inner) : Clock(clock), Inner(inner) {}
  void FinishFrame() override;

 private:
  TTimerClock& Clock;
  TFrameSink& Inner;
  double SecondStart = -1;  // RateStart of the second being counted
  float Slowest = 0;
};

// Samples the track and draws frames until Escape, the end of the track, a
// closed window, a termination signal or the end of the clock.
void RunMainLoop(TVRTReader& track, TFrameClock& clock, TFrameSink& sink);
// The loop's frames come from the host (platform/HostLoop.h): in a browser
// this call does not return.
// One pass of that loop: draws and finishes one frame, or returns false
// (drawing nothing) once the run is over.
bool RunMainLoopFrame(TVRTReader& track, TFrameClock& clock, TFrameSink& sink);
