// The stamp room: when a press closes far enough to flash.
#include <cmath>

#include "SceneFixture.h"
#include "platform/SharedState.h"
#include "scenes/VemlaStempel.h"

TEST(StampRoom, FlashOnlyAboveThirty) {
  EXPECT_FALSE(StampFlashes(30.0f));
  EXPECT_TRUE(StampFlashes(30.5f));
  EXPECT_FALSE(StampFlashes(std::nanf("")));
}

TEST(StampRoom, OnlyCellsWhoseWavesSumPastOneCloseOnTheBeat) {
  int flashes = 0;
  for (int step = 0; step < 4000; ++step) {
    SceneTime = step * 0.00731f;
    const double t = SceneTime;
    for (int i = 0; i <= 5; ++i)
      for (int j = 0; j <= 5; ++j) {
        const float h = StampHeight(i, j);
        const double waves = std::sin(8.0 * j + 5.8 * t) + std::sin(8.0 * i + 5.4 * t);
        if (waves <= 1) {
          ASSERT_GE(h, -12.0f);
          ASSERT_LE(h, 11.0f);
        }
        ASSERT_LE(h, 50.0f);
        if (StampFlashes(h)) {
          ASSERT_GT(waves, 1) << "cell " << i << ", " << j << " at t = " << t;
          ++flashes;
        }
      }
  }
  EXPECT_GT(flashes, 100);
}
