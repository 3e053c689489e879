// The picture overlay: the index draw, the texture update and the overlay pass.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "SceneFixture.h"
#include "platform/SharedState.h"
#include "render2d/Overlay2D.h"
#include "scenes/Beat.h"
#include "scenes/VemlaOverlay.h"

namespace {
long Sum(const std::vector<uint8_t>& rgba) {
  long total = 0;
  for (size_t k = 0; k < rgba.size(); k += 4) total += rgba[k] + rgba[k + 1] + rgba[k + 2];
  return total;
}
}  // namespace

TEST(OverlayIndex, RoundsHalvesToEvenAndStaysAmongTheSixPictures) {
  EXPECT_EQ(OverlayIndexFromDraw(0.0), 1);
  EXPECT_EQ(OverlayIndexFromDraw(0.1), 1);  // 0.5 rounds to 0
  EXPECT_EQ(OverlayIndexFromDraw(0.3), 3);  // 1.5 rounds to 2
  EXPECT_EQ(OverlayIndexFromDraw(0.5), 3);  // 2.5 rounds to 2
  EXPECT_EQ(OverlayIndexFromDraw(0.7), 5);  // 3.5 rounds to 4
  EXPECT_EQ(OverlayIndexFromDraw(0.9), 5);  // 4.5 rounds to 4
  EXPECT_EQ(OverlayIndexFromDraw(0.99999), 6);
  int counts[7] = {};
  for (int k = 0; k < 100000; ++k) {
    const int32_t index = OverlayIndexFromDraw(k / 100000.0);
    ASSERT_GE(index, 1);
    ASSERT_LE(index, 6);
    ++counts[index];
  }
  EXPECT_NEAR(counts[1], 10000, 10);
  EXPECT_NEAR(counts[3], 20000, 10);
  EXPECT_NEAR(counts[6], 10000, 10);
  // Numbers no draw gives still land on a picture.
  EXPECT_EQ(OverlayIndexFromDraw(-3), 1);
  EXPECT_EQ(OverlayIndexFromDraw(1e300), 6);
  EXPECT_EQ(OverlayIndexFromDraw(std::nan("")), 1);
}

TEST_F(SceneTest, OverlayUpdateKeepsTheFirstPicturesUntilACrestAndClearsTheFrame) {
  OverlayIndexA = 1;
  OverlayIndexB = 4;
  SceneTime = 0;  // every beat wave at 0
  glClearColor(1, 1, 1, 1);
  ClearFrame();
  glClearColor(0, 0, 0, 1);
  StepOverlayIndices();
  UpdateOverlayTexture();
  EXPECT_EQ(OverlayIndexA, 1);
  EXPECT_EQ(OverlayIndexB, 4);
  EXPECT_EQ(Sum(Frame()), 0);
  // The texture holds the blend: pictures, not black.
  glBindTexture(GL_TEXTURE_2D, OverlayTexture);
  int w = 0, h = 0;
  EXPECT_GT(Sum(BoundTexels(w, h)), 256L * 256 * 3 * 20);
  // At a crest of BeatWave(2) the first index is drawn afresh, at a crest of
  // BeatWave(4) the second; always among the six pictures.
  const float beat = 60.0f / 157;
  bool changedA = false, changedB = false;
  for (int step = 0; step < 40; ++step) {
    const int32_t a = OverlayIndexA, b = OverlayIndexB;
    SceneTime = step * beat + (step % 2 == 0 ? beat / 8 : beat / 16);
    StepOverlayIndices();
    if (step % 2 == 0) {
      EXPECT_EQ(OverlayIndexB, b);
      changedA |= OverlayIndexA != a;
    } else {
      EXPECT_EQ(OverlayIndexA, a);
      changedB |= OverlayIndexB != b;
    }
    ASSERT_GE(std::min(OverlayIndexA, OverlayIndexB), 1);
    ASSERT_LE(std::max(OverlayIndexA, OverlayIndexB), 6);
  }
  EXPECT_TRUE(changedA);
  EXPECT_TRUE(changedB);
}

TEST_F(SceneTest, OverlayAtZeroAddsNothingAndAtOneAddsTheTexture) {
  SceneTime = 0;
  UpdateOverlayTexture();
  glClearColor(0.25f, 0.25f, 0.25f, 1);
  ClearFrame();
  glClearColor(0, 0, 0, 1);
  const std::vector<uint8_t> grey = Frame();
  RenderOverlay(0);
  EXPECT_EQ(Frame(), grey);
  RenderOverlay(1);
  const std::vector<uint8_t> added = Frame();
  for (size_t k = 0; k < added.size(); ++k) ASSERT_GE(added[k], grey[k]);
  // On black the frame shows the texture itself, stretched: the same mean.
  ClearFrame();
  RenderOverlay(1);
  const double frameMean = Sum(Frame()) / (800.0 * 600 * 3);
  glBindTexture(GL_TEXTURE_2D, OverlayTexture);
  int w = 0, h = 0;
  const double textureMean = Sum(BoundTexels(w, h)) / (256.0 * 256 * 3);
  EXPECT_NEAR(frameMean, textureMean, textureMean * 0.03);
}
