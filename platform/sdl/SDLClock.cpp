// The platform's counters on SDL and the standard library's UTC clock.
#include <SDL.h>

#include <chrono>
#include <cstdint>

#include "platform/Clock.h"

namespace {
int64_t SdlFrequency() { return static_cast<int64_t>(SDL_GetPerformanceFrequency()); }
int64_t SdlCounter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }
uint32_t SdlTicks() { return SDL_GetTicks(); }

const CounterSource PlatformCounters{SdlFrequency, SdlCounter, SdlTicks};
const CounterSource* ActiveCounters = &PlatformCounters;

TimeOfDay SystemUtcTimeOfDay() {
  using namespace std::chrono;
  auto now = system_clock::now();
  const int64_t ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
  // The clock counts days of exactly 86,400 seconds since midnight UTC.
  constexpr int64_t Day = 86400000;
  const int64_t today = (ms % Day + Day) % Day;
  return TimeOfDay{static_cast<int>(today / 3600000), static_cast<int>(today / 60000 % 60),
                   static_cast<int>(today / 1000 % 60), static_cast<int>(today % 1000)};
}

TimeOfDay (*ActiveTimeOfDay)() = SystemUtcTimeOfDay;
}  // namespace

const CounterSource& CurrentCounterSource() { return *ActiveCounters; }
void SetCounterSource(const CounterSource* source) { ActiveCounters = source ? source : &PlatformCounters; }

TimeOfDay CurrentUtcTimeOfDay() { return ActiveTimeOfDay(); }
TimeOfDaySource SetTimeOfDaySource(TimeOfDaySource source) {
  const TimeOfDaySource previous = ActiveTimeOfDay == SystemUtcTimeOfDay ? nullptr : ActiveTimeOfDay;
  ActiveTimeOfDay = source ? source : SystemUtcTimeOfDay;
  return previous;
}
