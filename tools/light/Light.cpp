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

TLightSummary SummariseLight(const std::vector<TLightFrame>& frames, const TLightLimits& limits,
                             double frameSeconds) {
  TLightSummary summary;
  summary.Frames = static_cast<int64_t>(frames.size());
  TDarkStretch stretch;
  auto closeStretch = [&] {
    if (stretch.First != nullptr) {
      stretch.Seconds = stretch.Last->Time - stretch.First->Time + frameSeconds;
      if (stretch.Seconds > limits.DarkSeconds) summary.Dark.push_back(stretch);
    }
    stretch = TDarkStretch{};
  };
  for (const TLightFrame& frame : frames) {
    if (frame.White > limits.White) {
      ++summary.Above;
      summary.AboveInFlash += frame.Flash;
    }
    if (!frame.Flash && (summary.Worst == nullptr || frame.White > summary.Worst->White)) summary.Worst = &frame;
    if (frame.Slide >= 0 && frame.SlideAlpha >= limits.SlideAlpha) {
      ++summary.Slides;
      if (frame.Readable < limits.Readable) summary.Unreadable.push_back(&frame);
      if (summary.LeastReadable == nullptr || frame.Readable < summary.LeastReadable->Readable)
        summary.LeastReadable = &frame;
    }
    if (frame.Fade) {
      closeStretch();
      continue;
    }
    if (!frame.Flash && frame.Tone.Washed()) {
      if (frame.Tone.Spread() < limits.FlatSpread) summary.Flat.push_back(&frame);
      if (summary.Flattest == nullptr || frame.Tone.Spread() < summary.Flattest->Tone.Spread())
        summary.Flattest = &frame;
    }
    if (summary.Darkest == nullptr || frame.Tone.Lit < summary.Darkest->Tone.Lit) summary.Darkest = &frame;
    if (frame.Tone.Lit < limits.DarkLit) {
      if (stretch.First == nullptr) stretch.First = &frame;
      stretch.Last = &frame;
      stretch.LeastLit = std::min(stretch.LeastLit, frame.Tone.Lit);
    } else {
      closeStretch();
    }
  }
  closeStretch();
  return summary;
}

namespace {
std::string Format(const char* format, auto... values) {
  char line[256];
  std::snprintf(line, sizeof line, format, values...);
  return line;
}

std::string FrameStart(const TLightFrame& frame) {
  return Format("  frame %06lld  %8.2f s", static_cast<long long>(frame.Index), frame.Time);
}

std::string FrameLine(const TLightFrame& frame) {
  std::string text = FrameStart(frame) + Format("  %5.1f%%", frame.White * 100);
  if (frame.Flash) text += Format("  flash %.2f", frame.FlashStrength);
  return text + "\n";
}

const char* const SlideNames[4] = {"groups", "credits", "title", "greetings"};

std::string SlideLine(const TLightFrame& frame) {
  return FrameStart(frame) + Format("  %-9s at %.2f  %5.1f%% of its text reads\n", SlideNames[frame.Slide],
                                    frame.SlideAlpha, frame.Readable * 100);
}

std::string ToneLine(const TLightFrame& frame) {
  return FrameStart(frame) + Format("  luma %3.0f to %3.0f (spread %3.0f), %5.1f%% lit, mean %5.1f\n", frame.Tone.P5,
                                    frame.Tone.P95, frame.Tone.Spread(), frame.Tone.Lit * 100, frame.Tone.Mean);
}

std::string WhiteSection(const std::vector<TLightFrame>& frames, const TLightLimits& limits,
                         const TLightSummary& summary, int worst) {
  std::string report = Format("%lld of %lld frames above %.1f%% full white (%lld of them in the white flash)\n",
                              static_cast<long long>(summary.Above), static_cast<long long>(summary.Frames),
                              limits.White * 100, static_cast<long long>(summary.AboveInFlash));
  for (const TLightFrame& frame : frames)
    if (frame.White > limits.White) report += FrameLine(frame);
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
}  // namespace

std::string LightReport(const std::vector<TLightFrame>& frames, const TLightLimits& limits, int worst,
                        double frameSeconds) {
  const TLightSummary summary = SummariseLight(frames, limits, frameSeconds);
  std::string report = WhiteSection(frames, limits, summary, worst);
  report += Format("%lld of %lld frames with a slide at %.2f or more have less than %.0f%% of its text readable\n",
                   static_cast<long long>(summary.Unreadable.size()), static_cast<long long>(summary.Slides),
                   limits.SlideAlpha, limits.Readable * 100);
  for (const TLightFrame* frame : summary.Unreadable) report += SlideLine(*frame);
  if (summary.LeastReadable) report += "The least readable:\n" + SlideLine(*summary.LeastReadable);
  report += Format("%lld frames outside the flash and the fades are a flat wash: lit all over, their luma spread "
                   "less than %.0f of 255\n",
                   static_cast<long long>(summary.Flat.size()), limits.FlatSpread);
  for (const TLightFrame* frame : summary.Flat) report += ToneLine(*frame);
  if (summary.Flattest) report += "The flattest wash outside the flash and the fades:\n" + ToneLine(*summary.Flattest);
  report += Format("%lld stretches outside the fades longer than %.1f s with less than %.0f%% of the pixels lit\n",
                   static_cast<long long>(summary.Dark.size()), limits.DarkSeconds, limits.DarkLit * 100);
  for (const TDarkStretch& stretch : summary.Dark)
    report += Format("  %8.2f s to %8.2f s (%.2f s), at least %.1f%% lit\n", stretch.First->Time, stretch.Last->Time,
                     stretch.Seconds, stretch.LeastLit * 100);
  if (summary.Darkest) report += "The least lit outside the fades:\n" + ToneLine(*summary.Darkest);
  return report;
}

std::string LightTable(const std::vector<TLightFrame>& frames) {
  std::string table = "frame,time,white,flash,slide,slide_alpha,readable,luma_p5,luma_p95,lit,mean_luma,fade\n";
  for (const TLightFrame& f : frames)
    table += Format("%lld,%.4f,%.4f,%.3f,%s,%.3f,%.4f,%.0f,%.0f,%.4f,%.2f,%d\n", static_cast<long long>(f.Index), f.Time,
                    f.White, f.Flash ? f.FlashStrength : 0.0f, f.Slide >= 0 ? SlideNames[f.Slide] : "", f.SlideAlpha,
                    f.Readable, f.Tone.P5, f.Tone.P95, f.Tone.Lit, f.Tone.Mean, f.Fade ? 1 : 0);
  return table;
}
