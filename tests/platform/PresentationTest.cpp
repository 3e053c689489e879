// The fit rectangle: the largest centred 4:3 rectangle of surfaces of
// every shape, and nothing for surfaces too small to hold a picture.
#include <gtest/gtest.h>

#include "platform/Presentation.h"

namespace {
void ExpectRect(int width, int height, TPixelRect want) {
  const TPixelRect got = FitRect(width, height);
  EXPECT_EQ(got.X, want.X) << width << "x" << height;
  EXPECT_EQ(got.Y, want.Y) << width << "x" << height;
  EXPECT_EQ(got.Width, want.Width) << width << "x" << height;
  EXPECT_EQ(got.Height, want.Height) << width << "x" << height;
}
}  // namespace

TEST(FitRect, LargestCentredFourByThree) {
  ExpectRect(800, 600, {0, 0, 800, 600});
  ExpectRect(1024, 768, {0, 0, 1024, 768});
  ExpectRect(1280, 720, {160, 0, 960, 720});
  ExpectRect(1920, 1080, {240, 0, 1440, 1080});
  ExpectRect(1080, 1920, {0, 555, 1080, 810});
  ExpectRect(1366, 768, {171, 0, 1024, 768});
}

TEST(FitRect, EmptyForSurfacesTooSmallForAPicture) {
  ExpectRect(1, 1, {0, 0, 1, 0});
  ExpectRect(0, 0, {0, 0, 0, 0});
  ExpectRect(640, 0, {0, 0, 0, 0});
  ExpectRect(-5, 100, {0, 0, 0, 0});
}

TEST(FitRect, HugeSurfacesDoNotOverflow) {
  ExpectRect(2000000000, 1500000000, {0, 0, 2000000000, 1500000000});
}
