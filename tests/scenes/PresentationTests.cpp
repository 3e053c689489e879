// Frames presented on surfaces of another shape than 800 x 600: the picture
// in the fit rectangle with black around it, and the render-to-texture
// steps unchanged whatever resolution the frame is drawn at.
#include <GL/gl.h>

#include <cmath>

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
  // A second window (1280 x 720 unless given) on the same context, frames
  // fitted to it.
  void UseWideSurface(TFrameScale scale, int wide = Wide, int high = High) {
    bool failed = false;
    Wide720 = CurrentWindowBackend().OpenWindow("Wide", wide, high, ScreenMode::Windowed, {}, failed);
    ASSERT_NE(Wide720, nullptr);
    ASSERT_TRUE(CurrentWindowBackend().MakeCurrent(Wide720, ActiveWindow.RC));
    ASSERT_TRUE(StartPresentation(800, 600, wide, high, scale));
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

// What is drawn in pixels grows with a frame drawn natively: twice the
// pixels at 1600 x 1200, the render textures a power of two that the
// frame's corner holds; at 800 x 600 everything keeps its size.
TEST_F(Presentation, PixelSizesFollowTheFramesResolution) {
  EXPECT_EQ(FramePixels(12), 12);
  EXPECT_EQ(RenderTextureSide(256), 256);
  EXPECT_EQ(RenderTextureSide(512), 512);
  UseWideSurface(TFrameScale::Native, 1600, 1200);
  EXPECT_EQ(FramePixels(12), 24);
  EXPECT_EQ(RenderTextureSide(256), 512);
  EXPECT_EQ(RenderTextureSide(512), 1024);
  SetSurfaceSize(1440, 1080);
  EXPECT_EQ(RenderTextureSide(256), 512) << "460.8 pixels";
  EXPECT_EQ(RenderTextureSide(512), 1024) << "921.6 pixels, and 1080 rows hold it";
  SetSurfaceSize(320, 240);
  EXPECT_EQ(RenderTextureSide(256), 128) << "102.4 pixels";
  EXPECT_EQ(RenderTextureSide(512), 128) << "204.8 pixels, but 240 rows hold no 256";
  EXPECT_EQ(FramePixels(1), 1) << "never less than a pixel";
}

// The glow drawn into a texture twice the side in a frame twice the size
// holds the same picture, sharper: scaled down it is the 800 x 600 one.
TEST_F(Presentation, AGlowTextureAtTwiceTheSideHoldsTheSamePicture) {
  auto glow = [](int32_t side) {
    const uint32_t texture = CreateRenderTexture(side);
    ClearFrame();
    SetRenderViewport(side);
    BeginOverlay();
    FillQuad(MakeColor4(1, 0.5f, 0, 1), 200, 150, 400, 300);
    EndOverlay();
    CopyFrameToTexture(texture, side);
    DrawRadialBlur(side, texture, 3, 10, 40, 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    int w = 0, h = 0;
    std::vector<uint8_t> texels = BoundTexels(w, h);
    glDeleteTextures(1, &texture);
    return texels;
  };
  const std::vector<uint8_t> small = glow(RenderTextureSide(256));
  UseWideSurface(TFrameScale::Native, 1600, 1200);
  const int32_t side = RenderTextureSide(256);
  ASSERT_EQ(side, 512);
  const std::vector<uint8_t> large = glow(side);
  ASSERT_EQ(large.size(), small.size() * 4);
  // Each texel of the small texture against the mean of its 2 x 2 block.
  double error = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      for (int c = 0; c < 3; ++c) {
        double block = 0;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx) block += large[((2 * y + dy) * 512 + 2 * x + dx) * 4 + c];
        error += std::abs(block / 4 - small[(y * 256 + x) * 4 + c]);
      }
  EXPECT_LT(error / (256 * 256 * 3), 2.0) << "mean difference in levels of 255";
}

TEST_F(Presentation, EmptySurfaceDrawsNothing) {
  SetSurfaceSize(0, 0);
  ComposeFrame();
  SetSurfaceSize(1, 1);
  ComposeFrame();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A frame shown inside a user interface (the sync editor's preview): copied
// into one texture of the frame's own size, its bottom row first as drawn,
// the same texture again after the frame's size changes.
TEST_F(Presentation, FramePictureIsTheFrameInOneTextureOfItsSize) {
  UseWideSurface(TFrameScale::Native, 1000, 600);
  ASSERT_EQ(FramePixelWidth(), 800);
  DrawIntoFrame();
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 8, 4);
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  const uint32_t picture = FramePicture();
  ASSERT_NE(picture, 0u);
  glBindTexture(GL_TEXTURE_2D, picture);
  int w = 0, h = 0;
  std::vector<uint8_t> texels = BoundTexels(w, h);
  ASSERT_EQ(w, 800);
  ASSERT_EQ(h, 600);
  EXPECT_EQ((std::vector<uint8_t>{texels[0], texels[1], texels[2]}), (std::vector<uint8_t>{0, 255, 0}));
  const size_t corner = (static_cast<size_t>(599) * 800 + 799) * 4;
  EXPECT_EQ((std::vector<uint8_t>{texels[corner], texels[corner + 1], texels[corner + 2]}),
            (std::vector<uint8_t>{255, 0, 0}));

  SetSurfaceSize(400, 300);
  DrawIntoFrame();
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(FramePicture(), picture);
  glBindTexture(GL_TEXTURE_2D, picture);
  texels = BoundTexels(w, h);
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, 300);
  EXPECT_EQ(texels[2], 255);
  glBindTexture(GL_TEXTURE_2D, 0);
  DrawIntoSurface(1000, 600);
}
