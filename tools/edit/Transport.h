// Playing: the music from a time, the clock the preview follows while it
// plays (the audio output's own where there is music, else the frame
// timer's), the loop range it repeats, and the end of the track.
#pragma once
#include <cstdint>
#include <optional>

#include "runtime/Timer.h"

struct TLoopTimes {
  double From, To;  // seconds
};

class TTransport {
 public:
  // The music's slot (platform/Music.h LoadSample), -1 for none; where the
  // track ends.
  void SetMusic(int32_t sample, double trackEnd);
  bool Playing() const { return Active; }
  // Plays from the time; with a loop, play wraps from its end to its start.
  void Play(double from, std::optional<TLoopTimes> loop);
  void Stop();
  // The time playing has reached (wrapped at the loop's end; at the track's
  // end play stops there).
  double Now();

 private:
  void Start(double from);
  int32_t Sample = -1;
  int32_t Playback = 0;
  double End = -1;
  bool Active = false;
  std::optional<TLoopTimes> Loop;
  double From = 0;
  TETimer Clock;
  double ClockStart = 0;
};
