// The beat clock the scenes share: a fixed tempo, a sine that runs a whole
// number of periods per beat, and an accumulator that marks each beat
// boundary for whichever scene consumes it next.
#pragma once

// Beats per minute of the music, the track and the scenes; never changed.
constexpr float BPM = 157.0f;
// Frame time accumulated since the last beat boundary.
extern float BeatTime;
// A beat boundary has been crossed and not yet consumed.
extern bool BeatFlag;
// Redrawn on the beats the pea swarm consumes.
extern float BeatRandom;

// sin(2 pi k t BPM / 60) at the current SceneTime: k periods per beat.
float BeatWave(float k);
// Adds FrameDelta to BeatTime; past one beat's length, raises BeatFlag and
// takes the beat off BeatTime.
void UpdateBeat();
// The state the program starts with (BeatTime 0, no beat, BeatRandom 1).
void ResetBeat();
