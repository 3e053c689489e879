#include "Light.h"

#include <algorithm>
#include <cstdio>

#include "platform/Presentation.h"
#include "scenes/Clockwork.h"

TPixelRect InnerRect(int width, int height) {
  TPixelRect inner = FitRect(width, height);
  const int bar = static_cast<int>(static_cast<long long>(LetterboxRows) * inner.Height / 600);
  inner.Y += bar;
  inner.Height = std::max(0, inner.Height - 2 * bar);
  return inner;
}

double WhiteShare(const uint8_t* rgb, int width, int height) {
  const TPixelRect inner = InnerRect(width, height);
  if (inner.Width <= 0 || inner.Height <= 0) return 0;
  int64_t white = 0;
  for (int y = inner.Y; y < inner.Y + inner.Height; ++y) {
    const uint8_t* p = rgb + (static_cast<size_t>(y) * width + inner.X) * 3;
    for (int x = 0; x < inner.Width; ++x, p += 3)
      white += p[0] >= FullWhiteLevel && p[1] >= FullWhiteLevel && p[2] >= FullWhiteLevel;
  }
  return static_cast<double>(white) / (static_cast<double>(inner.Width) * inner.Height);
}

TLightSummary SummariseLight(const std::vector<TLightFrame>& frames, double limit) {
  TLightSummary summary;
  summary.Frames = static_cast<int64_t>(frames.size());
  for (const TLightFrame& frame : frames) {
    if (frame.White > limit) {
      ++summary.Above;
      summary.AboveInFlash += frame.Flash;
    }
    if (!frame.Flash && (summary.Worst == nullptr || frame.White > summary.Worst->White)) summary.Worst = &frame;
  }
  return summary;
}

namespace {
std::string FrameLine(const TLightFrame& frame) {
  char line[96];
  std::snprintf(line, sizeof line, "  frame %06lld  %8.2f s  %5.1f%%", static_cast<long long>(frame.Index), frame.Time,
                frame.White * 100);
  std::string text = line;
  if (frame.Flash) {
    std::snprintf(line, sizeof line, "  flash %.2f", frame.FlashStrength);
    text += line;
  }
  return text + "\n";
}
}  // namespace

std::string LightReport(const std::vector<TLightFrame>& frames, double limit, int worst) {
  const TLightSummary summary = SummariseLight(frames, limit);
  char line[160];
  std::snprintf(line, sizeof line, "%lld of %lld frames above %.1f%% full white (%lld of them in the white flash)\n",
                static_cast<long long>(summary.Above), static_cast<long long>(summary.Frames), limit * 100,
                static_cast<long long>(summary.AboveInFlash));
  std::string report = line;
  for (const TLightFrame& frame : frames)
    if (frame.White > limit) report += FrameLine(frame);
  std::vector<const TLightFrame*> outside;
  for (const TLightFrame& frame : frames)
    if (!frame.Flash) outside.push_back(&frame);
  std::stable_sort(outside.begin(), outside.end(),
                   [](const TLightFrame* a, const TLightFrame* b) { return a->White > b->White; });
  if (outside.size() > static_cast<size_t>(std::max(worst, 0))) outside.resize(static_cast<size_t>(std::max(worst, 0)));
  if (!outside.empty()) {
    report += "The whitest frames outside the white flash:\n";
    for (const TLightFrame* frame : outside) report += FrameLine(*frame);
  }
  return report;
}
