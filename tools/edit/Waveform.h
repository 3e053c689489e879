// The music's waveform summarised once for drawing at any zoom: for every
// short span of frames (the channels mixed), its lowest and highest sample
// and its mean square; a column on the screen takes the spans it covers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct TWaveColumn {
  float Min = 0, Max = 0;  // -1 to 1
  float Rms = 0;           // the loudness: root mean square, 0 to 1
};

class TWaveform {
 public:
  // Frames of interleaved 16-bit samples at rate frames a second.
  void Build(const int16_t* samples, size_t frames, int channels, int rate);
  bool Empty() const { return Lowest.empty(); }
  double Seconds() const { return Rate > 0 ? static_cast<double>(Frames) / Rate : 0; }
  // The music from one time to another (seconds): silence outside it.
  TWaveColumn Column(double from, double to) const;
  // The largest magnitude of any sample, for drawing at full height.
  float Peak() const { return Loudest; }

  // Frames a span summarises.
  static constexpr int SpanFrames = 64;

 private:
  int Rate = 0;
  size_t Frames = 0;
  float Loudest = 0;
  std::vector<float> Lowest, Highest, Squares;  // Squares: the span's sum of squares
};
