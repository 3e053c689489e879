// Time sources: the high-resolution counter, the millisecond tick count and
// the UTC time of day. Each can be replaced, for tests.
#pragma once
#include <cstdint>

struct CounterSource {
  // Ticks per second, or 0 when there is no high-resolution counter.
  int64_t (*Frequency)();
  int64_t (*Counter)();
  // Milliseconds since some fixed origin, wrapping at 2^32.
  uint32_t (*TickCount)();
};

struct TimeOfDay {
  int Hour, Minute, Second, Millisecond;
};

const CounterSource& CurrentCounterSource();
// nullptr restores the platform's own source.
void SetCounterSource(const CounterSource* source);

using TimeOfDaySource = TimeOfDay (*)();
TimeOfDay CurrentUtcTimeOfDay();
// nullptr restores the system clock. Returns the source it replaces
// (nullptr for the system clock), for a caller that puts it back.
TimeOfDaySource SetTimeOfDaySource(TimeOfDaySource source);
