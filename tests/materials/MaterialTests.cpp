// The texture registry, Material.Apply, the render-state switches and the
// light, checked through the GL state Mesa reports.
#include <GL/gl.h>

#include <string>
#include <vector>

#include "platform/Message.h"
#include "scene3d/LUM2Lights.h"
#include "scene3d/LUM2Materials.h"
#include "support/GLFixture.h"
#include "support/TempDir.h"

namespace {
// A 1 x 1 24-bit BMP in the test's own directory; returns its path.
std::string WriteBMP(const std::string& name) {
  static TempDir dir;
  std::vector<uint8_t> b(58, 0);
  b[0] = 'B';
  b[1] = 'M';
  b[14] = 40;
  b[18] = 1;  // width
  b[22] = 1;  // height
  b[26] = 1;
  b[28] = 24;
  b[54] = 10;
  b[55] = 20;
  b[56] = 30;
  return dir.Write(name, b);
}

size_t Entries(const std::string& name) {
  size_t n = 0;
  for (const TTexRegItem& item : TextureRegistry) n += item.Name == name;
  return n;
}

class Materials : public GLTest {
 protected:
  static GLint Integer(GLenum which) {
    GLint v = 0;
    glGetIntegerv(which, &v);
    return v;
  }
  static std::vector<float> Colour() {
    std::vector<float> c(4);
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
  }
  static std::vector<float> MaterialOf(GLenum face, GLenum which) {
    std::vector<float> c(4);
    glGetMaterialfv(face, which, c.data());
    return c;
  }
  static std::vector<float> LightOf(GLenum which) {
    std::vector<float> c(4);
    glGetLightfv(GL_LIGHT0, which, c.data());
    return c;
  }
  // Every switch, texture unit and colour in a state none of them leaves.
  static void Scramble() {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glColor4f(0.3f, 0.3f, 0.3f, 0.3f);
    const float odd[4] = {0.5f, 0.6f, 0.7f, 0.8f};
    for (GLenum which : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION}) glMaterialfv(GL_FRONT_AND_BACK, which, odd);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 9);
  }
  static void ExpectDefaultMaterial() {
    for (GLenum face : {GL_FRONT, GL_BACK}) {
      EXPECT_EQ(MaterialOf(face, GL_AMBIENT), (std::vector<float>{0.2f, 0.2f, 0.2f, 1}));
      EXPECT_EQ(MaterialOf(face, GL_DIFFUSE), (std::vector<float>{0.8f, 0.8f, 0.8f, 1}));
      EXPECT_EQ(MaterialOf(face, GL_SPECULAR), (std::vector<float>{0, 0, 0, 1}));
      EXPECT_EQ(MaterialOf(face, GL_EMISSION), (std::vector<float>{0, 0, 0, 1}));
      float shininess = -1;
      glGetMaterialfv(face, GL_SHININESS, &shininess);
      EXPECT_EQ(shininess, 0);
    }
  }
};
}  // namespace

TEST_F(Materials, RegistryLoadsEachNameOnceAndKeepsIt) {
  const std::string name = WriteBMP("6.bmp");
  EXPECT_EQ(FindTexture(name), NoTexture);
  const size_t before = TextureRegistry.size();
  const uint32_t first = GetTexture(name);
  EXPECT_NE(first, NoTexture);
  EXPECT_TRUE(glIsTexture(first));
  EXPECT_EQ(GetTexture(name), first);
  EXPECT_EQ(FindTexture(name), first);
  EXPECT_EQ(Entries(name), 1u);
  EXPECT_EQ(TextureRegistry.size(), before + 1);
  EXPECT_EQ(TextureCount, static_cast<int32_t>(TextureRegistry.size()));
}

TEST_F(Materials, NamesAreCaseSensitiveAndKeptAsWritten) {
  const std::string lower = WriteBMP("7.bmp");
  const std::string upper = WriteBMP("7.BMP");
  const uint32_t a = GetTexture(lower);
  const uint32_t b = GetTexture(upper);
  EXPECT_NE(a, NoTexture);
  EXPECT_NE(b, NoTexture);
  EXPECT_NE(a, b);  // two entries, two loads

  // The registry keeps backslashes; only the file opening turns them.
  const std::string windows = lower.substr(0, lower.rfind('/')) + "\\7.bmp";
  const uint32_t c = GetTexture(windows);
  EXPECT_NE(c, NoTexture);
  EXPECT_NE(c, a);
  EXPECT_EQ(Entries(windows), 1u);
}

TEST_F(Materials, FailedLoadIsRegisteredAndTriedAgainEveryTime) {
  const std::string name = "no-such-dir\\missing.jpg";
  EXPECT_EQ(GetTexture(name), NoTexture);
  EXPECT_EQ(GetTexture(name), NoTexture);
  EXPECT_EQ(Entries(name), 2u);
  ASSERT_EQ(RecordedMessages().size(), 2u);
  EXPECT_EQ(RecordedMessages()[1].Text, "Couldn't load JPG - \"no-such-dir\\missing.jpg\"");

  // An ending no reader takes registers -1 without a message.
  ClearRecordedMessages();
  EXPECT_EQ(GetTexture("picture.jpeg"), NoTexture);
  EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(Materials, LastEntryOfANameWins) {
  RegisterTexture("dup", 5);
  RegisterTexture("other", 6);
  RegisterTexture("dup", 7);
  EXPECT_EQ(FindTexture("dup"), 7u);
  EXPECT_EQ(FindTexture("Dup"), NoTexture);
  RegisterTexture("dup", NoTexture);
  EXPECT_EQ(FindTexture("dup"), NoTexture);
}

TEST_F(Materials, NewMaterialAppliesPlainBlackWithDefaults) {
  const Material material;
  EXPECT_EQ(material.Kind, mkColor);
  EXPECT_EQ(material.Texture, 0u);
  EXPECT_FALSE(material.Blend || material.TexGen || material.AlphaBlend);
  Scramble();
  material.Apply();
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_EQ(Colour(), (std::vector<float>{0, 0, 0, 0}));
  ExpectDefaultMaterial();
}

TEST_F(Materials, BlendingColourMaterialIsAdditiveInItsBlendColour) {
  Material material;
  material.Color = MakeColor4(1, 0, 0, 1);
  material.Blend = true;
  material.BlendColor = MakeColor4(0, 0.5f, 0, 0.5f);
  material.Apply();
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(Integer(GL_BLEND_SRC), GL_ONE);
  EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
  EXPECT_EQ(Colour(), (std::vector<float>{0, 0.5f, 0, 0.5f}));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(Materials, TextureMaterialBindsGeneratesAndBlends) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  Material material;
  material.Kind = mkTexture;
  material.Texture = texture;
  material.Color = MakeColor4(1, 0, 0, 1);
  material.Apply();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(static_cast<GLuint>(Integer(GL_TEXTURE_BINDING_2D)), texture);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_EQ(Colour(), (std::vector<float>{1, 1, 1, 1}));  // Color is not used

  material.TexGen = true;
  material.Blend = true;
  material.BlendColor = MakeColor4(0.5f, 0.5f, 0.5f, 0.25f);
  material.Apply();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_COLOR);
  EXPECT_EQ(Integer(GL_BLEND_DST), GL_DST_COLOR);
  EXPECT_EQ(Colour(), (std::vector<float>{0.5f, 0.5f, 0.5f, 0.25f}));

  material.AlphaBlend = true;
  material.Apply();
  EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);

  // An unknown kind changes nothing.
  material.Kind = static_cast<TMaterialKind>(7);
  glDisable(GL_BLEND);
  material.Apply();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  ResetRenderState();
}

TEST_F(Materials, SwitchesPutTheStateIntoKnownShape) {
  Scramble();
  ResetRenderState();
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_BLEND) || glIsEnabled(GL_TEXTURE_GEN_S) ||
               glIsEnabled(GL_TEXTURE_GEN_T) || glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_EQ(Colour(), (std::vector<float>{1, 1, 1, 1}));
  ExpectDefaultMaterial();

  Scramble();
  BindTexture(0);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));

  EnableTexGen();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S) && glIsEnabled(GL_TEXTURE_GEN_T));
  DisableTexGen();
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S) || glIsEnabled(GL_TEXTURE_GEN_T));

  Scramble();
  SetMaterialColor(MakeColor4(0.1f, 0.2f, 0.3f, 0.4f));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_BLEND) || glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_EQ(MaterialOf(GL_BACK, GL_DIFFUSE), (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
  EXPECT_EQ(MaterialOf(GL_FRONT, GL_AMBIENT), (std::vector<float>{0, 0, 0, 1}));
  ResetRenderState();
}

TEST_F(Materials, SetupLightGivesAWhitePositionalLight) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  SelectLight(GL_LIGHT0);
  EXPECT_EQ(CurrentLight, static_cast<GLenum>(GL_LIGHT0));
  SetupLight();
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  EXPECT_EQ(LightOf(GL_POSITION), (std::vector<float>{10, 10, 10, 1}));
  EXPECT_EQ(LightOf(GL_AMBIENT), (std::vector<float>{1, 1, 1, 1}));
  EXPECT_EQ(LightOf(GL_DIFFUSE), (std::vector<float>{1, 1, 1, 1}));

  // The position goes through the modelview matrix of the call.
  glTranslatef(1, 2, 3);
  SetLightPosition(MakeVec3(1, 1, 1));
  EXPECT_EQ(LightOf(GL_POSITION), (std::vector<float>{2, 3, 4, 1}));
  EXPECT_EQ(LightPosition[3], 1.0f);
  glLoadIdentity();

  SetLightColors(MakeColor4(0.1f, 0.2f, 0.3f, 1), MakeColor4(0.4f, 0.5f, 0.6f, 1));
  EXPECT_EQ(LightOf(GL_AMBIENT), (std::vector<float>{0.1f, 0.2f, 0.3f, 1}));
  EXPECT_EQ(LightDiffuse[2], 0.6f);

  DisableLighting();
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
}
