#include "platform/SharedState.h"

#include <bit>
#include <cmath>

float Channels[ChannelCount] = {};
float SceneTime = 0;
float FrameDelta = 0;
bool RunEnded = false;

float InactiveChannel() { return std::bit_cast<float>(InactiveChannelBits); }

bool ChannelSet(float value) { return !std::isnan(value); }
