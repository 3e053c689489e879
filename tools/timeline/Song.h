// The song's shape, which the music is written to and the track is compiled
// against: 157 beats per minute, four beats a bar, 96 bars.
#pragma once

constexpr int Tempo = 157;  // beats per minute
constexpr int BeatsPerBar = 4;
constexpr int SongBars = 96;
