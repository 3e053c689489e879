// The mode choice, the picture index and the flash condition of the frame director.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/CommandWords.h"
#include "runtime/DemoMain.h"

namespace {
bool Server(std::initializer_list<const char*> words) {
  std::vector<const char*> argv(words);
  return ServerModeRequested(static_cast<int>(argv.size()), argv.data());
}
}  // namespace

TEST(ModeChoice, VrtAmongTheFirstThreeWordsSelectsServerMode) {
  EXPECT_FALSE(Server({"vemla"}));
  EXPECT_TRUE(Server({"vemla", "-vrt"}));
  EXPECT_TRUE(Server({"vemla", "-w", "-vrt"}));
  EXPECT_TRUE(Server({"-vrt"}));
  EXPECT_FALSE(Server({"vemla", "-w", "x", "-vrt"})) << "word 3 is not examined";
  EXPECT_FALSE(Server({"vemla", "-VRT"}));
  EXPECT_FALSE(Server({"vemla", "-vrtx"}));
  EXPECT_FALSE(Server({"vemla", "vrt"}));
}

TEST(ModeChoice, WindowSwitch) {
  const char* windowed[] = {"vemla", "-w"};
  const char* plain[] = {"vemla", "-window"};
  EXPECT_TRUE(WindowRequested(2, windowed));
  EXPECT_FALSE(WindowRequested(2, plain));
}

TEST(FrameDirector, PictureIndexRoundsHalvesToEven) {
  EXPECT_EQ(PictureSlot(0.0f), 0);
  EXPECT_EQ(PictureSlot(2.5f), 2);
  EXPECT_EQ(PictureSlot(3.49f), 3);
  EXPECT_EQ(PictureSlot(3.5f), 4);
  EXPECT_EQ(PictureSlot(4.4f), 4);
  EXPECT_EQ(PictureSlot(-0.5f), 0);
  EXPECT_EQ(PictureSlot(4.5f), 4);
}

TEST(FrameDirector, PictureIndexOutsideTheSlotsSelectsNothing) {
  EXPECT_EQ(PictureSlot(-0.51f), -1);
  EXPECT_EQ(PictureSlot(4.51f), -1);
  EXPECT_EQ(PictureSlot(1e30f), -1);
  EXPECT_EQ(PictureSlot(std::numeric_limits<float>::infinity()), -1);
  EXPECT_EQ(PictureSlot(std::numeric_limits<float>::quiet_NaN()), -1);
}

TEST(FrameDirector, FlashOnlyForPositiveLevels) {
  EXPECT_FALSE(FlashVisible(0.0f));
  EXPECT_FALSE(FlashVisible(-0.5f));
  EXPECT_FALSE(FlashVisible(std::numeric_limits<float>::quiet_NaN()));
  EXPECT_TRUE(FlashVisible(1.0f));
  EXPECT_TRUE(FlashVisible(std::numeric_limits<float>::infinity()));
}
