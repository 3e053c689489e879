// The benchmark's fill count: layers of known size read back as such.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "Bench.h"
#include "FillCount.h"
#include "render2d/Overlay2D.h"
#include "support/GLFixture.h"

namespace {
class FillCountTest : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
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
  EXPECT_DOUBLE_EQ(Counter.EndFrame(), ReferenceLayers);

  // Blended, depth-tested or in a quarter of the frame: every fragment counts.
  Counter.BeginFrame();
  ClearFrame();
  BeginOverlay();
  FillQuadAdditive(MakeColor4(1, 1, 1, 0.1f), 0, 0, 400, 300);
  FillQuad(MakeColor4(1, 0, 0, 1), 0, 0, 800, 600);
  EndOverlay();
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_DOUBLE_EQ(Counter.EndFrame(), 1.25);

  Counter.BeginFrame();
  EXPECT_EQ(Counter.EndFrame(), 0) << "an empty frame";
  EXPECT_EQ(Counter.EndFrame(), 0) << "ending a frame never begun";
}

TEST(BenchFigures, TheFloorIsTheLayersAtTheReferencesCostPerLayer) {
  const TBenchResult reference = Summarise("reference", {0.020, 0.030, 0.025}, {10, 10, 10});
  const TBenchResult scene = Summarise("scene", {0.050, 0.040, 0.060}, {3, 2, 2.5});
  EXPECT_DOUBLE_EQ(MsPerLayer(reference), 2.5);
  EXPECT_DOUBLE_EQ(FloorMs(scene, reference), 6.25);
  EXPECT_NE(FormatResult(scene, reference).find("8.00"), std::string::npos) << FormatResult(scene, reference);
  const TBenchResult uncounted = Summarise("reference", {0.025});
  EXPECT_EQ(FloorMs(scene, uncounted), 0) << "no layers, no floor";
}
}  // namespace
