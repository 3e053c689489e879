// Where the tool window goes on desktops of several shapes.
#include <gtest/gtest.h>

#include "platform/ToolWindow.h"

namespace {
struct Placed {
  int X, Y;
};

Placed Place(const std::vector<TPixelRect>& screens, int x = 1414, int y = 422) {
  PlaceOnScreen(screens, 178, 60, x, y);
  return {x, y};
}
}  // namespace

TEST(ToolWindowPlacement, StaysWhereAskedWhenItLiesOnAScreenAndMovesInsideOtherwise) {
  // Wide enough: where asked.
  Placed wide = Place({{0, 0, 1920, 1080}});
  EXPECT_EQ(wide.X, 1414);
  EXPECT_EQ(wide.Y, 422);
  // Too narrow: just inside the right edge, at the same height.
  Placed narrow = Place({{0, 0, 1024, 768}});
  EXPECT_EQ(narrow.X, 1024 - 178);
  EXPECT_EQ(narrow.Y, 422);
  // Too small both ways: inside the bottom edge as well.
  Placed tiny = Place({{0, 0, 800, 400}});
  EXPECT_EQ(tiny.X, 800 - 178);
  EXPECT_EQ(tiny.Y, 400 - 60);
  // A second screen to the right holds the asked position: it stays.
  Placed second = Place({{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}});
  EXPECT_EQ(second.X, 1414);
  // The first screen does not start at the origin.
  Placed shifted = Place({{100, 50, 1024, 768}});
  EXPECT_EQ(shifted.X, 100 + 1024 - 178);
  // A screen smaller than the window: its top left corner.
  Placed smaller = Place({{0, 0, 100, 40}});
  EXPECT_EQ(smaller.X, 0);
  EXPECT_EQ(smaller.Y, 0);
  // No screens known: as asked.
  Placed none = Place({});
  EXPECT_EQ(none.X, 1414);
}
