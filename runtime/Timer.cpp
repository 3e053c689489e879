#include "runtime/Timer.h"

#include "platform/Clock.h"

namespace {
int64_t ReadTicks(bool highResolution) {
  const CounterSource& source = CurrentCounterSource();
  return highResolution ? source.Counter() : static_cast<int64_t>(source.TickCount());
}
}  // namespace

TETimer::TETimer() {
  int64_t frequency = CurrentCounterSource().Frequency();
  HighResolution = frequency > 0;
  SecondsPerTick = HighResolution ? 1.0 / static_cast<double>(frequency) : 0.001;
  OriginTicks = ReadTicks(HighResolution);
}

double TETimer::GetTime() {
  int64_t ticks = ReadTicks(HighResolution);
  // The tick count wraps at 2^32 ms (49.7 days); the difference stays right across one wrap.
  int64_t span = HighResolution ? ticks - OriginTicks : static_cast<int64_t>(static_cast<uint32_t>(ticks - OriginTicks));
  return static_cast<double>(span) * SecondsPerTick;
}

void TETimer::Start() {
  StartTime = GetTime();
  LastFrameTime = StartTime;
  FrameCount = 0;
  RateStart = GetTime();
}

float TETimer::Elapsed() {
  float result = static_cast<float>(GetTime() - StartTime);
  Delta = static_cast<float>(GetTime() - LastFrameTime);
  LastFrameTime = GetTime();
  ++FrameCount;
  if (GetTime() - RateStart > 1.0) {
    FramesPerSecond = FrameCount;
    FrameCount = 0;
    RateStart = GetTime();
  }
  return result;
}
