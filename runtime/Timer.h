// The frame timer: seconds since Start and the duration of the last frame.
// Readings are taken relative to an origin captured when the timer is made
// and kept in double precision, so they stay exact however long the machine
// has been up; only the values handed out are 32-bit floats.
#pragma once
#include <cstdint>

class TETimer {
 public:
  TETimer();
  // One reading: seconds since the timer's origin.
  double GetTime();
  void Start();
  // Seconds since Start; also updates Delta and the frame counter.
  float Elapsed();

  double SecondsPerTick = 0;
  bool HighResolution = false;
  double StartTime = 0;
  double LastFrameTime = 0;
  float Delta = 0;
  int32_t FrameCount = 0;
  double RateStart = 0;
  int32_t FramesPerSecond = 0;

 private:
  int64_t OriginTicks = 0;
};
