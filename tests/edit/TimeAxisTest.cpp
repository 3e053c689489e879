// The editor's one time axis: grid lines (triplets snapped to the nearest
// row), stepping between them, pixels and scrolling.
#include <gtest/gtest.h>

#include <vector>

#include "TimeAxis.h"

namespace {
std::vector<int> FirstLineRows(const TTimeAxis& axis, int count) {
  std::vector<int> rows;
  for (int line = 0; line < count; ++line) rows.push_back(axis.RowOfLine(line));
  return rows;
}

int GridOf(int linesPerBeat) {
  for (int g = 0; g < GridCount; ++g)
    if (Grids[g].LinesPerBeat == linesPerBeat) return g;
  return -1;
}
}  // namespace

TEST(TimeAxisGrid, TripletLinesSnapToTheNearestRow) {
  TTimeAxis axis;
  axis.SetGrid(GridOf(3));
  EXPECT_TRUE(axis.Snaps());
  EXPECT_EQ(FirstLineRows(axis, 7), (std::vector<int>{0, 5, 11, 16, 21, 27, 32}));
  EXPECT_NE(axis.GridName().find("snapped to the nearest row"), std::string::npos);
  axis.SetGrid(GridOf(6));
  EXPECT_EQ(FirstLineRows(axis, 7), (std::vector<int>{0, 3, 5, 8, 11, 13, 16}));
  axis.SetGrid(GridOf(12));
  EXPECT_EQ(FirstLineRows(axis, 7), (std::vector<int>{0, 1, 3, 4, 5, 7, 8}));
  axis.SetGrid(GridOf(4));
  EXPECT_FALSE(axis.Snaps());
  EXPECT_EQ(FirstLineRows(axis, 4), (std::vector<int>{0, 4, 8, 12}));
}

// Every row of the track lies on or after its line's row and before the
// next line's, for every grid, and the lines reach the last row.
TEST(TimeAxisGrid, EveryRowBelongsToOneLineOfEveryGrid) {
  TTimeAxis axis;
  for (int g = 0; g < GridCount; ++g) {
    axis.SetGrid(g);
    const int lines = axis.LineCount();
    EXPECT_EQ(axis.RowOfLine(lines - 1), axis.LastRow()) << axis.GridLabel(g);
    for (int row = 0; row <= axis.LastRow(); ++row) {
      const int line = axis.LineAtOrBefore(row);
      ASSERT_LE(axis.RowOfLine(line), row) << axis.GridLabel(g) << " row " << row;
      if (line + 1 < lines) {
        ASSERT_GT(axis.RowOfLine(line + 1), row) << axis.GridLabel(g) << " row " << row;
      }
    }
  }
}

TEST(TimeAxisGrid, StepsGoLineByLineAndHoldAtTheEnds) {
  TTimeAxis axis;
  axis.SetGrid(GridOf(4));
  EXPECT_EQ(axis.StepRow(8, 1), 12);
  EXPECT_EQ(axis.StepRow(8, -1), 4);
  // From between lines the first step lands on the next line either way.
  EXPECT_EQ(axis.StepRow(5, 1), 8);
  EXPECT_EQ(axis.StepRow(5, -1), 4);
  EXPECT_EQ(axis.StepRow(5, -2), 0);
  EXPECT_EQ(axis.StepRow(0, -1), 0);
  EXPECT_EQ(axis.StepRow(axis.LastRow(), 1), axis.LastRow());
  EXPECT_EQ(axis.StepRow(axis.LastRow() - 1, 100), axis.LastRow());
  axis.SetGrid(GridOf(3));
  EXPECT_EQ(axis.StepRow(0, 1), 5);
  EXPECT_EQ(axis.StepRow(5, 1), 11);
  EXPECT_EQ(axis.StepRow(11, -1), 5);
  EXPECT_EQ(axis.StepRow(6, -1), 5);
  EXPECT_EQ(axis.Snap(9.9), 11) << "the nearest line, not the nearest row";
  EXPECT_EQ(axis.Snap(-3), 0);
  EXPECT_EQ(axis.Snap(1e9), axis.LastRow());
}

TEST(TimeAxisGrid, ZoomStaysWithinStraightOrTripletGrids) {
  TTimeAxis axis;
  axis.SetGrid(GridOf(4));
  axis.Zoom(1);
  EXPECT_EQ(axis.LinesPerBeat(), 8);
  axis.Zoom(5);
  EXPECT_EQ(axis.LinesPerBeat(), 16);
  axis.Zoom(-10);
  EXPECT_EQ(axis.LinesPerBeat(), 1);
  axis.SetGrid(GridOf(6));
  axis.Zoom(-1);
  EXPECT_EQ(axis.LinesPerBeat(), 3);
  axis.Zoom(9);
  EXPECT_EQ(axis.LinesPerBeat(), 12);
}

TEST(TimeAxisPixels, RowsAndPixelsMapBothWaysWithTheScrollAndTheZoom) {
  TTimeAxis axis;
  axis.SetGrid(GridOf(4));
  axis.SetLinePixels(20);
  EXPECT_DOUBLE_EQ(axis.PixelsPerRow(), 5);
  axis.ScrollTo(100);
  EXPECT_DOUBLE_EQ(axis.PixelOf(104), 20);
  EXPECT_DOUBLE_EQ(axis.RowAt(20), 104);
  EXPECT_EQ(axis.SnappedRowAt(29), 104);
  EXPECT_EQ(axis.SnappedRowAt(31), 108);
  axis.SetGrid(GridOf(16));
  EXPECT_DOUBLE_EQ(axis.PixelOf(104), 80) << "a finer grid spreads the rows";
  axis.ScrollTo(-5);
  EXPECT_EQ(axis.FirstRow(), 0);
  EXPECT_DOUBLE_EQ(axis.SecondsOf(16 * 157), 60) << "157 beats a minute, 16 rows a beat";
  EXPECT_DOUBLE_EQ(axis.RowOfSeconds(axis.SecondsOf(1234.5)), 1234.5);
}

TEST(TimeAxisPixels, ShowScrollsAsLittleAsKeepsTheRowInside) {
  TTimeAxis axis;
  axis.SetGrid(GridOf(16));
  axis.SetLinePixels(10);  // 10 pixels a row
  axis.Show(50, 300, 40);
  EXPECT_DOUBLE_EQ(axis.FirstRow(), 25) << "row 50's line ends 40 pixels before the panel's end";
  axis.Show(40, 300, 40);
  EXPECT_DOUBLE_EQ(axis.FirstRow(), 25) << "inside already";
  axis.Show(26, 300, 40);
  EXPECT_DOUBLE_EQ(axis.FirstRow(), 22) << "40 pixels from the panel's start";
  axis.Show(26, 25, 40);
  EXPECT_GE(axis.PixelOf(26), 0) << "a panel too small for the margin still shows the row";
  EXPECT_LE(axis.PixelOf(26) + 10, 25);
}

// A project's own grid: its tempo's rows a beat bound the grids offered,
// and their names count its rows.
TEST(TimeAxisGrid, AProjectsGridHasNoLineFinerThanItsRows) {
  TrackLayout four = ProjectLayout();
  four.RowsPerBeat = 4;
  four.BeatsPerMinute = 120;
  TTimeAxis axis(four);
  EXPECT_EQ(axis.LinesPerBeat(), 4) << "every row";
  EXPECT_EQ(axis.GridLabel(axis.GridIndex()), "every row");
  EXPECT_FALSE(axis.Offers(GridOf(16)));
  EXPECT_FALSE(axis.Offers(GridOf(8)));
  EXPECT_TRUE(axis.Offers(GridOf(3)));
  EXPECT_EQ(axis.GridLabel(GridOf(2)), "every 2nd row");
  EXPECT_EQ(axis.GridLabel(GridOf(1)), "every 4th row (beats)");
  EXPECT_EQ(axis.GridLabel(GridOf(3)), "triplets: 3 a beat");
  axis.SetGrid(GridOf(16));
  EXPECT_EQ(axis.LinesPerBeat(), 4) << "the finest grid offered";
  axis.Zoom(1);
  EXPECT_EQ(axis.LinesPerBeat(), 4);
  axis.Zoom(-1);
  EXPECT_EQ(axis.LinesPerBeat(), 2);
  axis.SetGrid(GridOf(12));
  EXPECT_EQ(axis.LinesPerBeat(), 3) << "the finest triplets offered";
  EXPECT_DOUBLE_EQ(axis.SecondsOf(8), 1.0) << "two beats at 120 a minute";

  TrackLayout two = four;
  two.RowsPerBeat = 2;
  TTimeAxis coarse(two);
  coarse.SetGrid(GridOf(3));
  EXPECT_EQ(coarse.LinesPerBeat(), 1) << "no triplets in two rows: beats";
  EXPECT_EQ(coarse.GridLabel(coarse.GridIndex()), "every 2nd row (beats)");
  // This demo's own names.
  const TTimeAxis song;
  EXPECT_EQ(song.GridLabel(GridOf(16)), "every row");
  EXPECT_EQ(song.GridLabel(GridOf(2)), "every 8th row");
  EXPECT_EQ(song.GridLabel(GridOf(1)), "every 16th row (beats)");
  EXPECT_EQ(song.GridLabel(GridOf(12)), "triplets: 12 a beat");
}
