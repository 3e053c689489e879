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

TVirtualClock::TVirtualClock(double from, TFrameRate rate, int64_t count) : From(from), Rate(rate), Count(count) {
  VirtualSeconds = from;
  SetTimeOfDaySource(VirtualTimeOfDay);
}

TVirtualClock::~TVirtualClock() { SetTimeOfDaySource(nullptr); }

float TVirtualClock::Elapsed() {
  VirtualSeconds = From + Rate.FrameTime(Frame);
  ++Frame;
  return static_cast<float>(VirtualSeconds);
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
