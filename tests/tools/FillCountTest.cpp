// The benchmark's fill count: layers of known size read back as such.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "Bench.h"
#include "FillCount.h"
#include "render2d/Overlay2D.h"
#include "support/GLFixture.h"

namespace {
class FillCountTest : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    if (HasFatalFailure()) return;
    const uint8_t white[4] = {255, 255, 255, 255};
    glGenTextures(1, &Texture);
    glBindTexture(GL_TEXTURE_2D, Texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    ASSERT_TRUE(Counter.Start());
  }
  void TearDown() override {
    glDeleteTextures(1, &Texture);
    GLTest::TearDown();
  }
  GLuint Texture = 0;
  TFillCounter Counter;
};

TEST_F(FillCountTest, TheReferenceFillsTenLayersAndClearsFillNone) {
  Counter.BeginFrame();
  DrawReferenceFrame(Texture);
  EXPECT_DOUBLE_EQ(Counter.EndFrame().Layers, ReferenceLayers);

  // Blended, depth-tested or in a quarter of the frame: every fragment counts.
  Counter.BeginFrame();
  ClearFrame();
  BeginOverlay();
  FillQuadAdditive(MakeColor4(1, 1, 1, 0.1f), 0, 0, 400, 300);
  FillQuad(MakeColor4(1, 0, 0, 1), 0, 0, 800, 600);
  EndOverlay();
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_DOUBLE_EQ(Counter.EndFrame().Layers, 1.25);

  Counter.BeginFrame();
  const TFrameFill empty = Counter.EndFrame();
  EXPECT_EQ(empty.Layers, 0) << "an empty frame";
  EXPECT_EQ(empty.Shaded, 0) << "an empty frame";
  EXPECT_EQ(Counter.EndFrame().Layers, 0) << "ending a frame never begun";
}

// Thin triangles shade more than they fill: a fan of slivers over a disc
// shades well over one and a half times the disc's pixels (llvmpipe: 2.7),
// a quad no more than its own.
TEST_F(FillCountTest, SliversShadeMoreThanTheyFillAndQuadsDoNot) {
  auto count = [&](auto draw) {
    Counter.BeginFrame();
    ClearFrame();
    BeginOverlay();
    glDisable(GL_TEXTURE_2D);
    draw();
    EndOverlay();
    return Counter.EndFrame();
  };
  const TFrameFill quad = count([] { FillQuad(MakeColor4(1, 1, 1, 1), 0, 0, 400, 300); });
  EXPECT_DOUBLE_EQ(quad.Layers, 0.25);
  if (quad.Shaded == 0) GTEST_SKIP() << "the driver does not count its fragment shader's runs";
  EXPECT_NEAR(quad.Shaded, 0.25, 0.02);

  const TFrameFill fan = count([] {
    SetOrthoProjection();
    glColor4f(1, 1, 1, 1);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(400, 300);
    for (int k = 0; k <= 360; ++k) glVertex2f(400 + 250 * std::cos(k * 0.0174533f), 300 + 250 * std::sin(k * 0.0174533f));
    glEnd();
  });
  EXPECT_GT(fan.Layers, 0.35);
  EXPECT_GT(fan.Shaded, 1.5 * fan.Layers) << fan.Layers << " layers filled";
}

TEST(BenchFigures, TheFloorIsTheLayersAtTheReferencesCostPerLayer) {
  const TBenchResult reference = Summarise("reference", {0.020, 0.030, 0.025}, {{10, 10}, {10, 10}, {10, 10}});
  const TBenchResult scene = Summarise("scene", {0.050, 0.040, 0.060}, {{3, 9}, {2, 7}, {2.5, 8}});
  EXPECT_DOUBLE_EQ(scene.Shaded, 8);
  EXPECT_DOUBLE_EQ(MsPerLayer(reference), 2.5);
  EXPECT_DOUBLE_EQ(FloorMs(scene, reference), 6.25);
  EXPECT_NE(FormatResult(scene, reference).find("8.00"), std::string::npos) << FormatResult(scene, reference);
  const TBenchResult uncounted = Summarise("reference", {0.025});
  EXPECT_EQ(FloorMs(scene, uncounted), 0) << "no layers, no floor";
}
}  // namespace
