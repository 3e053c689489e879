#include "support/GLFixture.h"

#include <GL/gl.h>

#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"
#include "platform/Message.h"

namespace {
TGLWindow TestWindow;
bool Ready = false;
}  // namespace

void GLTest::SetUpTestSuite() {
  if (Ready) return;
  LoadGLLibraries();
  StartRecordingMessages();
  BuildGLWindow(800, 600, 32, TestWindow, "Test", false);
  ASSERT_TRUE(RecordedMessages().empty()) << RecordedMessages().front().Text;
  ASSERT_NE(TestWindow.RC, nullptr);
  Ready = true;
}

void GLTest::SetUp() {
  ASSERT_TRUE(Ready);
  StartRecordingMessages();
  ResizeViewport(800, 600);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GLTest::TearDown() {
  StopRecordingMessages();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

std::vector<uint8_t> GLTest::ReadPixels(int x, int y, int w, int h) {
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

void GLTest::ReadMatrix(unsigned which, double out[16]) { glGetDoublev(which, out); }

std::vector<uint8_t> GLTest::BoundTexels(int& width, int& height) {
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  return texels;
}
