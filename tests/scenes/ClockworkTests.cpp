// The clock scenes and the letterbox, read back from Mesa, and the frame
// director running each scene alone.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <memory>

#include "SceneFixture.h"
#include "platform/SharedState.h"
#include "render2d/Overlay2D.h"
#include "runtime/DemoMain.h"
#include "scenes/Beat.h"
#include "scenes/Clockwork.h"

namespace {
const float BeatLength = 60.0f / 157.0f;

bool SameVec(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
}  // namespace

TEST_F(SceneTest, LetterboxBlacksOutTheTopAndBottomSeventyFiveRowsOnly) {
  glClearColor(1, 1, 1, 1);
  ClearFrame();
  glClearColor(0, 0, 0, 1);
  DrawLetterbox(1);
  EXPECT_TRUE(RowsBlack(0, 75));
  EXPECT_TRUE(RowsBlack(525, 75));
  const std::vector<uint8_t> inside = ReadPixels(0, 75, 800, 450);
  EXPECT_TRUE(std::all_of(inside.begin(), inside.end(), [](uint8_t v) { return v == 255; }));
}

TEST_F(SceneTest, NestGlowAtZeroAddsNeitherGlowNorVeil) {
  FrameDelta = 0;  // no beat: the camera stays where it is
  ClearFrame();
  RenderClockNestGlow(0);
  const std::vector<uint8_t> glow = Frame();
  ClearFrame();
  RenderClockNest(0);
  const std::vector<uint8_t> plain = Frame();
  EXPECT_EQ(glow, plain);
  // The nest is there, and a glow at full strength does add light.
  EXPECT_GT(LitPixelsBetweenBars(), 10000);
  ClearFrame();
  RenderClockNestGlow(1);
  const std::vector<uint8_t> full = Frame();
  long added = 0;
  for (size_t k = 0; k < full.size(); ++k) added += full[k] - plain[k];
  EXPECT_GT(added, 0);
}

TEST_F(SceneTest, ClocksWhoseModelIsNotLoadedDrawNothing) {
  std::unique_ptr<TLUMBrush> loaded;
  std::swap(loaded, ClockBrush);
  ClearFrame();
  RenderClockNest(0.5f);
  RenderClockTunnel();
  std::swap(loaded, ClockBrush);
  EXPECT_EQ(LitPixelsBetweenBars(), 0);
}

TEST_F(SceneTest, NestRestoresTheStandardFieldOfView) {
  RenderClockNest(0.5f);
  double m[16];
  ReadMatrix(GL_PROJECTION_MATRIX, m);
  EXPECT_NEAR(m[5], 1.0 / std::tan(22.5 * std::numbers::pi / 180.0), 1e-5);
}

TEST_F(SceneTest, GlowMovesTheCameraOnEveryBeatItConsumes) {
  FrameDelta = BeatLength * 0.6f;
  StepNestGlowBeat();
  EXPECT_TRUE(SameVec(CameraEye, MakeVec3(600, 400, 100)));
  StepNestGlowBeat();
  EXPECT_FALSE(BeatFlag);
  EXPECT_FALSE(SameVec(CameraEye, MakeVec3(600, 400, 100)));
  for (float v : {CameraEye.x, CameraEye.y, CameraEye.z}) EXPECT_LT(std::fabs(v), 600.0f);
}

TEST_F(SceneTest, BeatCrossedEarlierIsConsumedByTheSwarmWhenItRunsNext) {
  BeatFlag = true;
  FrameDelta = 0;
  StepPeaSwarmBeat();
  EXPECT_FALSE(BeatFlag);
  EXPECT_NE(BeatRandom, 1.0f);
  EXPECT_TRUE(SameVec(CameraEye, MakeVec3(600, 400, 100)));
}

TEST_F(SceneTest, GlowAndSwarmTogetherAdvanceTheBeatTwicePerFrame) {
  Channels[2] = 0.5f;
  Channels[3] = 1;
  FrameDelta = 0.1f;
  DrawFrame();
  EXPECT_NEAR(BeatTime, 0.2f, 1e-6);
}

TEST_F(SceneTest, SwarmAloneRedrawsItsRandomOnTheBeatButNeverMovesTheCamera) {
  OnlyChannel(3, 1);
  FrameDelta = 0.2f;
  int changes = 0;
  float last = BeatRandom;
  for (int frame = 0; frame < 20; ++frame) {
    SceneTime = 1 + frame * 0.2f;
    DrawFrame();
    if (BeatRandom != last) ++changes;
    last = BeatRandom;
  }
  // 4 s of frames hold 10 beats of 0.382 s.
  EXPECT_EQ(changes, 10);
  EXPECT_TRUE(SameVec(CameraEye, MakeVec3(600, 400, 100)));
}

TEST_F(SceneTest, WarpRippleStaysWithinItsAmplitude) {
  double largest = 0;
  for (int step = 0; step < 200; ++step) {
    SceneTime = step * 0.0173f;
    const float wave = BeatWave(1);
    DrawWarpGrid();
    double moved = 0;
    for (int i = 0; i < 40; ++i)
      for (int j = 0; j < 40; ++j) {
        moved = std::max(moved, std::fabs(WarpGrid->Cells[i][j].u - i / 39.0));
        moved = std::max(moved, std::fabs(WarpGrid->Cells[i][j].v - j / 39.0));
      }
    EXPECT_LE(moved, 0.15 * (std::max(wave, 0.0f) + 0.5) + 1e-5) << "at t = " << SceneTime;
    EXPECT_LE(moved, 0.225 + 1e-5);
    if (wave < 0) {
      EXPECT_LE(moved, 0.075 + 1e-5);
    }
    largest = std::max(largest, moved);
  }
  EXPECT_GT(largest, 0.2);
}

TEST_F(SceneTest, EveryChannelAloneDrawsItsSceneBetweenBlackBars) {
  for (int channel : {1, 2, 3, 4, 5, 8, 9}) {
    OnlyChannel(channel, 0.5f);
    SceneTime = 1.0f;
    DrawFrame();
    EXPECT_GT(LitPixelsBetweenBars(), 800 * 450 / 10) << "channel " << channel;
    EXPECT_TRUE(RowsBlack(0, 75)) << "channel " << channel;
    EXPECT_TRUE(RowsBlack(525, 75)) << "channel " << channel;
  }
  // And with every channel off, nothing.
  for (float& c : Channels) c = InactiveChannel();
  DrawFrame();
  EXPECT_EQ(LitPixelsBetweenBars(), 0);
}
