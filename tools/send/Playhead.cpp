#include "Playhead.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Song.h"

namespace {
constexpr double SecondsPerBeat = 60.0 / Tempo;
// A time a step has landed on reads as a whole beat despite rounding.
constexpr double BeatSlack = 1e-6;

double Beats(double seconds) { return seconds / SecondsPerBeat + BeatSlack; }

// The grid point after (direction 1) or before (-1) the time, for a grid of
// `beats` beats.
double Step(double time, int beats, int direction) {
  const double at = Beats(time) / beats;
  const double point = direction > 0 ? std::floor(at) + 1 : std::ceil(at - 2 * BeatSlack / beats) - 1;
  return point * beats * SecondsPerBeat;
}
}  // namespace

std::vector<TPlayKey> DecodeKeys(const std::string& typed) {
  std::vector<TPlayKey> keys;
  for (size_t k = 0; k < typed.size(); ++k) {
    const char c = typed[k];
    if (c == ' ') keys.push_back(TPlayKey::PauseResume);
    if (c == 'q' || c == 'Q' || c == 3 || c == 4) keys.push_back(TPlayKey::Quit);
    // Arrows: ESC [ A..D, or ESC O A..D in the terminal's application mode.
    if (c == '\033' && k + 2 < typed.size() && (typed[k + 1] == '[' || typed[k + 1] == 'O')) {
      switch (typed[k + 2]) {
        case 'A': keys.push_back(TPlayKey::BarForward); break;
        case 'B': keys.push_back(TPlayKey::BarBack); break;
        case 'C': keys.push_back(TPlayKey::BeatForward); break;
        case 'D': keys.push_back(TPlayKey::BeatBack); break;
        default: break;
      }
      k += 2;
    }
  }
  return keys;
}

TPlayhead ApplyKey(TPlayhead state, TPlayKey key, double trackEnd) {
  switch (key) {
    case TPlayKey::PauseResume: state.Paused = !state.Paused; return state;
    case TPlayKey::Quit: state.Quit = true; return state;
    case TPlayKey::BeatBack: state.Time = Step(state.Time, 1, -1); break;
    case TPlayKey::BeatForward: state.Time = Step(state.Time, 1, 1); break;
    case TPlayKey::BarBack: state.Time = Step(state.Time, BeatsPerBar, -1); break;
    case TPlayKey::BarForward: state.Time = Step(state.Time, BeatsPerBar, 1); break;
  }
  state.Time = std::max(state.Time, 0.0);
  if (trackEnd >= 0) state.Time = std::min(state.Time, trackEnd);
  return state;
}

std::string StatusLine(const TPlayhead& state) {
  const long long beat = static_cast<long long>(std::floor(Beats(state.Time)));
  char line[96];
  std::snprintf(line, sizeof line, "%8.2f s   bar %lld:%lld   %s", state.Time, beat / BeatsPerBar, beat % BeatsPerBar,
                state.Paused ? "paused" : "playing");
  return line;
}
