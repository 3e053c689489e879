// The 2D drawers, billboards and the bitmap font, read back from Mesa.
#include <GL/gl.h>

#include <cmath>
#include <numbers>

#include "platform/FontFiles.h"
#include "platform/GLWindow.h"
#include "render2d/FontRaster.h"
#include "render2d/LUM2Textures.h"
#include "render2d/Overlay2D.h"
#include "support/GLFixture.h"

namespace {
class Drawing : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    if (HasFatalFailure()) return;
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
  }
  void TearDown() override {
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    GLTest::TearDown();
  }

  static uint32_t WhiteTexture() {
    TPixelBuffer image;
    image.Width = image.Height = 1;
    image.Pixels = {255, 255, 255};
    return CreateTexture(image);
  }

  static std::vector<uint8_t> Pixel(int x, int y) { return ReadPixels(x, y, 1, 1); }
  static bool IsWhite(int x, int y) {
    const std::vector<uint8_t> p = Pixel(x, y);
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
  }
  static bool IsBlack(int x, int y) {
    const std::vector<uint8_t> p = Pixel(x, y);
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
  }
  static GLint Integer(GLenum which) {
    GLint v = 0;
    glGetIntegerv(which, &v);
    return v;
  }
  static void ExpectStandardPerspective() {
    double m[16];
    ReadMatrix(GL_PROJECTION_MATRIX, m);
    const double f = 1.0 / std::tan(22.5 * std::numbers::pi / 180.0);
    EXPECT_NEAR(m[5], f, 1e-5);
    EXPECT_NEAR(m[0], f / (4.0 / 3.0), 1e-5);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
  }
};
}  // namespace

TEST_F(Drawing, TexturedQuadCoversExactlyItsPixels) {
  const uint32_t texture = WhiteTexture();
  ClearFrame();
  BeginOverlay();
  DrawTexturedQuad(texture, 325, 75, 475, 475);
  EndOverlay();
  EXPECT_TRUE(IsBlack(324, 300));
  EXPECT_TRUE(IsWhite(325, 300));
  EXPECT_TRUE(IsWhite(799, 300));
  EXPECT_TRUE(IsBlack(500, 74));
  EXPECT_TRUE(IsWhite(500, 75));
  EXPECT_TRUE(IsWhite(500, 549));
  EXPECT_TRUE(IsBlack(500, 550));
}

TEST_F(Drawing, TexturedQuadLeavesLightingDepthTextureAndDefaultMaterial) {
  const uint32_t texture = WhiteTexture();
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_LIGHTING);
  glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
  const float odd[4] = {0.1f, 0.2f, 0.3f, 0.4f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, odd);
  BeginOverlay();
  DrawTexturedQuad(texture, 0, 0, 10, 10);
  EndOverlay();
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_EQ(static_cast<uint32_t>(Integer(GL_TEXTURE_BINDING_2D)), texture);
  EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
  float colour[4], diffuse[4], ambient[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glGetMaterialfv(GL_BACK, GL_DIFFUSE, diffuse);
  glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
  EXPECT_FLOAT_EQ(colour[0], 1);
  EXPECT_FLOAT_EQ(colour[3], 1);
  EXPECT_FLOAT_EQ(diffuse[0], 0.8f);
  EXPECT_FLOAT_EQ(ambient[1], 0.2f);
  ExpectStandardPerspective();
}

TEST_F(Drawing, AdditiveFillAddsItsAlphaOfColour) {
  glClearColor(0.2f, 0.4f, 0.6f, 1);
  ClearFrame();
  const std::vector<uint8_t> before = ReadPixels(0, 0, 800, 600);
  BeginOverlay();
  FillQuadAdditive(MakeColor4(1, 1, 1, 0), 0, 0, 800, 600);
  EndOverlay();
  EXPECT_EQ(ReadPixels(0, 0, 800, 600), before);

  BeginOverlay();
  FillQuadAdditive(MakeColor4(1, 1, 1, 1), 0, 0, 800, 600);
  EndOverlay();
  const std::vector<uint8_t> after = ReadPixels(0, 0, 800, 600);
  for (size_t k = 0; k < after.size(); k += 4) {
    ASSERT_EQ(after[k], 255) << k;
    ASSERT_EQ(after[k + 1], 255) << k;
    ASSERT_EQ(after[k + 2], 255) << k;
  }
}

TEST_F(Drawing, FillsRestoreEveryAttribute) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glColor4f(0, 1, 0, 1);
  BeginOverlay();
  FillQuad(MakeColor4(1, 0, 0, 0.5f), 0, 0, 100, 100);
  FillQuadAdditive(MakeColor4(1, 0, 0, 0.5f), 0, 0, 100, 100);
  EndOverlay();
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(Integer(GL_BLEND_SRC), GL_ONE);
  EXPECT_EQ(Integer(GL_BLEND_DST), GL_ZERO);
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[0], 0);
  EXPECT_FLOAT_EQ(colour[1], 1);
  ExpectStandardPerspective();
  // FillQuad blends half red over black.
  const std::vector<uint8_t> p = Pixel(50, 50);
  EXPECT_NEAR(p[0], 255, 1);  // 128 from FillQuad, plus 128 added
  EXPECT_EQ(p[1], 0);
}

TEST_F(Drawing, TintLeftBehindColoursTheNextGeometry) {
  const uint32_t texture = WhiteTexture();
  BeginOverlay();
  DrawTintedQuad(texture, MakeColor4(1, 0, 0, 1), 0, 0, 10, 10);
  EndOverlay();
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[0], 1);
  EXPECT_FLOAT_EQ(colour[1], 0);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));

  ClearFrame();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  SetOrthoProjection();
  glBegin(GL_QUADS);
  glVertex3f(100, 100, 0);
  glVertex3f(200, 100, 0);
  glVertex3f(200, 200, 0);
  glVertex3f(100, 200, 0);
  glEnd();
  SetPerspectiveProjection();
  const std::vector<uint8_t> p = Pixel(150, 150);
  EXPECT_EQ(p[0], 255);
  EXPECT_EQ(p[1], 0);
  EXPECT_EQ(p[2], 0);
}

TEST_F(Drawing, AdditiveTintAddsAndLeavesFogAlone) {
  const uint32_t texture = WhiteTexture();
  glClearColor(0, 0, 0.5f, 1);
  ClearFrame();
  BeginOverlay();
  DrawTintedQuadAdditive(texture, MakeColor4(1, 1, 1, 0.5f), 325, 75, 475, 475);
  EndOverlay();
  EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
  const std::vector<uint8_t> inside = Pixel(400, 300);
  EXPECT_NEAR(inside[0], 128, 1);
  EXPECT_NEAR(inside[2], 255, 1);
  EXPECT_EQ(Pixel(100, 300)[0], 0);

  glEnable(GL_FOG);
  BeginOverlay();
  DrawTintedQuadAdditive(texture, MakeColor4(1, 1, 1, 0.5f), 0, 0, 1, 1);
  EndOverlay();
  EXPECT_TRUE(glIsEnabled(GL_FOG));
}

TEST_F(Drawing, EveryDrawerReturnsTheProjectionTo45Degrees) {
  const uint32_t texture = WhiteTexture();
  for (int drawer = 0; drawer < 5; ++drawer) {
    SetFieldOfView(140);
    BeginOverlay();
    switch (drawer) {
      case 0: DrawTexturedQuad(texture, 0, 0, 1, 1); break;
      case 1: DrawTintedQuad(texture, MakeColor4(1, 1, 1, 1), 0, 0, 1, 1); break;
      case 2: DrawTintedQuadAdditive(texture, MakeColor4(1, 1, 1, 1), 0, 0, 1, 1); break;
      case 3: FillQuad(MakeColor4(1, 1, 1, 1), 0, 0, 1, 1); break;
      default: FillQuadAdditive(MakeColor4(1, 1, 1, 1), 0, 0, 1, 1); break;
    }
    EndOverlay();
    SCOPED_TRACE(drawer);
    ExpectStandardPerspective();
  }
  ResizeViewport(800, 600);
}

TEST_F(Drawing, OverlayBracketAndClear) {
  glMatrixMode(GL_PROJECTION);
  ClearFrame();
  EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
  glTranslatef(5, 6, 7);
  BeginOverlay();
  double m[16];
  ReadMatrix(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0);
  EXPECT_EQ(m[14], -1);
  EndOverlay();
  ReadMatrix(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 5);
  EXPECT_EQ(m[14], 7);
  glLoadIdentity();
}

TEST_F(Drawing, BillboardFacesTheCamera) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(90, 0, 0, 1);
  Vec3 up, right;
  GetBillboardAxes(up, right);
  EXPECT_NEAR(right.x, 0, 1e-6);
  EXPECT_NEAR(right.y, -1, 1e-6);
  EXPECT_NEAR(up.x, 1, 1e-6);
  EXPECT_NEAR(up.y, 0, 1e-6);

  // Whatever the rotation, the square lands on the screen unturned: a
  // 100-pixel square around the centre of the orthographic screen.
  SetOrthoProjection();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  ClearFrame();
  glRotatef(30, 0, 0, 1);
  const float c = std::cos(30 * std::numbers::pi / 180), s = std::sin(30 * std::numbers::pi / 180);
  // The object-space point that the rotation carries to (400, 300).
  DrawBillboard(MakeVec3(400 * c + 300 * s, -400 * s + 300 * c, 0), 50);
  EXPECT_TRUE(IsWhite(351, 251));
  EXPECT_TRUE(IsWhite(448, 348));
  EXPECT_TRUE(IsBlack(400, 352));
  EXPECT_TRUE(IsBlack(348, 300));
  SetPerspectiveProjection();
  glLoadIdentity();
}

TEST_F(Drawing, FontHasAListForEveryCode) {
  const uint32_t base = BuildFont("Verdana", 12, true);
  SetFontBase(base);
  EXPECT_EQ(FontBase, base);
  EXPECT_NE(base, 0u);
  EXPECT_TRUE(glIsList(base));
  EXPECT_TRUE(glIsList(base + 65));
  EXPECT_TRUE(glIsList(base + 254));

  // "A" draws lit pixels and moves the raster position by its advance.
  ClearFrame();
  SetOrthoProjection();
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  glRasterPos2f(100, 100);
  glCallList(base + 65);
  float raster[4];
  glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
  EXPECT_GT(raster[0], 105);
  EXPECT_LT(raster[0], 115);
  const std::vector<uint8_t> pixels = ReadPixels(100, 100, 12, 12);
  int lit = 0;
  for (size_t k = 0; k < pixels.size(); k += 4) lit += pixels[k] == 255;
  EXPECT_GT(lit, 10);
  EXPECT_LT(lit, 100);
  SetPerspectiveProjection();
}

TEST(FontRaster, FallsBackToDejaVuSansBold) {
  const std::string path = FindFontFile("No Such Face Anywhere", true);
  EXPECT_NE(path.find("DejaVuSans-Bold"), std::string::npos) << path;
  const TFontGlyphs font = RasteriseFont("Verdana", 12, true);
  ASSERT_EQ(font.Glyphs.size(), 255u);
  const TGlyphBitmap& a = font.Glyphs[65];
  EXPECT_GT(a.Width, 4);
  EXPECT_LE(a.Height, 12);
  EXPECT_GE(a.Height, 8);
  EXPECT_EQ(a.Bits.size(), static_cast<size_t>((a.Width + 7) / 8 * a.Height));
  EXPECT_GT(font.Glyphs[0x80].Advance, 0);  // the euro sign of code 128
  EXPECT_EQ(font.Glyphs[1].Bits.size(), 0u);
}
