// Program-wide state that the runtime writes and the scenes read.
#pragma once
#include <cstdint>

constexpr int ChannelCount = 64;

// The channel block; NaN marks an inactive channel. All 0.0 at start.
extern float Channels[ChannelCount];
// Seconds the scenes animate by, and the duration of the last frame.
extern float SceneTime;
extern float FrameDelta;
// Set once the parameter track is exhausted.
extern bool RunEnded;

// The bits of the NaN the program writes when it clears channels, and of the
// inactive samples of a track file.
constexpr uint32_t InactiveChannelBits = 0xFFC00000u;
// That NaN as a float.
float InactiveChannel();
bool ChannelSet(float value);
