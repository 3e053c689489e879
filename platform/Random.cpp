#include "platform/Random.h"

#include "platform/Clock.h"

uint32_t RandSeed = 0;

double RandomFloat() {
  RandSeed = RandSeed * 134775813u + 1u;
  return static_cast<double>(RandSeed) / 4294967296.0;
}

void Randomize() {
  TimeOfDay t = CurrentUtcTimeOfDay();
  RandSeed = static_cast<uint32_t>(((t.Hour * 60 + t.Minute) * 60 + t.Second) * 1000 + t.Millisecond);
}
