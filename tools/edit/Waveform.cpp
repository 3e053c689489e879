#include "Waveform.h"

#include <algorithm>
#include <cmath>

void TWaveform::Build(const int16_t* samples, size_t frames, int channels, int rate) {
  Lowest.clear();
  Highest.clear();
  Squares.clear();
  Rate = rate;
  Frames = frames;
  Loudest = 0;
  if (samples == nullptr || channels <= 0 || rate <= 0) {
    Frames = 0;
    return;
  }
  const size_t spans = (frames + SpanFrames - 1) / SpanFrames;
  Lowest.reserve(spans);
  Highest.reserve(spans);
  Squares.reserve(spans);
  const float scale = 1.0f / (32768.0f * static_cast<float>(channels));
  for (size_t span = 0; span < spans; ++span) {
    float low = 1, high = -1, squares = 0;
    const size_t end = std::min(frames, (span + 1) * SpanFrames);
    for (size_t f = span * SpanFrames; f < end; ++f) {
      int sum = 0;
      for (int c = 0; c < channels; ++c) sum += samples[f * static_cast<size_t>(channels) + static_cast<size_t>(c)];
      const float v = static_cast<float>(sum) * scale;
      low = std::min(low, v);
      high = std::max(high, v);
      squares += v * v;
    }
    Lowest.push_back(low);
    Highest.push_back(high);
    Loudest = std::max({Loudest, -low, high});
    Squares.push_back(squares);
  }
}

TWaveColumn TWaveform::Column(double from, double to) const {
  TWaveColumn column;
  if (Empty() || !(to > from)) return column;
  const double first = std::floor(from * Rate / SpanFrames), last = std::ceil(to * Rate / SpanFrames);
  const double count = static_cast<double>(Lowest.size());
  if (last <= 0 || first >= count) return column;
  const size_t begin = static_cast<size_t>(std::max(first, 0.0));
  const size_t end = std::max(begin + 1, static_cast<size_t>(std::min(last, count)));
  float low = 1, high = -1;
  double squares = 0;
  for (size_t span = begin; span < end; ++span) {
    low = std::min(low, Lowest[span]);
    high = std::max(high, Highest[span]);
    squares += Squares[span];
  }
  const double frames = std::min<double>(static_cast<double>(Frames), static_cast<double>(end) * SpanFrames) -
                        static_cast<double>(begin) * SpanFrames;
  column.Min = low;
  column.Max = high;
  column.Rms = frames > 0 ? static_cast<float>(std::sqrt(squares / frames)) : 0;
  return column;
}
