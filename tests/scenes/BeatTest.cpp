// The beat clock: the wave's phase at known times and the accumulator.
#include <gtest/gtest.h>

#include "platform/SharedState.h"
#include "scenes/Beat.h"

namespace {
const double Beat = 60.0 / 157.0;
}

TEST(BeatClock, WaveRunsWholePeriodsPerBeat) {
  SceneTime = 0;
  EXPECT_FLOAT_EQ(BeatWave(1), 0.0f);
  SceneTime = static_cast<float>(Beat / 4);
  EXPECT_NEAR(BeatWave(1), 1.0f, 1e-5);
  EXPECT_NEAR(BeatWave(2), 0.0f, 1e-5);
  EXPECT_NEAR(BeatWave(4), 0.0f, 1e-5);
  SceneTime = static_cast<float>(Beat / 8);
  EXPECT_NEAR(BeatWave(2), 1.0f, 1e-5);
  // Far into the run the phase still comes out right.
  SceneTime = static_cast<float>(Beat * 300 + Beat / 4);
  EXPECT_NEAR(BeatWave(1), 1.0f, 1e-3);
}

TEST(BeatClock, AccumulatorRaisesTheFlagOncePerBeatAndKeepsTheRest) {
  ResetBeat();
  FrameDelta = 0.2f;
  UpdateBeat();
  EXPECT_FALSE(BeatFlag);
  EXPECT_FLOAT_EQ(BeatTime, 0.2f);
  UpdateBeat();
  EXPECT_TRUE(BeatFlag);
  EXPECT_NEAR(BeatTime, 0.4 - Beat, 1e-6);
  // The flag stays up until a scene consumes it.
  UpdateBeat();
  EXPECT_TRUE(BeatFlag);
  // A beat's length exactly does not yet count as crossed.
  ResetBeat();
  FrameDelta = static_cast<float>(60 / 157.0f);
  UpdateBeat();
  EXPECT_FALSE(BeatFlag);
  ResetBeat();
}
