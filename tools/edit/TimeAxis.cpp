#include "TimeAxis.h"

#include <algorithm>
#include <cmath>

namespace {
// "2nd", "3rd", "16th".
std::string Ordinal(int n) {
  const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th"
                       : n % 10 == 1                    ? "st"
                       : n % 10 == 2                    ? "nd"
                       : n % 10 == 3                    ? "rd"
                                                        : "th";
  return std::to_string(n) + suffix;
}

int BeatGrid() {
  for (int g = 0; g < GridCount; ++g)
    if (Grids[g].LinesPerBeat == 1) return g;
  return 0;
}
}  // namespace

TTimeAxis::TTimeAxis(const TrackLayout& layout) : Shape(layout) { SetGrid(Grid); }

int TTimeAxis::ClampRow(int row) const { return std::clamp(row, 0, LastRow()); }

double TTimeAxis::SecondsOf(double row) const {
  return row * 60.0 / (static_cast<double>(Shape.BeatsPerMinute) * RowsPerBeat());
}

double TTimeAxis::RowOfSeconds(double seconds) const { return seconds * Shape.BeatsPerMinute * RowsPerBeat() / 60.0; }

void TTimeAxis::SetGrid(int index) {
  Grid = std::clamp(index, 0, GridCount - 1);
  while (!Offers(Grid))
    Grid = Grid + 1 < GridCount && Grids[Grid + 1].Triplet == Grids[Grid].Triplet ? Grid + 1 : BeatGrid();
}

std::string TTimeAxis::GridLabel(int index) const {
  const int lines = Grids[index].LinesPerBeat, rows = RowsPerBeat();
  if (rows % lines != 0)
    return Grids[index].Triplet ? "triplets: " + std::to_string(lines) + " a beat"
                                : std::to_string(lines) + " lines a beat";
  const int step = rows / lines;
  if (step == 1) return "every row";
  return "every " + Ordinal(step) + " row" + (lines == 1 ? " (beats)" : "");
}

void TTimeAxis::Zoom(int steps) {
  // Straight grids and triplet grids each run coarse to fine backwards in
  // Grids; a step stays within the kind.
  const bool triplet = Snaps();
  int at = Grid;
  while (steps != 0) {
    const int next = at + (steps > 0 ? -1 : 1);
    if (next < 0 || next >= GridCount || (RowsPerBeat() % Grids[next].LinesPerBeat != 0) != triplet ||
        !Offers(next))
      break;
    at = next;
    steps += steps > 0 ? -1 : 1;
  }
  Grid = at;
}

double TTimeAxis::LineRows(int line) const { return static_cast<double>(line) * RowsPerBeat() / LinesPerBeat(); }

int TTimeAxis::RowOfLine(int line) const { return ClampRow(static_cast<int>(std::lround(LineRows(line)))); }

int TTimeAxis::LineAtOrBefore(int row) const {
  int line = static_cast<int>(std::floor(static_cast<double>(row) * LinesPerBeat() / RowsPerBeat()));
  line = std::max(line, 0);
  // Rounding to the nearest row can put a line's row on either side of its
  // exact place.
  while (line > 0 && RowOfLine(line) > row) --line;
  while (LineRows(line + 1) <= LastRow() + 0.5 && RowOfLine(line + 1) <= row) ++line;
  return line;
}

int TTimeAxis::LineCount() const { return LineAtOrBefore(LastRow()) + 1; }

int TTimeAxis::StepRow(int row, int lines) const {
  row = ClampRow(row);
  int line = LineAtOrBefore(row);
  if (lines < 0 && RowOfLine(line) < row) ++line;  // the line below it counts as the first step back
  const long long target = std::clamp<long long>(static_cast<long long>(line) + lines, 0, LineCount() - 1);
  return RowOfLine(static_cast<int>(target));
}

int TTimeAxis::Snap(double rows) const {
  const double line = std::round(rows * LinesPerBeat() / RowsPerBeat());
  return RowOfLine(static_cast<int>(std::clamp(line, 0.0, static_cast<double>(LineCount() - 1))));
}

void TTimeAxis::SetLinePixels(float pixels) { LineHeight = std::max(pixels, 1.0f); }

void TTimeAxis::ScrollTo(double firstRow) { First = std::clamp(firstRow, 0.0, static_cast<double>(LastRow())); }

void TTimeAxis::Show(double row, double extent, double margin) {
  margin = std::clamp(margin, 0.0, std::max(0.0, (extent - LineHeight) / 3));
  const double at = PixelOf(row);
  if (at < margin)
    ScrollTo(row - margin / PixelsPerRow());
  else if (at + LineHeight > extent - margin)
    ScrollTo(row - (extent - margin - LineHeight) / PixelsPerRow());
}

std::string TTimeAxis::GridName() const {
  std::string name = GridLabel(Grid);
  if (Snaps()) name += " (snapped to the nearest row)";
  return name;
}
