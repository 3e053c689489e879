#include "runtime/MainLoop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/Clock.h"
#include "platform/DirectInput8.h"
#include "platform/EINKeyboard.h"
#include "platform/GLWindow.h"
#include "platform/HostLoop.h"
#include "platform/SharedState.h"
#include "platform/Termination.h"
#include "runtime/DemoMain.h"
#include "runtime/FrameState.h"
#include "runtime/VRTReader.h"

namespace {
// The time of the virtual clock's current frame, for the time of day.
double VirtualSeconds = 0;

TimeOfDay VirtualTimeOfDay() {
  constexpr int64_t MillisecondsPerDay = 24LL * 60 * 60 * 1000;
  int64_t ms = 0;
  if (VirtualSeconds > 0 && VirtualSeconds < 1e9) ms = std::llround(VirtualSeconds * 1000) % MillisecondsPerDay;
  const int msInSecond = static_cast<int>(ms % 1000);
  const int64_t seconds = ms / 1000;
  return TimeOfDay{static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                   static_cast<int>(seconds % 60), msInSecond};
}
}  // namespace

TTimerClock::TTimerClock(double start) : Start(start) { Timer.Start(); }

float TTimerClock::Elapsed() { return static_cast<float>(Start + Timer.Elapsed()); }

float TTimerClock::Delta() const { return Timer.Delta; }

int64_t TFrameRate::FrameAt(double seconds) const {
  const double frames = seconds * static_cast<double>(Num) / static_cast<double>(Den);
  if (!(frames >= 0 && frames < 9e15)) return -1;
  const int64_t k = std::llround(frames);
  return std::fabs(FrameTime(k) - seconds) <= 1e-9 ? k : -1;
}

int64_t TFrameRate::FramesBefore(double seconds) const {
  if (!(seconds > 0)) return 0;
  if (const int64_t k = FrameAt(seconds); k >= 0) return k;
  const double frames = seconds * static_cast<double>(Num) / static_cast<double>(Den);
  if (!(frames < 9e15)) return INT64_C(9000000000000000);
  return static_cast<int64_t>(std::ceil(frames));
}

TVirtualClock::TVirtualClock(double from, TFrameRate rate, int64_t count)
    : From(from), Rate(rate), Count(count), FirstFrame(rate.FrameAt(from)) {
  VirtualSeconds = from;
  Previous = SetTimeOfDaySource(VirtualTimeOfDay);
}

TVirtualClock::~TVirtualClock() { SetTimeOfDaySource(Previous); }

float TVirtualClock::Elapsed() {
  VirtualSeconds = FirstFrame >= 0 ? Rate.FrameTime(FirstFrame + Frame) : From + Rate.FrameTime(Frame);
  ++Frame;
  return static_cast<float>(VirtualSeconds);
}

void BringFrameStateTo(double to, TFrameRate rate, const std::function<void(double)>& sample) {
  ResetFrameState();
  const int64_t frames = rate.FramesBefore(to);
  if (frames == 0) return;
  TVirtualClock clock(0, rate, frames);
  const float saved = FrameDelta;
  while (!clock.Finished()) {
    const double t = clock.Elapsed();
    FrameDelta = clock.Delta();
    sample(t);
    StepFrameState(Channels);
  }
  FrameDelta = saved;
}

void BringFrameStateTo(double to, TFrameRate rate, TVRTReader& track) {
  // Past the track's end a run has ended: no frame there is drawn, so the
  // steps stop a second after it, however far the time asked for lies.
  if (const double end = track.EndTime(); end >= 0) to = std::min(to, end + 1);
  BringFrameStateTo(to, rate, [&](double t) { track.Sample(static_cast<float>(t)); });
  RunEnded = false;
}

float TVirtualClock::Delta() const { return static_cast<float>(Rate.FrameTime(1)); }

void TPresentSink::FinishFrame() { PresentAndPoll(); }

void TStatsSink::FinishFrame() {
  Inner.FinishFrame();
  Slowest = std::max(Slowest, Clock.Timer.Delta);
  // The timer starts a new second of counting in Elapsed.
  if (Clock.Timer.RateStart == SecondStart) return;
  if (SecondStart >= 0)
    std::fprintf(stderr, "%d frames/s, slowest frame %.1f ms\n", Clock.Timer.FramesPerSecond, Slowest * 1000.0);
  SecondStart = Clock.Timer.RateStart;
  Slowest = 0;
}

bool RunMainLoopFrame(TVRTReader& track, TFrameClock& clock, TFrameSink& sink) {
  if (KeyDown(DIK_ESCAPE) || RunEnded || QuitRequested() || TerminationRequested() || clock.Finished()) return false;
  float t = clock.Elapsed();
  FrameDelta = clock.Delta();
  track.Sample(t);
  DrawFrame();
  sink.FinishFrame();
  return true;
}

void RunMainLoop(TVRTReader& track, TFrameClock& clock, TFrameSink& sink) {
  RunHostLoop([&] { return RunMainLoopFrame(track, clock, sink); });
}
