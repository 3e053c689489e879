// The grid and the mesh draws under the offscreen GL context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "scene3d/LUM2Classes.h"
#include "scene3d/LUM2Grid.h"
#include "scene3d/LUM2Materials.h"
#include "support/GLFixture.h"

namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

Rgb PixelAt(int x, int y) {
  uint8_t p[4];
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2]};
}

void PrintTo(const Rgb& c, std::ostream* os) { *os << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }

const Rgb Red{255, 0, 0}, Green{0, 255, 0}, Blue{0, 0, 255}, White{255, 255, 255}, Black{0, 0, 0};

class GridTest : public GLTest {
 protected:
  // A 2 x 2 texture, bottom row first: red, green / blue, white.
  void SetUp() override {
    GLTest::SetUp();
    if (HasFatalFailure()) return;
    const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    glGenTextures(1, &Texture);
    glBindTexture(GL_TEXTURE_2D, Texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    BindTexture(Texture);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  void TearDown() override {
    glDeleteTextures(1, &Texture);
    ResetRenderState();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    GLTest::TearDown();
  }
  static void ExpectPerspectiveAfterwards() {
    double m[16];
    ReadMatrix(GL_PROJECTION_MATRIX, m);
    EXPECT_DOUBLE_EQ(m[11], -1);  // a perspective projection
    EXPECT_DOUBLE_EQ(m[15], 0);
    EXPECT_NEAR(m[5], 1 / std::tan(22.5 * 3.14159265358979 / 180), 1e-6);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
  }
  GLuint Texture = 0;
};

}  // namespace

TEST_F(GridTest, ResetGridShowsTheTextureOnce) {
  TLUMGrid grid(40, 40);
  grid.Reset();
  EXPECT_EQ(grid.Cells[39][0].u, 1);
  EXPECT_EQ(grid.Cells[0][39].v, 1);
  grid.Draw(0, 0, 800, 600);
  EXPECT_EQ(PixelAt(2, 2), Red);
  EXPECT_EQ(PixelAt(397, 297), Red);
  EXPECT_EQ(PixelAt(402, 2), Green);
  EXPECT_EQ(PixelAt(797, 297), Green);
  EXPECT_EQ(PixelAt(2, 302), Blue);
  EXPECT_EQ(PixelAt(397, 597), Blue);
  EXPECT_EQ(PixelAt(402, 302), White);
  EXPECT_EQ(PixelAt(797, 597), White);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  ExpectPerspectiveAfterwards();
}

TEST_F(GridTest, DisplacedCoordinatesShiftThePicture) {
  TLUMGrid grid(40, 40);
  grid.Reset();
  for (auto& row : grid.Cells)
    for (TTexCoord& cell : row) cell.u += 0.5f;
  grid.Draw(0, 0, 800, 600);
  EXPECT_EQ(PixelAt(2, 2), Green);
  EXPECT_EQ(PixelAt(797, 2), Red);
}

TEST_F(GridTest, SinglePointAxisDrawsNothing) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  TLUMGrid grid(1, 40);
  grid.Reset();
  EXPECT_EQ(grid.Cells[0][20].u, 0);
  grid.Draw(0, 0, 800, 600);
  EXPECT_EQ(PixelAt(400, 300), Black);
  EXPECT_EQ(PixelAt(2, 2), Black);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  ExpectPerspectiveAfterwards();
  TLUMGrid empty(0, -3);
  EXPECT_EQ(empty.CountY, 0);
  empty.Reset();
  empty.Draw(0, 0, 800, 600);
}

// A screen-filling quad of two triangles in pixel coordinates.
class MeshDrawTest : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    if (HasFatalFailure()) return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 1, 0, 1);
    for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{400, 0, 0}, Vec3{400, 600, 0}, Vec3{0, 600, 0}})
      Mesh.AddVertex(p, TTexCoord{});
    Mesh.Faces = {TFace{0, 1, 2}, TFace{0, 2, 3}};
    Mesh.FaceCount = 2;
    SmoothNormals(Mesh);
  }
  void TearDown() override {
    glColor4f(1, 1, 1, 1);
    GLTest::TearDown();
  }
  TMeshDataN Mesh;
};

TEST_F(MeshDrawTest, DrawArraysAndImmediateDrawAgree) {
  Mesh.DrawArrays();
  EXPECT_EQ(PixelAt(200, 300), Green);
  EXPECT_EQ(PixelAt(600, 300), Black);
  const std::vector<uint8_t> arrays = ReadPixels(0, 0, 800, 600);
  glClear(GL_COLOR_BUFFER_BIT);
  Mesh.Draw();
  EXPECT_TRUE(ReadPixels(0, 0, 800, 600) == arrays);
  GLboolean vertexArray = glIsEnabled(GL_VERTEX_ARRAY);
  EXPECT_FALSE(vertexArray);
}

// The arrays live in the driver's buffers between draws; whatever changes
// them afterwards must be what the next draw shows.
TEST_F(MeshDrawTest, ArrayDrawsFollowChangesAfterTheFirstDraw) {
  Mesh.DrawArrays();
  ASSERT_EQ(PixelAt(200, 300), Green);
  glClear(GL_COLOR_BUFFER_BIT);
  ScaleMesh(Mesh, MakeVec3(2, 1, 1));  // now covers the whole width
  Mesh.DrawArrays();
  EXPECT_EQ(PixelAt(600, 300), Green);

  glClear(GL_COLOR_BUFFER_BIT);
  for (Vec3& v : Mesh.Vertices) v.x = 400 + v.x / 2;  // the right half, written in place
  Mesh.DrawArrays();
  EXPECT_EQ(PixelAt(200, 300), Green) << "the old arrays until the mesh is told";
  Mesh.Changed();
  glClear(GL_COLOR_BUFFER_BIT);
  Mesh.DrawArrays();
  EXPECT_EQ(PixelAt(200, 300), Black);
  EXPECT_EQ(PixelAt(600, 300), Green);

  // A mesh assigned another's arrays draws those, not its old buffers.
  TMeshDataN right = Mesh;
  TMeshDataN drawn = Mesh;
  for (Vec3& v : drawn.Vertices) v.x -= 400;  // the left half
  drawn.Changed();
  drawn.DrawArrays();
  glClear(GL_COLOR_BUFFER_BIT);
  drawn = right;
  drawn.DrawArrays();
  EXPECT_EQ(PixelAt(200, 300), Black);
  EXPECT_EQ(PixelAt(600, 300), Green);

  // A copy draws from buffers of its own, and outlives the original's.
  auto copy = std::make_unique<TMeshDataN>(Mesh);
  Mesh.Clear();
  glClear(GL_COLOR_BUFFER_BIT);
  copy->DrawArrays();
  Mesh.DrawArrays();
  EXPECT_EQ(PixelAt(600, 300), Green);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshDrawTest, CountsBeyondTheArraysDrawNothing) {
  Mesh.FaceCount = 3;  // one face more than the array holds
  Mesh.DrawArrays();
  EXPECT_EQ(PixelAt(200, 300), Black);
  TMeshData plain;
  plain.VertexCount = 10;
  plain.FaceCount = 1;
  plain.DrawArrays();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshDrawTest, ZeroFacesDrawNothing) {
  Mesh.FaceCount = 0;
  Mesh.DrawArrays();
  Mesh.Draw();
  TMeshData plain;
  plain.DrawArrays();
  plain.Draw();
  EXPECT_EQ(PixelAt(200, 300), Black);
}

TEST_F(MeshDrawTest, BlendSwitches) {
  auto expectBlend = [](GLint source, GLint destination) {
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint s, d;
    glGetIntegerv(GL_BLEND_SRC, &s);
    glGetIntegerv(GL_BLEND_DST, &d);
    EXPECT_EQ(s, source);
    EXPECT_EQ(d, destination);
    glDisable(GL_BLEND);
  };
  BlendAdditive();
  expectBlend(GL_ONE, GL_ONE);
  BlendAdditiveAlpha();
  expectBlend(GL_SRC_ALPHA, GL_ONE);
  BlendAlpha();
  expectBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
