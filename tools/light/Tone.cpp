#include "Tone.h"

#include <array>
#include <cmath>

#include "Legibility.h"
#include "Light.h"

TTone FrameTone(const uint8_t* rgb, int width, int height) {
  TTone tone;
  const TPixelRect inner = InnerRect(width, height);
  if (inner.Width <= 0 || inner.Height <= 0) return tone;
  std::array<int64_t, 256> histogram{};
  double total = 0;
  for (int y = inner.Y; y < inner.Y + inner.Height; ++y) {
    const uint8_t* p = rgb + (static_cast<size_t>(y) * width + inner.X) * 3;
    for (int x = 0; x < inner.Width; ++x, p += 3) {
      const double luma = Luma(p[0], p[1], p[2]);
      total += luma;
      ++histogram[static_cast<size_t>(std::lround(luma))];
    }
  }
  const int64_t pixels = static_cast<int64_t>(inner.Width) * inner.Height;
  // The percentile's level: the first whose running count reaches it.
  auto percentile = [&](double share) {
    const double wanted = share * static_cast<double>(pixels);
    int64_t seen = 0;
    for (int level = 0; level < 256; ++level) {
      seen += histogram[level];
      if (static_cast<double>(seen) >= wanted) return static_cast<double>(level);
    }
    return 255.0;
  };
  tone.P5 = percentile(0.05);
  tone.P95 = percentile(0.95);
  int64_t lit = 0;
  for (int level = LitLuma + 1; level < 256; ++level) lit += histogram[level];
  tone.Lit = static_cast<double>(lit) / static_cast<double>(pixels);
  tone.Mean = total / static_cast<double>(pixels);
  return tone;
}
