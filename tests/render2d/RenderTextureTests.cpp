// Render textures, the corner copy and the radial blur, read back from Mesa.
#include <GL/gl.h>

#include <cstdlib>

#include "platform/GLWindow.h"
#include "render2d/Overlay2D.h"
#include "render2d/RenderTexture.h"
#include "support/GLFixture.h"

namespace {
constexpr int Size = 256;

class RenderTexture : public GLTest {
 protected:
  void TearDown() override {
    glViewport(0, 0, 800, 600);
    GLTest::TearDown();
  }

  static std::vector<uint8_t> Texels(uint32_t texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    int w = 0, h = 0;
    return BoundTexels(w, h);
  }

  static std::vector<GLint> Viewport() {
    std::vector<GLint> v(4);
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
  }

  // A render texture holding four coloured blocks of the corner, drawn
  // through the screen-space projection squeezed into the corner.
  static uint32_t BlockTexture() {
    const uint32_t texture = CreateRenderTexture(Size);
    ClearFrame();
    SetRenderViewport(Size);
    BeginOverlay();
    FillQuad(MakeColor4(1, 0, 0, 1), 0, 0, 400, 300);
    FillQuad(MakeColor4(0, 1, 0, 1), 400, 0, 400, 300);
    FillQuad(MakeColor4(0, 0, 1, 1), 0, 300, 400, 300);
    FillQuad(MakeColor4(1, 1, 0.5f, 1), 400, 300, 400, 300);
    EndOverlay();
    CopyFrameToTexture(texture, Size);
    return texture;
  }

  // Largest difference of colour bytes, away from the blocks' edges.
  static int Difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int worst = 0;
    for (int y = 0; y < Size; ++y)
      for (int x = 0; x < Size; ++x) {
        if (std::abs(x - Size / 2) < 3 || std::abs(y - Size / 2) < 3) continue;
        for (int c = 0; c < 3; ++c) {
          const size_t k = (static_cast<size_t>(y) * Size + x) * 4 + c;
          worst = std::max(worst, std::abs(a[k] - b[k]));
        }
      }
    return worst;
  }
};
}  // namespace

TEST_F(RenderTexture, StartsZeroFilledWithLinearFilteringAndNoMipmaps) {
  const uint32_t texture = CreateRenderTexture(64);
  GLint bound = 0, minFilter = 0, magFilter = 0, width = 0, level1 = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), texture);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
  EXPECT_EQ(minFilter, GL_LINEAR);
  EXPECT_EQ(magFilter, GL_LINEAR);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(level1, 0);
  for (uint8_t t : Texels(texture)) ASSERT_EQ(t, 0);
}

TEST_F(RenderTexture, CopyTakesTheSqueezedCornerAndRestoresTheViewport) {
  const uint32_t texture = BlockTexture();
  EXPECT_EQ(Viewport(), (std::vector<GLint>{0, 0, 800, 600}));
  const std::vector<uint8_t> t = Texels(texture);
  auto at = [&](int x, int y, int c) { return t[(static_cast<size_t>(y) * Size + x) * 4 + c]; };
  EXPECT_EQ(at(10, 10, 0), 255);  // bottom left red
  EXPECT_EQ(at(10, 10, 1), 0);
  EXPECT_EQ(at(250, 10, 1), 255);  // bottom right green
  EXPECT_EQ(at(10, 250, 2), 255);  // top left blue
  EXPECT_EQ(at(250, 250, 0), 255);  // top right yellowish
  EXPECT_EQ(at(250, 250, 2), 128);
}

TEST_F(RenderTexture, NoPassesChangeNothing) {
  const uint32_t texture = BlockTexture();
  const std::vector<uint8_t> before = Texels(texture);
  glClearColor(0.3f, 0.3f, 0.3f, 1);
  ClearFrame();
  const std::vector<uint8_t> frame = ReadPixels(0, 0, 800, 600);
  SetRenderViewport(100);
  glDisable(GL_LIGHTING);
  DrawRadialBlur(Size, texture, 4, 50, 120, 0);
  EXPECT_EQ(Viewport(), (std::vector<GLint>{0, 0, 100, 100}));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(Texels(texture), before);
  EXPECT_EQ(ReadPixels(0, 0, 800, 600), frame);
}

TEST_F(RenderTexture, CoincidingCopiesGiveTheTextureBack) {
  const uint32_t texture = BlockTexture();
  const std::vector<uint8_t> before = Texels(texture);
  DrawRadialBlur(Size, texture, 1, 50, 120, 1);  // one copy: unturned, unenlarged
  EXPECT_LE(Difference(Texels(texture), before), 1);
  DrawRadialBlur(Size, texture, 4, 0, 0, 3);  // four coinciding copies
  EXPECT_LE(Difference(Texels(texture), before), 4);
}

TEST_F(RenderTexture, BlurSmearsOutwardAndLeavesItsState) {
  // A bright spot in the centre of an otherwise black texture.
  const uint32_t texture = CreateRenderTexture(Size);
  glClearColor(0, 0, 0, 1);
  ClearFrame();
  SetRenderViewport(Size);
  BeginOverlay();
  FillQuad(MakeColor4(1, 1, 1, 1), 350, 250, 100, 100);
  EndOverlay();
  CopyFrameToTexture(texture, Size);
  SetRenderViewport(100);
  DrawRadialBlur(Size, texture, 4, 0, 120, 1);

  // The copies are enlarged about the centre: the spot grows, dimmer.
  const std::vector<uint8_t> t = Texels(texture);
  auto red = [&](int x, int y) { return t[(static_cast<size_t>(y) * Size + x) * 4]; };
  EXPECT_GT(red(128, 128), 250);
  EXPECT_GT(red(128, 128 + 25), 20);  // beyond the spot's 16-texel half size
  EXPECT_LT(red(128, 128 + 25), 250);
  EXPECT_EQ(red(5, 5), 0);

  EXPECT_EQ(Viewport(), (std::vector<GLint>{0, 0, 800, 600}));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLint bound = 0, dst = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(static_cast<uint32_t>(bound), texture);
  EXPECT_EQ(dst, GL_ONE);
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[3], 0.25f);
  double m[16];
  ReadMatrix(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0);
  EXPECT_EQ(m[14], 0);
  // Outside the corner the frame holds the clear colour.
  const std::vector<uint8_t> outside = ReadPixels(300, 300, 1, 1);
  EXPECT_EQ(outside[0], 0);
  glDisable(GL_LIGHTING);
}
