// The texture loader under Mesa: the reader chosen by the ending, the
// uploaded texels, and the messages of failed loads.
#include <GL/gl.h>

#include "ImageFiles.h"
#include "platform/Message.h"
#include "render2d/LUM2Textures.h"
#include "support/GLFixture.h"
#include "support/TempDir.h"

namespace {
class TextureLoad : public GLTest {
 protected:
  static std::string Write(const std::string& name, const Bytes& bytes) { return Files.Write(name, bytes); }
  static TempDir Files;
  static const std::string Dir;
};
TempDir TextureLoad::Files;
const std::string TextureLoad::Dir = TextureLoad::Files.Path();

const uint32_t Untouched = 0xABCDu;
}  // namespace

TEST_F(TextureLoad, BmpBecomesAMipmappedRepeatingTexture) {
  const std::string path = Write("two.bmp", MakeBMP(2, 2, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}}, true));
  uint32_t texture = Untouched;
  EXPECT_TRUE(LoadTexture(path, texture, false));
  ASSERT_NE(texture, Untouched);
  EXPECT_TRUE(RecordedMessages().empty());
  GLint bound = 0, minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0, envMode = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), texture);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(magFilter, GL_LINEAR);
  EXPECT_EQ(wrapS, GL_REPEAT);
  EXPECT_EQ(wrapT, GL_REPEAT);
  EXPECT_EQ(envMode, GL_MODULATE);
  GLint level1 = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
  EXPECT_EQ(level1, 1);  // the chain goes down to 1 x 1

  int w = 0, h = 0;
  const std::vector<uint8_t> texels = BoundTexels(w, h);
  ASSERT_EQ(w, 2);
  ASSERT_EQ(h, 2);
  // Bottom row first: red, green; then blue, grey.
  EXPECT_EQ((std::vector<uint8_t>(texels.begin(), texels.begin() + 8)),
            (std::vector<uint8_t>{255, 0, 0, 255, 0, 255, 0, 255}));
  EXPECT_EQ(texels[8 + 2], 255);
}

TEST_F(TextureLoad, EndingIsTestedOnTheUpperCasedName) {
  const Bytes jpeg = MakeJPEG(4, 4, std::vector<RGB>(16, RGB{200, 100, 50}));
  uint32_t texture = Untouched;
  EXPECT_TRUE(LoadTexture(Write("mixed.Jpg", jpeg), texture, false));
  EXPECT_NE(texture, Untouched);
  int w = 0, h = 0;
  const std::vector<uint8_t> texels = BoundTexels(w, h);
  EXPECT_NEAR(texels[0], 200, 3);
  EXPECT_NEAR(texels[1], 100, 3);
  EXPECT_NEAR(texels[2], 50, 3);

  texture = Untouched;
  EXPECT_FALSE(LoadTexture(Write("long.jpeg", jpeg), texture, false));
  EXPECT_EQ(texture, Untouched);
  EXPECT_FALSE(LoadTexture(Write("x.png", jpeg), texture, false));
  EXPECT_FALSE(LoadTexture("a", texture, false));
  EXPECT_EQ(texture, Untouched);
  EXPECT_TRUE(RecordedMessages().empty());

  Bytes tga = TGAHeader(2, 0, 1, 1, 32);
  tga.insert(tga.end(), {1, 2, 3, 4});
  EXPECT_TRUE(LoadTexture(Write("UP.TGA", tga), texture, false));
}

TEST_F(TextureLoad, OddSizesAreRescaledByGlu) {
  std::vector<RGB> pixels(300 * 200, RGB{10, 20, 30});
  uint32_t texture = Untouched;
  EXPECT_TRUE(LoadTexture(Write("wide.bmp", MakeBMP(300, 200, pixels, false)), texture, false));
  EXPECT_NE(texture, Untouched);
  int w = 0, h = 0;
  BoundTexels(w, h);
  EXPECT_EQ(w, 256);
  EXPECT_EQ(h, 256);
}

TEST_F(TextureLoad, MissingFilesShowEachReadersMessage) {
  uint32_t texture = Untouched;
  EXPECT_FALSE(LoadTexture("missing\\a.bmp", texture, false));
  EXPECT_FALSE(LoadTexture("missing\\b.jpg", texture, false));
  EXPECT_FALSE(LoadTexture("missing\\c.tga", texture, false));
  EXPECT_EQ(texture, Untouched);
  const std::vector<ShownMessage>& m = RecordedMessages();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].Caption, "BMP Unit");
  EXPECT_EQ(m[0].Text, "Error opening missing\\a.bmp");
  EXPECT_EQ(m[1].Caption, "BMP Unit");
  EXPECT_EQ(m[1].Text, "Couldn't load JPG - \"missing\\b.jpg\"");
  EXPECT_EQ(m[2].Caption, "TGA Texture");
  EXPECT_EQ(m[2].Text, "File not found  - missing\\c.tga");
}

TEST_F(TextureLoad, BackslashesInNamesOpenTheFile) {
  Write("slash.bmp", MakeBMP(1, 1, {{1, 2, 3}}, true));
  std::string name = Dir + "\\slash.bmp";
  uint32_t texture = Untouched;
  EXPECT_TRUE(LoadTexture(name, texture, false));
  EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(TextureLoad, CorruptFilesShowTheirMessageAndLeaveTheTexture) {
  uint32_t texture = Untouched;
  Bytes bmp = MakeBMP(4, 4, std::vector<RGB>(16, RGB{1, 1, 1}), true);
  bmp.resize(60);
  EXPECT_FALSE(LoadTexture(Write("cut.bmp", bmp), texture, false));
  EXPECT_FALSE(LoadTexture(Write("cut.jpg", Bytes{0xFF, 0xD8, 0xFF}), texture, false));
  EXPECT_FALSE(LoadTexture(Write("cut.tga", TGAHeader(10, 0, 8, 8, 24)), texture, false));
  EXPECT_EQ(texture, Untouched);
  const std::vector<ShownMessage>& m = RecordedMessages();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].Text, "Error reading bitmap data");
  EXPECT_EQ(m[1].Text, "Couldn't load JPG - \"" + Dir + "/cut.jpg\"");
  EXPECT_EQ(m[2].Caption, "TGA File Error");
  EXPECT_EQ(m[2].Text, "Couldn't read file \"" + Dir + "/cut.tga\".");
}

TEST_F(TextureLoad, ResourcesAreNeverFound) {
  uint32_t texture = Untouched;
  EXPECT_FALSE(LoadTexture("walls.jpg", texture, true));
  EXPECT_FALSE(LoadTexture("walls.bmp", texture, true));
  EXPECT_FALSE(LoadTexture("walls.tga", texture, true));
  EXPECT_EQ(texture, Untouched);
  const std::vector<ShownMessage>& m = RecordedMessages();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].Caption, "JPG Texture");
  EXPECT_EQ(m[0].Text, "File not found in resource - walls.jpg");
  EXPECT_EQ(m[1].Caption, "BMP Texture");
  EXPECT_EQ(m[2].Caption, "TGA Texture");
}
