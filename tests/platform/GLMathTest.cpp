// The browser's GL layer builds matrices and sphere-map coordinates with its
// own arithmetic; here each is held against this system's OpenGL and GLU:
// the matrices as glGetFloatv gives them, the texture coordinates as feedback
// mode returns them after the driver's own texture generation.
#include <GL/gl.h>

#include <cmath>

#include "platform/GLLibraries.h"
#include "platform/web/GLMath.h"
#include "support/GLFixture.h"

namespace {
class GLMathTest : public GLTest {
 protected:
  // The modelview matrix after the calls, from the driver.
  template <typename Calls>
  static TMatrix4 DriverMatrix(Calls calls) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    calls();
    TMatrix4 m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.m);
    glPopMatrix();
    return m;
  }

  static void ExpectNear(const TMatrix4& ours, const TMatrix4& driver, float tolerance, const char* what) {
    for (int k = 0; k < 16; ++k) {
      const float scale = std::max(1.0f, std::fabs(driver.m[k]));
      EXPECT_NEAR(ours.m[k], driver.m[k], tolerance * scale) << what << ", element " << k;
    }
  }
};
}  // namespace

TEST_F(GLMathTest, MatricesAreTheDriversOwn) {
  ExpectNear(TranslationMatrix(3, -4, 5), DriverMatrix([] { glTranslatef(3, -4, 5); }), 1e-6f, "translate");
  ExpectNear(ScaleMatrix(2, 0.5f, -1), DriverMatrix([] { glScalef(2, 0.5f, -1); }), 1e-6f, "scale");
  for (auto [angle, x, y, z] : {std::tuple{30.0f, 0.0f, 0.0f, 1.0f}, {600.0f, 0.3f, 0.1f, 0.3f}, {-90.0f, 1.0f, 0.0f, 0.0f},
                                {45.0f, 2.0f, 1.0f, 1.0f}, {10.0f, 0.0f, 0.0f, 0.0f}})
    ExpectNear(RotationMatrix(angle, x, y, z), DriverMatrix([=] { glRotatef(angle, x, y, z); }), 1e-5f, "rotate");
  ExpectNear(OrthoMatrix(0, 800, 0, 600, -1, 100), DriverMatrix([] { glOrtho(0, 800, 0, 600, -1, 100); }), 1e-6f,
             "ortho");
  ExpectNear(PerspectiveMatrix(45, 800.0 / 600, 1, 100000),
             DriverMatrix([] { gluPerspective(45, 800.0 / 600, 1, 100000); }), 1e-5f, "perspective");
  ExpectNear(LookAtMatrix(600, 400, 100, 0, 0, 0, 0, 1, 0), DriverMatrix([] { gluLookAt(600, 400, 100, 0, 0, 0, 0, 1, 0); }),
             1e-5f, "look at");
  ExpectNear(LookAtMatrix(-400, 400, 400, 0, 0, 0, 0, 1, 0),
             DriverMatrix([] { gluLookAt(-400, 400, 400, 0, 0, 0, 0, 1, 0); }), 1e-5f, "look at from the other side");
  // Products in the order the calls make them.
  const TMatrix4 ours = MultiplyMatrices(MultiplyMatrices(TranslationMatrix(0, 0, -700), RotationMatrix(90, 1, 0, 0)),
                                         ScaleMatrix(1.5f, 1.5f, 1.5f));
  ExpectNear(ours, DriverMatrix([] {
               glTranslatef(0, 0, -700);
               glRotatef(90, 1, 0, 0);
               glScalef(1.5f, 1.5f, 1.5f);
             }),
             1e-5f, "product");
}

TEST(GLMath, NormalMatrixIsTheInverseTranspose) {
  float n[9];
  NormalMatrix(ScaleMatrix(2, 4, 8), n);
  const float diagonal[9] = {0.5f, 0, 0, 0, 0.25f, 0, 0, 0, 0.125f};
  for (int k = 0; k < 9; ++k) EXPECT_FLOAT_EQ(n[k], diagonal[k]) << k;
  const TMatrix4 rotation = RotationMatrix(37, 1, 2, 3);
  NormalMatrix(MultiplyMatrices(TranslationMatrix(5, 6, 7), rotation), n);
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) EXPECT_NEAR(n[c * 3 + r], rotation.m[c * 4 + r], 1e-6f) << "a rotation keeps normals";
  NormalMatrix(ScaleMatrix(1, 0, 1), n);
  for (float v : n) EXPECT_EQ(v, 0) << "a flattening has no inverse";
}

// Texture coordinates of a few vertices with sphere-map generation on, as
// the driver hands them back in feedback mode.
TEST_F(GLMathTest, SphereMapCoordinatesAreTheDriversOwn) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluPerspective(45, 800.0 / 600, 1, 1000);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  gluLookAt(30, 20, 60, 0, 0, 0, 0, 1, 0);
  glRotatef(25, 0.3f, 1, 0.2f);
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  // The driver generates coordinates only for a texture that is drawn.
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const GLubyte texel[4] = {255, 255, 255, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  glEnable(GL_TEXTURE_2D);
  const float vertices[3][3] = {{-10, -5, 2}, {12, -3, -4}, {1, 9, 6}};
  const float normals[3][3] = {{0, 0, 1}, {0.6f, 0, 0.8f}, {0, 0.28f, 0.96f}};
  GLfloat feedback[64] = {};
  glFeedbackBuffer(64, GL_3D_COLOR_TEXTURE, feedback);
  glRenderMode(GL_FEEDBACK);
  glBegin(GL_TRIANGLES);
  for (int k = 0; k < 3; ++k) {
    glNormal3fv(normals[k]);
    glVertex3fv(vertices[k]);
  }
  glEnd();
  const GLint values = glRenderMode(GL_RENDER);
  TMatrix4 modelview;
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_TEXTURE_2D);
  glDeleteTextures(1, &texture);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  // A polygon token, its vertex count, then x y z, r g b a, s t r q per vertex.
  ASSERT_EQ(values, 2 + 3 * 11);
  ASSERT_EQ(static_cast<GLint>(feedback[1]), 3);
  float normalMatrix[9];
  NormalMatrix(modelview, normalMatrix);
  for (int k = 0; k < 3; ++k) {
    const float point[4] = {vertices[k][0], vertices[k][1], vertices[k][2], 1};
    float eye[4];
    TransformPoint(modelview, point, eye);
    float normal[3] = {};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) normal[r] += normalMatrix[c * 3 + r] * normals[k][c];
    float s = 0, t = 0;
    SphereMapCoords(eye, normal, s, t);
    const float* driver = &feedback[2 + k * 11 + 7];
    EXPECT_NEAR(s, driver[0], 1e-4f) << "vertex " << k;
    EXPECT_NEAR(t, driver[1], 1e-4f) << "vertex " << k;
  }
}
