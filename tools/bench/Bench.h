// Timing the demo's frames: workloads of the program's own loop on the
// virtual clock (each scene alone, the whole track) and a reference workload
// that every figure is also given relative to. Each workload also has its
// fill floor: the layers its frames fill (the median frame's, in full frames'
// worth of pixels) at the reference's time per layer, measured in the same
// run; its median over that floor says how much more than its pixels a
// frame costs. Beside the layers filled stand the layers shaded, where the
// driver counts them: what the rasteriser actually ran its shader over.
#pragma once
#include <string>
#include <vector>

#include "FillCount.h"

struct TBenchResult {
  std::string Workload;
  double MedianMs = 0;
  double P90Ms = 0;
  int Frames = 0;
  double Layers = 0;  // median layers filled per frame
  double Shaded = 0;  // median layers shaded per frame
};

// The median and 90th percentile of the frame times, in milliseconds, and the
// medians of the layers filled and shaded per frame (none given: 0).
TBenchResult Summarise(const std::string& workload, std::vector<double> frameSeconds,
                       const std::vector<TFrameFill>& frameFills = {});
// The reference's milliseconds per layer; 0 when its layers were not counted.
double MsPerLayer(const TBenchResult& reference);
// The result's fill floor in milliseconds: its layers at the reference's
// time per layer.
double FloorMs(const TBenchResult& result, const TBenchResult& reference);
// One line of the table: the figures, the ratio of this median to the
// reference's, the layers filled and shaded, the floor and the median over
// the floor.
std::string TableHeader();
std::string FormatResult(const TBenchResult& result, const TBenchResult& reference);
std::string CsvHeader();
std::string CsvLine(const TBenchResult& result, const TBenchResult& reference);
