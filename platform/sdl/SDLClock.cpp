// The platform's counters on SDL and the C library's UTC clock.
#include <SDL.h>

#include <chrono>
#include <ctime>

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
  auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
  std::time_t secs = static_cast<std::time_t>(ms / 1000);
  std::tm utc{};
  gmtime_r(&secs, &utc);
  return TimeOfDay{utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(ms % 1000)};
}

TimeOfDay (*ActiveTimeOfDay)() = SystemUtcTimeOfDay;
}  // namespace

const CounterSource& CurrentCounterSource() { return *ActiveCounters; }
void SetCounterSource(const CounterSource* source) { ActiveCounters = source ? source : &PlatformCounters; }

TimeOfDay CurrentUtcTimeOfDay() { return ActiveTimeOfDay(); }
void SetTimeOfDaySource(TimeOfDay (*source)()) { ActiveTimeOfDay = source ? source : SystemUtcTimeOfDay; }
