// The parameter track "demo.vrk" (its layout in runtime/TrackFormat.h):
// reading it, or taking channels compiled elsewhere, and sampling them.
#pragma once
#include <cstddef>
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
  // A reader with no track yet; Sample needs one loaded first.
  TVRTReader() = default;
  explicit TVRTReader(const std::string& fileName);
  // Replaces Data and Rate with the file's content. Raises EFOpenError,
  // EReadError (header cut short) or ETrackError (header out of range).
  void LoadFromFile(const std::string& fileName);
  // The same from the file's bytes held in memory; fileName goes into the
  // messages. An image shorter than the header raises EReadError.
  void LoadFromImage(const uint8_t* bytes, size_t size, const std::string& fileName);
  // Replaces Data and Rate with channels made elsewhere, such as a compiled
  // timeline. Raises ETrackError, naming source, for a track a file could
  // not hold either: 1 to 64 channels, all of the same length, at least 1.
  void LoadChannels(std::vector<std::vector<float>> data, int32_t rate, const std::string& source);
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

