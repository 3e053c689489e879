// Timing the demo's frames: workloads of the program's own loop on the
// virtual clock (each scene alone, the whole track) and a reference workload
// that every figure is also given relative to.
#pragma once
#include <string>
#include <vector>

struct TBenchResult {
  std::string Workload;
  double MedianMs = 0;
  double P90Ms = 0;
  int Frames = 0;
};

// The median and 90th percentile of the frame times, in milliseconds.
TBenchResult Summarise(const std::string& workload, std::vector<double> frameSeconds);
// One line of the table; ratio is this median over the reference median.
std::string FormatResult(const TBenchResult& result, double referenceMedianMs);
std::string CsvHeader();
std::string CsvLine(const TBenchResult& result, double referenceMedianMs);
