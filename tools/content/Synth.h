// The demo's music: a synthesised piece at the song's tempo (Song.h) in A minor,
// 96 bars long (intro, build, main part, bridge, break, second build, finale,
// end), rendered as 44100 Hz stereo starting on the first beat.
#pragma once
#include <cstdint>
#include <vector>

#include "Song.h"

constexpr int SampleRate = 44100;
constexpr int StepsPerBeat = 4;  // sixteenth notes
constexpr int StepsPerBar = StepsPerBeat * BeatsPerBar;
constexpr int SongSteps = SongBars * StepsPerBar;

// Sample index at which a step (a sixteenth note from the start) begins.
int64_t StepToSample(double row);

// The whole piece, interleaved left/right, peaks below 0.9.
std::vector<float> RenderSong();
