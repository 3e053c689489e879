// The one time axis every panel of the editor asks: rows of the track
// against pixels along a panel's time direction (down the tracker, across
// the curves, the waveform and the ruler), the zoom as the grid of lines a
// beat the tracker shows, the scroll, and snapping to that grid. Rows are
// the track's samples, a layout's RowsPerBeat to the beat.
//
// A grid of n lines a beat puts line k at k x RowsPerBeat / n rows; where n
// does not divide the beat's rows (triplets: 3, 6 or 12 a beat of 16 rows)
// a line's exact place falls between rows and its row is the nearest one.
#pragma once
#include <string>

#include "Timeline.h"

// The grids the editor offers, fine to coarse within each kind: straight
// ones, then triplets. A grid finer than the layout's rows is not offered
// (a project's grid may have fewer rows a beat than this demo's 16).
struct TGrid {
  int LinesPerBeat;
  bool Triplet;
};
constexpr TGrid Grids[] = {
    {16, false}, {8, false}, {4, false}, {2, false}, {1, false}, {12, true}, {6, true}, {3, true},
};
constexpr int GridCount = static_cast<int>(std::size(Grids));

class TTimeAxis {
 public:
  explicit TTimeAxis(const TrackLayout& layout = SongLayout());

  const TrackLayout& Layout() const { return Shape; }
  int Rows() const { return Shape.Rows; }
  int RowsPerBeat() const { return Shape.RowsPerBeat; }
  int RowsPerBar() const { return Shape.RowsPerBeat * Shape.BeatsPerBar; }
  int LastRow() const { return Shape.Rows - 1; }
  int ClampRow(int row) const;

  // Seconds from the start of the music to a row at the layout's tempo, and
  // back (a fraction of a row where the time falls between rows).
  double SecondsOf(double row) const;
  double RowOfSeconds(double seconds) const;

  // The grid: which of Grids, and its lines.
  int GridIndex() const { return Grid; }
  // Whether the layout's rows have room for the grid's lines.
  bool Offers(int index) const { return Grids[index].LinesPerBeat <= RowsPerBeat(); }
  // A grid as the menus name it on this layout: "every row", "every 4th
  // row", "every 16th row (beats)", "triplets: 3 a beat".
  std::string GridLabel(int index) const;
  int LinesPerBeat() const { return Grids[Grid].LinesPerBeat; }
  // Whether the grid's lines fall between rows (and are snapped to them).
  bool Snaps() const { return RowsPerBeat() % LinesPerBeat() != 0; }
  // A grid not offered gives way to the next coarser one of its kind, or to
  // beats.
  void SetGrid(int index);
  // One step finer (steps > 0) or coarser within the grid's kind.
  void Zoom(int steps);
  // Line k's exact place in rows, and its row: the nearest, in the track.
  double LineRows(int line) const;
  int RowOfLine(int line) const;
  // The last line at or before the row (by the line's row).
  int LineAtOrBefore(int row) const;
  // Lines over the whole track.
  int LineCount() const;
  // The row `lines` grid lines on from the row (back for negative): from a
  // row between lines the first step goes to the next line that way.
  int StepRow(int row, int lines) const;
  // The row of the line nearest to a place in rows.
  int Snap(double rows) const;

  // Pixels: LinePixels to a grid line, the same along every panel.
  float LinePixels() const { return LineHeight; }
  void SetLinePixels(float pixels);
  double PixelsPerRow() const { return LineHeight * LinesPerBeat() / RowsPerBeat(); }
  // The row at pixel 0 of every panel (a fraction when scrolled smoothly).
  double FirstRow() const { return First; }
  void ScrollTo(double firstRow);
  void ScrollBy(double rows) { ScrollTo(First + rows); }
  double PixelOf(double row) const { return (row - First) * PixelsPerRow(); }
  double RowAt(double pixel) const { return First + pixel / PixelsPerRow(); }
  int SnappedRowAt(double pixel) const { return Snap(RowAt(pixel)); }
  // Scrolls as little as keeps the row inside a panel of that many pixels,
  // margin pixels from either end where the panel has room.
  void Show(double row, double extent, double margin);

  // The grid as the UI says it, such as "every 4th row" or
  // "triplets: 3 a beat (snapped to the nearest row)".
  std::string GridName() const;

 private:
  TrackLayout Shape;
  int Grid = 2;
  float LineHeight = 18;
  double First = 0;
};
