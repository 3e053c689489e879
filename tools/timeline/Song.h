// The song's shape, which the music is written to and the track is compiled
// against: the scenes' beat clock's tempo, four beats a bar, 96 bars.
#pragma once

#include "scenes/Beat.h"

constexpr int Tempo = static_cast<int>(BPM);  // beats per minute, whole
static_assert(Tempo == BPM, "the track stores the tempo as a whole number");
constexpr int BeatsPerBar = 4;
constexpr int SongBars = 96;
