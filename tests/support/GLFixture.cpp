#include "support/GLFixture.h"

#include <GL/gl.h>

#include <string>

#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"
#include "platform/Message.h"

namespace {
TGLWindow TestWindow;
bool Tried = false;
// Empty once the window and its context are made; otherwise why not.
std::string Failure = "the GL test window was never made";
}  // namespace

// No assertion here: a failure in a suite's set-up makes GoogleTest skip
// the suite's tests, and a skip must never stand for a broken GL path. The
// reason is kept and every test's SetUp fails with it.
void GLTest::SetUpTestSuite() {
  if (Tried) return;
  Tried = true;
  LoadGLLibraries();
  StartRecordingMessages();
  BuildGLWindow(800, 600, 32, TestWindow, "Test", false);
  std::string said;
  for (const ShownMessage& m : RecordedMessages()) said += (said.empty() ? "" : "; ") + m.Text;
  StopRecordingMessages();
  if (!said.empty() || TestWindow.RC == nullptr)
    Failure = "the GL test window could not be made: " + (said.empty() ? std::string("no context") : said);
  else
    Failure.clear();
}

bool GLTest::GLReady() { return Failure.empty(); }

void GLTest::SetUp() {
  ASSERT_TRUE(GLReady()) << Failure;
  StartRecordingMessages();
  ResizeViewport(800, 600);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GLTest::TearDown() {
  StopRecordingMessages();
  if (!GLReady()) return;
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
