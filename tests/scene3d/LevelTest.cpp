// Levels of detail: the level names, the rule that picks a level from what a
// draw's pixels can show, the scale read from the GL state (the frame's
// pixel size included: a frame drawn at 1080 lines keeps detail an 800 x 600
// one drops), the levels a brush keeps from its file, and the draw of the
// chosen level with its light made up.
#include <GL/gl.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>

#include "Chunks3DS.h"
#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"
#include "platform/Presentation.h"
#include "platform/WindowBackend.h"
#include "render2d/RenderState.h"
#include "render2d/RenderTexture.h"
#include "scene3d/LUM2Classes.h"
#include "scene3d/LevelDraw.h"
#include "scene3d/MeshLevels.h"
#include "support/GLFixture.h"

using namespace chunks;

namespace {

constexpr float Infinite = std::numeric_limits<float>::infinity();

// A model file whose first mesh, "Dial", is a 100 x 100 square facing the
// camera once the brush has turned it Y-up (the file's x-z plane), with two
// coarser levels of it listed out of order, a mesh of another name between
// them, and a level of that other mesh: the coarse levels are the square's
// left half and a triangle of a fifth of its area over its right half.
std::string LevelFile() {
  static const std::string path = [] {
    const std::string square =
        Vertices({{-50, 0, -50}, {50, 0, -50}, {50, 0, 50}, {-50, 0, 50}}) + Faces({{0, 1, 2}, {0, 2, 3}});
    const std::string halfLeft = Vertices({{-50, 0, -50}, {0, 0, -50}, {0, 0, 50}, {-50, 0, 50}}) + Faces({{0, 1, 2}, {0, 2, 3}});
    const std::string fifthRight = Vertices({{10, 0, -50}, {50, 0, -50}, {50, 0, 50}}) + Faces({{0, 1, 2}});
    return WriteFile("levels.3ds", MainFile(MeshObject("Dial", square) + MeshObject("Dial~3.5", fifthRight) +
                                              MeshObject("Other", square) + MeshObject("Dial~1.2", halfLeft) +
                                              MeshObject("Other~2", square)));
  }();
  return path;
}

}  // namespace

TEST(LevelNames, NameTheMeshAndTheWidthOfWhatTheLevelLeavesOut) {
  EXPECT_EQ(LevelObjectName("Clock", 1.2f), "Clock~1.2");
  EXPECT_EQ(LevelObjectName("Clock", 3.5f), "Clock~3.5");
  EXPECT_EQ(LevelObjectName("Clock", 10), "Clock~10");
  EXPECT_EQ(LevelObjectName("Clock", 0.25f), "Clock~0.25");
  for (float detail : {1.2f, 3.5f, 10.0f, 0.25f, 0.05f, 12.75f})
    EXPECT_FLOAT_EQ(LevelDetail(LevelObjectName("Clock", detail), "Clock"), detail);
  for (const char* other : {"Clock", "Clock~", "Clock~x", "Clock~1.", "Clock~.5", "Clock~-1", "Clock~0", "Clock~1.2.3",
                            "Clock~1e3", "Clocks~1", "Clock1", "Other~1", "Clock~1,2", "Clock~123456"})
    EXPECT_EQ(LevelDetail(other, "Clock"), 0) << other;
}

TEST(LevelRule, ALevelIsDrawnWhereWhatItLeavesOutSpansAPixelOrLess) {
  EXPECT_TRUE(LevelHidesNothing(2, {.PixelsPerUnit = SharpPixels / 2}));
  EXPECT_FALSE(LevelHidesNothing(2, {.PixelsPerUnit = SharpPixels / 2 * 1.01f}));
  EXPECT_FALSE(LevelHidesNothing(1, {.PixelsPerUnit = Infinite}));
  // A pass blurred afterwards hides wider parts, in its own pixels.
  EXPECT_TRUE(LevelHidesNothing(2, {.PixelsPerUnit = BlurredPixels / 2, .Blurred = true}));
  EXPECT_FALSE(LevelHidesNothing(2, {.PixelsPerUnit = BlurredPixels / 2 * 1.01f, .Blurred = true}));
  EXPECT_FALSE(LevelHidesNothing(2, {.PixelsPerUnit = BlurredPixels / 2}));
  EXPECT_GT(BlurredPixels, SharpPixels);
}

TEST(LevelRule, TheCoarsestLevelThatHidesNothingIsChosen) {
  const TLUMBrush brush(LevelFile());
  ASSERT_EQ(brush.Levels.size(), 2u);
  auto at = [&](float pixelsPerUnit, bool blurred = false) {
    return ChooseLevel(brush, {.PixelsPerUnit = pixelsPerUnit, .Blurred = blurred});
  };
  EXPECT_EQ(at(Infinite), 0u) << "the eye inside the model";
  EXPECT_EQ(at(SharpPixels / 1.2f * 1.01f), 0u);
  EXPECT_EQ(at(SharpPixels / 1.2f), 1u);
  EXPECT_EQ(at(SharpPixels / 3.5f * 1.01f), 1u);
  EXPECT_EQ(at(SharpPixels / 3.5f), 2u);
  EXPECT_EQ(at(0), 2u);
  EXPECT_EQ(at(SharpPixels / 1.2f * 1.01f, true), 2u) << "blurred, a sharp frame's full detail is not needed";
  EXPECT_EQ(at(BlurredPixels / 3.5f * 1.01f, true), 1u);
  EXPECT_EQ(at(BlurredPixels / 1.2f * 1.01f, true), 0u);
}

TEST(LevelBrush, KeepsTheLevelsOfItsFirstMeshApartFromItsMeshes) {
  TLUMBrush brush(LevelFile());
  // "Other" and "Other~2" stay meshes: only the first mesh has levels.
  ASSERT_EQ(brush.MeshCount, 3);
  ASSERT_EQ(brush.Meshes.size(), 3u);
  EXPECT_EQ(brush.Meshes[0]->Name, "Dial");
  EXPECT_EQ(brush.Meshes[1]->Name, "Other");
  EXPECT_EQ(brush.Meshes[2]->Name, "Other~2");
  ASSERT_EQ(brush.Levels.size(), 2u);
  EXPECT_EQ(brush.Levels[0].Mesh->Name, "Dial~1.2");
  EXPECT_FLOAT_EQ(brush.Levels[0].Detail, 1.2f);
  EXPECT_FLOAT_EQ(brush.Levels[1].Detail, 3.5f);
  // The light made up: the square's area over the level's.
  EXPECT_NEAR(brush.Levels[0].Light, 2.0f, 1e-4f);
  EXPECT_NEAR(brush.Levels[1].Light, 5.0f, 1e-4f);
  // Turned Y-up with the meshes, normals and all; the sphere around the
  // first mesh.
  EXPECT_NEAR(brush.Levels[0].Mesh->Vertices[0].y, -50, 1e-3f);
  EXPECT_NEAR(std::fabs(brush.Levels[0].Mesh->Normals[0].z), 1, 1e-4f);
  EXPECT_NEAR(brush.Radius, 50 * std::sqrt(2.0f), 1e-3f);
  // Scaling scales the levels, their details and the sphere alike.
  brush.Scale(MakeVec3(0.5f, 0.25f, 0.5f));
  EXPECT_FLOAT_EQ(brush.Levels[1].Detail, 1.75f);
  EXPECT_NEAR(brush.Levels[1].Mesh->Vertices[0].x, 5, 1e-4f);
  EXPECT_NEAR(brush.Radius, std::hypot(25.0f, 12.5f), 1e-3f);
}

TEST(LevelLight, IsTheAreaRatioAndNeverDims) {
  TMeshDataN full, half;
  for (const Vec3& p : {MakeVec3(0, 0, 0), MakeVec3(4, 0, 0), MakeVec3(0, 3, 0)}) {
    full.AddVertex(p, TTexCoord{});
    half.AddVertex(p, TTexCoord{});
  }
  full.AddVertex(MakeVec3(4, 3, 0), TTexCoord{});
  full.Faces = {{0, 1, 2}, {1, 3, 2}};
  full.FaceCount = 2;
  half.Faces = {{0, 1, 2}};
  half.FaceCount = 1;
  EXPECT_DOUBLE_EQ(SummedArea(full), 12);
  EXPECT_DOUBLE_EQ(SummedArea(half), 6);
  EXPECT_FLOAT_EQ(LevelLight(full, half), 2);
  EXPECT_FLOAT_EQ(LevelLight(half, full), 1) << "a level never dims";
  TMeshDataN empty;
  EXPECT_FLOAT_EQ(LevelLight(full, empty), 1);
}

// The scale a draw reads from the GL state, and the draw itself.
class LevelDraw : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    if (HasFatalFailure()) return;
    glViewport(0, 0, FramePixelWidth(), FramePixelHeight());
    LookFrom(1000);
  }

  void TearDown() override {
    if (Wide != nullptr) {
      StartPresentation(800, 600, 800, 600, TFrameScale::Scaled);
      CurrentWindowBackend().MakeCurrent(ActiveWindow.Wnd, ActiveWindow.RC);
      CurrentWindowBackend().DestroyWindow(Wide);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    GLTest::TearDown();
  }

  // The 45-degree view of the whole frame, the model's centre `distance`
  // units in front of the eye.
  static void LookFrom(float distance) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 800.0 / 600.0, 1, 100000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -distance);
  }

  // Frames drawn natively at 1440 x 1080 from now on, as a --size 1920x1080
  // capture draws them.
  void DrawAt1080Lines() {
    bool failed = false;
    Wide = CurrentWindowBackend().OpenWindow("Wide", 1920, 1080, ScreenMode::Windowed, {}, failed);
    ASSERT_NE(Wide, nullptr);
    ASSERT_TRUE(CurrentWindowBackend().MakeCurrent(Wide, ActiveWindow.RC));
    ASSERT_TRUE(StartPresentation(800, 600, 1920, 1080, TFrameScale::Native));
    ASSERT_EQ(FramePixelHeight(), 1080);
    glViewport(0, 0, FramePixelWidth(), FramePixelHeight());
  }

  // Pixels per unit at the nearest point of a sphere of this radius about
  // the origin, 1000 units away, in a frame `rows` high seen at 45 degrees.
  static float Expected(float radius, float rows, float distance = 1000) {
    return static_cast<float>(rows / 2 / std::tan(22.5 * std::numbers::pi / 180) / (distance - radius));
  }

  void* Wide = nullptr;
};

TEST_F(LevelDraw, ScaleIsThePixelsOneUnitSpansAtTheNearestPoint) {
  TDrawScale scale = MeasureDrawScale({0, 0, 0}, 60);
  EXPECT_NEAR(scale.PixelsPerUnit, Expected(60, 600), 1e-3f);
  EXPECT_FALSE(scale.Blurred);
  // A model scaled up spans more pixels, and its sphere comes nearer.
  glScalef(2, 2, 2);
  scale = MeasureDrawScale({0, 0, 0}, 60);
  EXPECT_NEAR(scale.PixelsPerUnit, 2 * Expected(120, 600), 1e-3f);
  // The sphere's centre counts where the model places it.
  LookFrom(1000);
  scale = MeasureDrawScale({0, 0, 400}, 60);
  EXPECT_NEAR(scale.PixelsPerUnit, Expected(60, 600, 600), 1e-3f);
  // With the eye inside the sphere every detail may show.
  LookFrom(50);
  EXPECT_EQ(MeasureDrawScale({0, 0, 0}, 60).PixelsPerUnit, Infinite);
  LookFrom(-500);
  EXPECT_EQ(MeasureDrawScale({0, 0, 0}, 60).PixelsPerUnit, Infinite) << "behind the eye";
  // An orthographic view of the 800 x 600 units over 800 x 600 pixels.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 800, 0, 600, -1000, 1000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  EXPECT_NEAR(MeasureDrawScale({400, 300, 0}, 60).PixelsPerUnit, 1, 1e-5f);
}

TEST_F(LevelDraw, ARenderTexturePassIsBlurredAndCountsItsOwnPixels) {
  SetRenderViewport(256);
  const TDrawScale scale = MeasureDrawScale({0, 0, 0}, 60);
  EXPECT_TRUE(scale.Blurred);
  EXPECT_NEAR(scale.PixelsPerUnit, Expected(60, 256), 1e-3f);
  glViewport(0, 0, FramePixelWidth(), FramePixelHeight());
  EXPECT_FALSE(MeasureDrawScale({0, 0, 0}, 60).Blurred);
}

TEST_F(LevelDraw, AFrameAt1080LinesKeepsTheDetailAn800By600FrameDrops) {
  const TLUMBrush brush(LevelFile());
  // 1.2-unit parts a little under a pixel wide at 800 x 600.
  const float distance = static_cast<float>(600 / 2 / std::tan(22.5 * std::numbers::pi / 180) * 1.2 / 0.9) + brush.Radius;
  LookFrom(distance);
  EXPECT_EQ(ChooseLevel(brush, MeasureDrawScale(brush.Centre, brush.Radius)), 1u);
  SetRenderViewport(RenderTextureSide(256));
  const float glow = MeasureDrawScale(brush.Centre, brush.Radius).PixelsPerUnit;
  DrawAt1080Lines();
  if (HasFatalFailure()) return;
  LookFrom(distance);
  const TDrawScale scale = MeasureDrawScale(brush.Centre, brush.Radius);
  EXPECT_FALSE(scale.Blurred);
  EXPECT_NEAR(scale.PixelsPerUnit * 1.2f, 0.9f * 1.8f, 1e-3f);
  EXPECT_EQ(ChooseLevel(brush, scale), 0u) << "the same view at 1080 lines shows the thin parts";
  // The glow's render texture grows with the frame, and so do its pixels.
  SetRenderViewport(RenderTextureSide(256));
  EXPECT_EQ(RenderTextureSide(256), 512);
  EXPECT_NEAR(MeasureDrawScale(brush.Centre, brush.Radius).PixelsPerUnit, 2 * glow, 1e-3f);
}

TEST_F(LevelDraw, DrawBrushDrawsTheChosenLevelWithItsLightMadeUp) {
  const auto brush = std::make_unique<TLUMBrush>(LevelFile());
  const float focal = static_cast<float>(300 / std::tan(22.5 * std::numbers::pi / 180));
  ResetRenderState();
  BlendAdditiveAlpha();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  // The grey a pixel at the square's left (-25, 0) and right (+35, 0) quarter gets.
  auto draw = [&](float pixelsPerUnit) {
    LookFrom(focal / pixelsPerUnit + brush->Radius);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 1, 1, 0.25f);
    DrawBrush(brush);
    const int left = static_cast<int>(std::lround(400 - 25 * pixelsPerUnit * 0.999f));
    const int right = static_cast<int>(std::lround(400 + 35 * pixelsPerUnit * 0.999f));
    return std::pair<int, int>{ReadPixels(left, 300, 1, 1)[0], ReadPixels(right, 300, 1, 1)[0]};
  };
  EXPECT_EQ(draw(2), (std::pair<int, int>{64, 64})) << "the full square at a quarter";
  EXPECT_EQ(draw(0.8f), (std::pair<int, int>{128, 0})) << "the left half at twice the light";
  EXPECT_EQ(draw(0.25f), (std::pair<int, int>{0, 255})) << "the right fifth at five times, at most full";
  // The caller's colour is given back.
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[3], 0.25f);
  glDisable(GL_BLEND);
}
