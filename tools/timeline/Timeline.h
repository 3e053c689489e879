// The parameter track's source: a text timeline of keys per channel, and its
// compilation into the sampled track "demo.vrk". A row is one track sample,
// a sixteenth of a beat; a bar is four beats.
//
//   channel <n> [words...]          keys below belong to channel n (0 to 10, or
//                                   its name: runtime/ChannelBindings.h)
//   <bar>[:<beat>[:<row>]] <value|off> [hold|linear|smooth]
//   repeat <count> every <pos> from <pos>   keys up to "end" repeat, shifted
//   end
//
// The shape says how the value travels to the channel's next key; "off" is
// NaN. Before its first key a channel is off; after its last it holds.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Song.h"
#include "runtime/ChannelBindings.h"
#include "runtime/TrackFormat.h"

// The track feeds every channel with a binding, by its number.
constexpr int TrackChannels = BoundChannels;
// The track's rate is the tempo, so a rate unit is a beat.
constexpr int RowsPerTrackBeat = TrackSamplesPerRateUnit;
// The track runs to the first row after the song's last bar.
constexpr int SongTrackSamples = SongBars * BeatsPerBar * RowsPerTrackBeat + 1;

// A timeline that cannot be read; the message starts with "line N: ".
class TimelineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Shape { Hold, Linear, Smooth };

struct Key {
  int Row;      // track samples from the start
  float Value;  // NaN for off
  Shape Curve;
  int Line;     // source line, for messages
};

struct Timeline {
  std::vector<std::vector<Key>> Channels = std::vector<std::vector<Key>>(TrackChannels);
};

// Reads the keys. A key, written or repeated, past the song's track is an
// error at its line.
Timeline ParseTimeline(const std::string& text);

// Samples every channel at rows 0 .. samples - 1. Keys past the end are an error.
std::vector<std::vector<float>> CompileTimeline(const Timeline& timeline, int samples);

// The song's track from the timeline's text: every channel sampled at rows
// 0 .. SongTrackSamples - 1, to be played at a rate of Tempo. Throws
// TimelineError.
std::vector<std::vector<float>> CompileSongTrack(const std::string& text);

// The track file image: channel count, sample count, rate, samples channel-major.
std::vector<uint8_t> EncodeTrack(const std::vector<std::vector<float>>& channels, int rate);
