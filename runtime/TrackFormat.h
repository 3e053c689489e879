// The parameter track file "demo.vrk", as the program reads it and the tools
// write it. Little-endian: int32 C (channels, 1 to 64), int32 S (samples per
// channel, at least 1), int32 R (rate per minute; one rate unit spans 16
// samples), then C x S float32 samples, channel-major. NaN = inactive.
#pragma once
#include <cstdint>

#include "platform/SharedState.h"

// Samples in one rate unit: with the rate set to the tempo, a beat.
constexpr int TrackSamplesPerRateUnit = 16;
// A track may feed no more channels than the channel block holds.
constexpr int MaxTrackChannels = ChannelCount;
// The NaN written for an inactive sample, the same the program clears channels with.
constexpr uint32_t InactiveSampleBits = InactiveChannelBits;
