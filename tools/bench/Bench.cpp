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

TBenchResult Summarise(const std::string& workload, std::vector<double> frameSeconds) {
  std::sort(frameSeconds.begin(), frameSeconds.end());
  TBenchResult result;
  result.Workload = workload;
  result.MedianMs = Quantile(frameSeconds, 0.5) * 1000;
  result.P90Ms = Quantile(frameSeconds, 0.9) * 1000;
  result.Frames = static_cast<int>(frameSeconds.size());
  return result;
}

namespace {
// Frames per second and the ratio to the reference, from the medians.
struct TDerived {
  double Fps;
  double Ratio;
};
TDerived Derive(const TBenchResult& r, double referenceMedianMs) {
  return {r.MedianMs > 0 ? 1000 / r.MedianMs : 0, referenceMedianMs > 0 ? r.MedianMs / referenceMedianMs : 0};
}
}  // namespace

std::string FormatResult(const TBenchResult& r, double referenceMedianMs) {
  const TDerived d = Derive(r, referenceMedianMs);
  char line[160];
  std::snprintf(line, sizeof line, "%-16s %9.2f %9.2f %8.1f %8.2f %7d", r.Workload.c_str(), r.MedianMs, r.P90Ms, d.Fps,
                d.Ratio, r.Frames);
  return line;
}

std::string CsvHeader() { return "workload,median_ms,p90_ms,fps,ratio_to_reference,frames"; }

std::string CsvLine(const TBenchResult& r, double referenceMedianMs) {
  const TDerived d = Derive(r, referenceMedianMs);
  char line[160];
  std::snprintf(line, sizeof line, "%s,%.3f,%.3f,%.1f,%.3f,%d", r.Workload.c_str(), r.MedianMs, r.P90Ms, d.Fps, d.Ratio,
                r.Frames);
  return line;
}
