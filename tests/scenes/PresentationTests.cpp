// Frames presented on surfaces of another shape than 800 x 600: the picture
// in the fit rectangle with black around it, and the render-to-texture
// steps unchanged whatever resolution the frame is drawn at.
#include <GL/gl.h>

#include "platform/GLWindow.h"
#include "platform/Presentation.h"
#include "platform/WindowBackend.h"
#include "render2d/Overlay2D.h"
#include "render2d/RenderTexture.h"
#include "scenes/Clockwork.h"
#include "support/GLFixture.h"

namespace {
constexpr int Wide = 1280;
constexpr int High = 720;

class Presentation : public GLTest {
 protected:
  // A second window of 1280 x 720 on the same context, frames fitted to it.
  void UseWideSurface(TFrameScale scale) {
    bool failed = false;
    Wide720 = CurrentWindowBackend().OpenWindow("Wide", Wide, High, ScreenMode::Windowed, {}, failed);
    ASSERT_NE(Wide720, nullptr);
    ASSERT_TRUE(CurrentWindowBackend().MakeCurrent(Wide720, ActiveWindow.RC));
    ASSERT_TRUE(StartPresentation(800, 600, Wide, High, scale));
  }

  void TearDown() override {
    ReadFromSurface(false);
    if (Wide720 != nullptr) {
      CurrentWindowBackend().MakeCurrent(ActiveWindow.Wnd, ActiveWindow.RC);
      CurrentWindowBackend().DestroyWindow(Wide720);
    }
    StartPresentation(800, 600, 800, 600, TFrameScale::Scaled);
    GLTest::TearDown();
  }

  // The composed surface's pixel at (x, y), as RGB.
  static std::vector<uint8_t> SurfacePixel(int x, int y) {
    ReadFromSurface(true);
    std::vector<uint8_t> rgba = ReadPixels(x, y, 1, 1);
    ReadFromSurface(false);
    return {rgba[0], rgba[1], rgba[2]};
  }

  // The feedback picture: blocks drawn into the corner and blurred.
  static std::vector<uint8_t> FeedbackTexels() {
    const uint32_t texture = CreateRenderTexture(512);
    ClearFrame();
    SetRenderViewport(512);
    BeginOverlay();
    FillQuad(MakeColor4(1, 0, 0, 1), 100, 100, 300, 200);
    FillQuad(MakeColor4(0, 0, 1, 1), 400, 300, 300, 250);
    EndOverlay();
    CopyFrameToTexture(texture, 512);
    DrawRadialBlur(512, texture, 4, 25, 60, 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    int w = 0, h = 0;
    std::vector<uint8_t> texels = BoundTexels(w, h);
    glDeleteTextures(1, &texture);
    return texels;
  }

  void* Wide720 = nullptr;
};

const std::vector<uint8_t> Black = {0, 0, 0};
const std::vector<uint8_t> White = {255, 255, 255};
}  // namespace

TEST_F(Presentation, PictureFillsTheCentredRectangleWithBlackAroundIt) {
  UseWideSurface(TFrameScale::Scaled);
  ClearFrame();
  BeginOverlay();
  FillQuad(MakeColor4(1, 1, 1, 1), 0, 0, 800, 600);
  EndOverlay();
  DrawLetterbox(1);
  ComposeFrame();
  // Black outside the 960 x 720 rectangle at x 160 to 1119.
  for (auto [x, y] : {std::pair{0, 0}, {Wide - 1, High - 1}, {0, High - 1}, {Wide - 1, 0}, {159, 360}, {1120, 360}})
    EXPECT_EQ(SurfacePixel(x, y), Black) << x << ", " << y;
  EXPECT_EQ(SurfacePixel(161, 360), White);
  EXPECT_EQ(SurfacePixel(1118, 360), White);
  // The bars, 75 of 600 units, are 90 of the rectangle's 720 rows.
  const int bar = LetterboxRows * High / 600;
  EXPECT_EQ(SurfacePixel(640, 1), Black);
  EXPECT_EQ(SurfacePixel(640, bar - 2), Black);
  EXPECT_EQ(SurfacePixel(640, bar + 2), White);
  EXPECT_EQ(SurfacePixel(640, High - bar - 3), White);
  EXPECT_EQ(SurfacePixel(640, High - bar + 1), Black);
  EXPECT_EQ(SurfacePixel(640, High - 1), Black);
}

TEST_F(Presentation, FrameIsDrawnAtTheRectanglesResolutionWhenNative) {
  UseWideSurface(TFrameScale::Native);
  EXPECT_EQ(FramePixelWidth(), 960);
  EXPECT_EQ(FramePixelHeight(), 720);
  SetSurfaceSize(800, 1000);
  EXPECT_EQ(FramePixelWidth(), 800);
  EXPECT_EQ(FramePixelHeight(), 600);
}

TEST_F(Presentation, RenderTextureStepsGiveTheSameTextureAtEitherResolution) {
  const std::vector<uint8_t> at800 = FeedbackTexels();
  UseWideSurface(TFrameScale::Native);
  const std::vector<uint8_t> at960 = FeedbackTexels();
  ASSERT_EQ(at800.size(), at960.size());
  EXPECT_TRUE(at800 == at960);
  int lit = 0;
  for (size_t k = 0; k < at800.size(); k += 4) lit += at800[k] + at800[k + 2] > 0;
  EXPECT_GT(lit, 1000) << "the texture holds the blocks";
}

TEST_F(Presentation, EmptySurfaceDrawsNothing) {
  SetSurfaceSize(0, 0);
  ComposeFrame();
  SetSurfaceSize(1, 1);
  ComposeFrame();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
