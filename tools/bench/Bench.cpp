#include "Bench.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
double Quantile(const std::vector<double>& sorted, double q) {
  if (sorted.empty()) return 0;
  const double at = q * static_cast<double>(sorted.size() - 1);
  const size_t low = static_cast<size_t>(std::floor(at));
  const size_t high = std::min(low + 1, sorted.size() - 1);
  return sorted[low] + (sorted[high] - sorted[low]) * (at - static_cast<double>(low));
}
}  // namespace

TBenchResult Summarise(const std::string& workload, std::vector<double> frameSeconds,
                       const std::vector<TFrameFill>& frameFills) {
  std::vector<double> layers, shaded;
  for (const TFrameFill& fill : frameFills) {
    layers.push_back(fill.Layers);
    shaded.push_back(fill.Shaded);
  }
  std::sort(frameSeconds.begin(), frameSeconds.end());
  std::sort(layers.begin(), layers.end());
  std::sort(shaded.begin(), shaded.end());
  TBenchResult result;
  result.Workload = workload;
  result.MedianMs = Quantile(frameSeconds, 0.5) * 1000;
  result.P90Ms = Quantile(frameSeconds, 0.9) * 1000;
  result.Frames = static_cast<int>(frameSeconds.size());
  result.Layers = Quantile(layers, 0.5);
  result.Shaded = Quantile(shaded, 0.5);
  return result;
}

double MsPerLayer(const TBenchResult& reference) {
  return reference.Layers > 0 ? reference.MedianMs / reference.Layers : 0;
}

double FloorMs(const TBenchResult& result, const TBenchResult& reference) {
  return result.Layers * MsPerLayer(reference);
}

namespace {
// Frames per second, the ratio to the reference, the floor and the median
// over the floor (0 where there is no floor).
struct TDerived {
  double Fps;
  double Ratio;
  double Floor;
  double OverFloor;
};
TDerived Derive(const TBenchResult& r, const TBenchResult& reference) {
  const double floor = FloorMs(r, reference);
  return {r.MedianMs > 0 ? 1000 / r.MedianMs : 0, reference.MedianMs > 0 ? r.MedianMs / reference.MedianMs : 0, floor,
          floor > 0 ? r.MedianMs / floor : 0};
}
}  // namespace

std::string TableHeader() {
  char line[160];
  std::snprintf(line, sizeof line, "%-16s %9s %9s %8s %8s %7s %7s %8s %8s %7s", "workload", "median ms", "p90 ms",
                "fps", "ratio", "layers", "shaded", "floor ms", "x floor", "frames");
  return line;
}

std::string FormatResult(const TBenchResult& r, const TBenchResult& reference) {
  const TDerived d = Derive(r, reference);
  char line[160];
  std::snprintf(line, sizeof line, "%-16s %9.2f %9.2f %8.1f %8.2f %7.2f %7.2f %8.2f %8.2f %7d", r.Workload.c_str(),
                r.MedianMs, r.P90Ms, d.Fps, d.Ratio, r.Layers, r.Shaded, d.Floor, d.OverFloor, r.Frames);
  return line;
}

std::string CsvHeader() {
  return "workload,median_ms,p90_ms,fps,ratio_to_reference,layers,shaded,floor_ms,ratio_to_floor,frames";
}

std::string CsvLine(const TBenchResult& r, const TBenchResult& reference) {
  const TDerived d = Derive(r, reference);
  char line[200];
  std::snprintf(line, sizeof line, "%s,%.3f,%.3f,%.1f,%.3f,%.3f,%.3f,%.3f,%.3f,%d", r.Workload.c_str(), r.MedianMs,
                r.P90Ms, d.Fps, d.Ratio, r.Layers, r.Shaded, d.Floor, d.OverFloor, r.Frames);
  return line;
}
