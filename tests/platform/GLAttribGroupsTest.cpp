// Which piece of state each of glPushAttrib's groups saves, as the browser's
// GL layer restores it (platform/web/GLAttribGroups.h), held against this
// system's GL: for every piece and every group, the piece is set, the group
// pushed, the piece changed and the group popped, and the driver says
// whether the piece came back.
#include <GL/gl.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/web/GLAttribGroups.h"
#include "support/GLFixture.h"

namespace {
struct TProbe {
  TAttribItem Item;
  const char* Name;
  std::function<void(int)> Set;  // one of two distinct values, 0 or 1
  std::function<std::vector<double>()> Get;
};

std::vector<double> Floats(GLenum name, int count) {
  float values[16] = {};
  glGetFloatv(name, values);
  return std::vector<double>(values, values + count);
}

std::vector<double> Integers(GLenum name, int count) {
  GLint values[4] = {};
  glGetIntegerv(name, values);
  return std::vector<double>(values, values + count);
}

std::vector<double> Enabled(GLenum cap) { return {static_cast<double>(glIsEnabled(cap))}; }

TProbe Switch(TAttribItem item, const char* name, GLenum cap) {
  return {item, name, [cap](int v) { v ? glEnable(cap) : glDisable(cap); }, [cap] { return Enabled(cap); }};
}

std::vector<TProbe> Probes(const GLuint textures[2]) {
  return {
      {TAttribItem::CurrentColor, "current colour", [](int v) { glColor4f(v ? 0.25f : 1, 0.5f, 1, 1); },
       [] { return Floats(GL_CURRENT_COLOR, 4); }},
      {TAttribItem::CurrentNormal, "current normal", [](int v) { glNormal3f(0, v ? 1.0f : 0.0f, v ? 0.0f : 1.0f); },
       [] { return Floats(GL_CURRENT_NORMAL, 3); }},
      {TAttribItem::CurrentTexCoord, "current texture coordinates", [](int v) { glTexCoord2f(v ? 0.5f : 0, 0); },
       [] { return Floats(GL_CURRENT_TEXTURE_COORDS, 4); }},
      Switch(TAttribItem::Lighting, "lighting", GL_LIGHTING),
      Switch(TAttribItem::LightEnables, "a light's switch", GL_LIGHT1),
      {TAttribItem::Lights, "a light's colour",
       [](int v) {
         const float diffuse[4] = {v ? 0.5f : 0.0f, 0, 0, 1};
         glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
       },
       [] {
         float diffuse[4] = {};
         glGetLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
         return std::vector<double>(diffuse, diffuse + 4);
       }},
      {TAttribItem::Material, "the material",
       [](int v) {
         const float diffuse[4] = {v ? 0.25f : 0.8f, 0.8f, 0.8f, 1};
         glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
       },
       [] {
         float diffuse[4] = {};
         glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
         return std::vector<double>(diffuse, diffuse + 4);
       }},
      Switch(TAttribItem::ColorMaterial, "colour material", GL_COLOR_MATERIAL),
      {TAttribItem::ShadeModel, "shade model", [](int v) { glShadeModel(v ? GL_FLAT : GL_SMOOTH); },
       [] { return Integers(GL_SHADE_MODEL, 1); }},
      Switch(TAttribItem::Normalize, "normalize", GL_NORMALIZE),
      {TAttribItem::MatrixMode, "matrix mode", [](int v) { glMatrixMode(v ? GL_PROJECTION : GL_MODELVIEW); },
       [] { return Integers(GL_MATRIX_MODE, 1); }},
      Switch(TAttribItem::Fog, "fog", GL_FOG),
      Switch(TAttribItem::Blend, "blending", GL_BLEND),
      {TAttribItem::BlendFunc, "blend function", [](int v) { glBlendFunc(v ? GL_SRC_ALPHA : GL_ONE, GL_ZERO); },
       [] { return Integers(GL_BLEND_SRC, 1); }},
      {TAttribItem::ColorMask, "colour mask", [](int v) { glColorMask(1, v ? 0 : 1, 1, 1); },
       [] { return Integers(GL_COLOR_WRITEMASK, 4); }},
      {TAttribItem::ClearColor, "clear colour", [](int v) { glClearColor(v ? 0.5f : 0, 0, 0, 1); },
       [] { return Floats(GL_COLOR_CLEAR_VALUE, 4); }},
      Switch(TAttribItem::DepthTest, "depth test", GL_DEPTH_TEST),
      {TAttribItem::DepthFunc, "depth function", [](int v) { glDepthFunc(v ? GL_GEQUAL : GL_LESS); },
       [] { return Integers(GL_DEPTH_FUNC, 1); }},
      {TAttribItem::DepthMask, "depth mask", [](int v) { glDepthMask(v ? GL_FALSE : GL_TRUE); },
       [] { return Integers(GL_DEPTH_WRITEMASK, 1); }},
      {TAttribItem::ClearDepth, "clear depth", [](int v) { glClearDepth(v ? 0.5 : 1.0); },
       [] { return Floats(GL_DEPTH_CLEAR_VALUE, 1); }},
      Switch(TAttribItem::StencilTest, "stencil test", GL_STENCIL_TEST),
      {TAttribItem::Viewport, "viewport", [](int v) { glViewport(0, 0, v ? 400 : 800, 600); },
       [] { return Integers(GL_VIEWPORT, 4); }},
      Switch(TAttribItem::Scissor, "scissor test", GL_SCISSOR_TEST),
      {TAttribItem::ScissorBox, "scissor box", [](int v) { glScissor(v ? 10 : 0, 0, 100, 100); },
       [] { return Integers(GL_SCISSOR_BOX, 4); }},
      Switch(TAttribItem::CullFace, "face culling", GL_CULL_FACE),
      {TAttribItem::PolygonMode, "polygon mode", [](int v) { glPolygonMode(GL_FRONT_AND_BACK, v ? GL_LINE : GL_FILL); },
       [] { return Integers(GL_POLYGON_MODE, 2); }},
      Switch(TAttribItem::Texture2D, "2D texturing", GL_TEXTURE_2D),
      Switch(TAttribItem::TexGen, "texture generation", GL_TEXTURE_GEN_S),
      {TAttribItem::TextureBinding, "texture binding",
       [textures](int v) { glBindTexture(GL_TEXTURE_2D, textures[v]); },
       [] { return Integers(GL_TEXTURE_BINDING_2D, 1); }},
      {TAttribItem::TexEnvMode, "texture environment",
       [](int v) { glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, v ? GL_REPLACE : GL_MODULATE); },
       [] {
         GLint mode = 0;
         glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
         return std::vector<double>{static_cast<double>(mode)};
       }},
  };
}

struct TGroup {
  GLbitfield Mask;
  const char* Name;
};
const TGroup Groups[] = {
    {GL_CURRENT_BIT, "current"},
    {GL_POLYGON_BIT, "polygon"},
    {GL_LIGHTING_BIT, "lighting"},
    {GL_FOG_BIT, "fog"},
    {GL_DEPTH_BUFFER_BIT, "depth buffer"},
    {GL_STENCIL_BUFFER_BIT, "stencil buffer"},
    {GL_VIEWPORT_BIT, "viewport"},
    {GL_TRANSFORM_BIT, "transform"},
    {GL_ENABLE_BIT, "enable"},
    {GL_COLOR_BUFFER_BIT, "colour buffer"},
    {GL_TEXTURE_BIT, "texture"},
    {GL_SCISSOR_BIT, "scissor"},
    // As Dear ImGui's OpenGL 2 backend pushes, and as the scenes do.
    {GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT, "enable, colour buffer and transform"},
    {GL_ALL_ATTRIB_BITS, "all"},
};

class GLAttribGroupsTest : public GLTest {};
}  // namespace

TEST_F(GLAttribGroupsTest, EachGroupSavesThePiecesTheDriversDoes) {
  GLuint textures[2] = {};
  glGenTextures(2, textures);
  const std::vector<TProbe> probes = Probes(textures);
  ASSERT_EQ(static_cast<int>(probes.size()), AttribItemCount) << "a probe for every piece of state";
  for (const TProbe& probe : probes) {
    for (const TGroup& group : Groups) {
      // The whole state is put back after each trial.
      glPushAttrib(GL_ALL_ATTRIB_BITS);
      probe.Set(0);
      const std::vector<double> before = probe.Get();
      glPushAttrib(group.Mask);
      probe.Set(1);
      ASSERT_NE(probe.Get(), before) << probe.Name << " cannot be changed";
      glPopAttrib();
      const bool restored = probe.Get() == before;
      glPopAttrib();
      ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << probe.Name << ", " << group.Name;
      // Mesa leaves the lights' switches alone when the enable group is
      // popped without the lighting group, though OpenGL 1.1 puts them in
      // both; the layer keeps to OpenGL, and neither the scenes nor Dear
      // ImGui push the one group without the other where a light changes.
      if (probe.Item == TAttribItem::LightEnables && (group.Mask & GL_ENABLE_BIT) != 0 &&
          (group.Mask & GL_LIGHTING_BIT) == 0)
        continue;
      EXPECT_EQ(AttribMaskSaves(group.Mask, probe.Item), restored)
          << "the " << group.Name << " group and the " << probe.Name << ": the driver "
          << (restored ? "restores" : "does not restore") << " it";
    }
  }
  glDeleteTextures(2, textures);
}
