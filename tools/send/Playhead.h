// The editing client's place in the track and what the keys do to it: space
// pauses and resumes, left and right go to the previous or next beat, up and
// down to the next or previous bar (of the song's 157 beats a minute, four
// beats a bar), q quits.
#pragma once
#include <string>
#include <vector>

struct TPlayhead {
  double Time = 0;  // seconds from the start of the music
  bool Paused = false;
  bool Quit = false;
};

enum class TPlayKey { PauseResume, BeatBack, BeatForward, BarForward, BarBack, Quit };

// The keys in bytes typed into a terminal: space, q, Ctrl+C and Ctrl+D (as
// q), and the arrows as the escape sequences terminals send for them.
// Anything else is passed over.
std::vector<TPlayKey> DecodeKeys(const std::string& typed);

// The playhead after a key. Steps land on the beat grid and stay within 0
// and trackEnd (trackEnd < 0: the track never ends).
TPlayhead ApplyKey(TPlayhead state, TPlayKey key, double trackEnd);

// "  12.35 s   bar 7:2   playing": the time, and the bar and beat counted
// from 0 as the timeline writes positions.
std::string StatusLine(const TPlayhead& state);
