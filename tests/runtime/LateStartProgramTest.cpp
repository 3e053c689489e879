// A run that starts late (a capture's --from, a still) shows the frames a
// run from the start shows at those times: what frames carry to the next
// (the beat, the nest's camera, the overlay's pictures, the random numbers)
// is brought to the start, and no scene looks different for another having
// played before it. The program started as a user would, at 320 x 240 so
// that the runs from the start stay short.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/RunDirectory.h"

namespace {
std::string FrameName(int k) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06d.png", k);
  return name;
}

class LateStart : public ::testing::Test {
 protected:
  void SetUp() override { Dir.UseStagedTrack(); }
  // Frames of `late` from its first on, against `full`'s from `offset` on.
  void ExpectSameFrames(const std::string& late, const std::string& full, int offset, int count) {
    ASSERT_EQ(static_cast<int>(Dir.Files(late).size()), count) << late;
    for (int k = 0; k < count; ++k) {
      const std::string mine = Dir.Read(late + "/" + FrameName(k));
      ASSERT_FALSE(mine.empty()) << late << "/" << FrameName(k);
      EXPECT_EQ(mine, Dir.Read(full + "/" + FrameName(offset + k)))
          << late << "/" << FrameName(k) << " differs from " << full << "/" << FrameName(offset + k);
    }
  }
  RunDirectory Dir{VEMLA_PROGRAM, VEMLA_STAGE_DIR};
};
}  // namespace

// Inside the glowing nest (its camera jumps on the beat), the pea swarm (its
// tunnel bends on the beat), the stamp room, and the glowing nest again
// after the stamp room has lit its room.
TEST_F(LateStart, ACaptureFromLaterHasTheFramesOfACaptureFromTheStart) {
  ASSERT_EQ(Dir.Run("--capture full --from 0 --to 117 --fps 10 --size 320x240"), 0) << Dir.Stderr();
  for (int from : {30, 55, 87, 115}) {
    const std::string late = "from" + std::to_string(from);
    ASSERT_EQ(Dir.Run("--capture " + late + " --from " + std::to_string(from) + " --to " + std::to_string(from + 2) +
                      " --fps 10 --size 320x240"),
              0)
        << Dir.Stderr();
    ExpectSameFrames(late, "full", from * 10, 20);
  }
}

// A still is the one frame of a capture at the still's 60 frames a second
// (one path draws both), here against a capture from the start at that rate.
TEST_F(LateStart, AStillIsTheFrameARunFromTheStartShowsThere) {
  ASSERT_EQ(Dir.Run("--capture full --from 0 --to 30.5 --fps 60 --size 320x240"), 0) << Dir.Stderr();
  for (int at : {25, 30}) {
    const std::string still = "still" + std::to_string(at);
    ASSERT_EQ(Dir.Run("--capture " + still + " --from " + std::to_string(at) + " --to " + std::to_string(at) +
                      " --size 320x240"),
              0)
        << Dir.Stderr();
    ExpectSameFrames(still, "full", at * 60, 1);
  }
}
