// The one main loop. It takes a clock, which says what time each frame shows
// and when the run is over, and a sink, which says what becomes of each
// finished frame: playing runs on the frame timer and presents every frame;
// capturing runs on a virtual clock and writes every frame to a file.
#pragma once
#include <cstdint>

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
};

// Frame k shows time From + k / Fps, for Count frames; each lasts 1 / Fps.
// While one exists, the time of day that reseeds the random numbers is
// 00:00:00.000 plus the frame's time, so runs repeat exactly.
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
};

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
