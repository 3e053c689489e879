#include "platform/SharedState.h"

#include <cmath>
#include <cstring>

float Channels[ChannelCount] = {};
float SceneTime = 0;
float FrameDelta = 0;
bool RunEnded = false;

float InactiveChannel() {
  // Copied bit for bit: not every standard library has std::bit_cast yet.
  float value;
  std::memcpy(&value, &InactiveChannelBits, sizeof value);
  return value;
}

bool ChannelSet(float value) { return !std::isnan(value); }
