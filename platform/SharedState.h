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

// The NaN the program writes when it clears channels (bit pattern 0xFFC00000).
float InactiveChannel();
bool ChannelSet(float value);
