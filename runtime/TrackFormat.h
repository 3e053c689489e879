// The parameter track file "demo.vrk", as the program reads it and the tools
// write it. Little-endian: int32 C (channels, 1 to 64), int32 S (samples per
// channel, at least 1), int32 R (rate per minute; one rate unit spans 16
// samples), then C x S float32 samples, channel-major. NaN = inactive.
#pragma once
#include <cstdint>

// Samples in one rate unit: with the rate set to the tempo, a beat.
constexpr int TrackSamplesPerRateUnit = 16;
// The channel block holds 64 channels; a track may feed no more.
constexpr int MaxTrackChannels = 64;
// The NaN written for an inactive sample, the same the program clears channels with.
constexpr uint32_t InactiveSampleBits = 0xFFC00000u;
