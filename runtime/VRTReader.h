// The parameter track "demo.vrk": reading it and sampling its channels.
//
// Track file, little-endian: int32 C (channels, 1 to 64), int32 S (samples
// per channel, at least 1), int32 R (rate per minute; one rate unit spans 16
// samples), then C x S float32 samples, channel-major. NaN = inactive.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A track the reader refuses; the message names the file and the reason.
class ETrackError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TVRTReader {
 public:
  explicit TVRTReader(const std::string& fileName);
  // Replaces Data and Rate with the file's content. Raises EFOpenError,
  // EReadError (header cut short) or ETrackError (header out of range).
  void LoadFromFile(const std::string& fileName);
  // Publishes SceneTime, samples the first C channels at Time seconds, and
  // sets RunEnded once Time has run past the last sample.
  void Sample(float time);
  // Seconds from the start of the music to the last sample, or -1 for a
  // track that never ends (a rate of 0 or less).
  double EndTime() const;

  std::vector<std::vector<float>> Data;
  int32_t Rate = 0;
};

// Four-point cubic through y1 (mu = 0) and y2 (mu = 1). A NaN y0, y2 or y3
// is replaced by its neighbour; a NaN y1 gives NaN.
float CubicInterpolate(float y0, float y1, float y2, float y3, float mu);

