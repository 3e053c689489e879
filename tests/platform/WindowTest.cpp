// The window module: creation order and failure handling against a fake
// window system, presenting frames, and the projections on a real context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"
#include "platform/Message.h"
#include "platform/WindowBackend.h"
#include "support/GLFixture.h"

namespace {
// Records every call; each step can be made to fail.
class FakeBackend final : public WindowBackend {
 public:
  std::vector<std::string> Calls;
  std::deque<WindowEvent> Events;
  bool FailVideo = false, FailMode = false, FailSwitch = false, FailWindow = false, FailContext = false,
       FailMakeCurrent = false;
  int Swaps = 0;
  int WindowHandle = 1, ContextHandle = 2;

  bool StartVideo() override { return Log("StartVideo", !FailVideo); }
  bool StopVideo() override { return Log("StopVideo", true); }
  bool FindDisplayMode(int, int, int) override { return Log("FindDisplayMode", !FailMode); }
  void RestoreDisplayMode() override { Calls.push_back("RestoreDisplayMode"); }
  void ShowCursor(bool visible) override { Calls.push_back(visible ? "ShowCursor(true)" : "ShowCursor(false)"); }
  void* OpenWindow(const std::string&, int width, int height, ScreenMode mode, const PixelFormatRequest& format,
                     bool& fullscreenFailed) override {
    const bool fullscreen = mode != ScreenMode::Windowed;
    Calls.push_back("OpenWindow(" + std::to_string(width) + "x" + std::to_string(height) +
                    (mode == ScreenMode::Desktop ? ", desktop" : fullscreen ? ", fullscreen" : ", windowed") + ")");
    Format = format;
    fullscreenFailed = fullscreen && FailSwitch;
    return FailWindow ? nullptr : &WindowHandle;
  }
  bool DestroyWindow(void*) override { return Log("DestroyWindow", true); }
  void* CreateContext(void*) override {
    Calls.push_back("CreateContext");
    return FailContext ? nullptr : &ContextHandle;
  }
  bool MakeCurrent(void*, void* context) override {
    return Log(context ? "MakeCurrent" : "MakeCurrent(none)", !(FailMakeCurrent && context));
  }
  bool DeleteContext(void*) override { return Log("DeleteContext", true); }
  void ShowWindow(void*) override { Calls.push_back("ShowWindow"); }
  bool PollEvent(WindowEvent& event) override {
    if (Events.empty()) return false;
    event = Events.front();
    Events.pop_front();
    return true;
  }
  void SwapBuffers(void*) override { ++Swaps; }

  PixelFormatRequest Format;

 private:
  bool Log(const char* name, bool result) {
    Calls.push_back(name);
    return result;
  }
};

class WindowCreation : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWindowBackend(&Fake);
    StartRecordingMessages();
  }
  void TearDown() override {
    StopRecordingMessages();
    SetWindowBackend(nullptr);
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> out;
    for (const auto& m : RecordedMessages()) {
      EXPECT_EQ(m.Caption, "Error");
      out.push_back(m.Text);
    }
    return out;
  }
  FakeBackend Fake;
};

using Strings = std::vector<std::string>;
}  // namespace

TEST_F(WindowCreation, FailedMakeCurrentTearsEverythingDownThenSaysSo) {
  Fake.FailMakeCurrent = true;
  TGLWindow window;
  EXPECT_FALSE(BuildGLWindow(800, 600, 32, window, "Test", true));
  EXPECT_EQ(Fake.Calls, (Strings{"StartVideo", "FindDisplayMode", "ShowCursor(false)",
                                 "OpenWindow(800x600, fullscreen)", "CreateContext", "MakeCurrent",
                                 "RestoreDisplayMode", "ShowCursor(true)", "MakeCurrent(none)", "DeleteContext",
                                 "DestroyWindow", "StopVideo"}));
  EXPECT_EQ(Texts(), (Strings{"Unable to activate OpenGL rendering context"}));
  EXPECT_EQ(window.Wnd, nullptr);
  EXPECT_EQ(window.RC, nullptr);
  EXPECT_EQ(window.Title, "Test");
  EXPECT_EQ(ActiveWindow.Width, 800);
  EXPECT_TRUE(FullscreenMode);
}

TEST_F(WindowCreation, NoFullscreenModeFallsBackToAWindow) {
  Fake.FailMode = true;
  TGLWindow window;
  EXPECT_TRUE(SetupGLWindow(window, 800, 600, 32, true));
  EXPECT_EQ(Texts(), (Strings{"Unable to switch to fullscreen!"}));
  EXPECT_EQ(Fake.Calls[2], "OpenWindow(800x600, windowed)");
  EXPECT_TRUE(FullscreenMode) << "the request is kept for the teardown";
}

TEST_F(WindowCreation, FailedSwitchAtCreationShowsTheCursorAgain) {
  Fake.FailSwitch = true;
  TGLWindow window;
  EXPECT_TRUE(SetupGLWindow(window, 800, 600, 32, true));
  EXPECT_EQ(Texts(), (Strings{"Unable to switch to fullscreen!"}));
  EXPECT_EQ(Fake.Calls[4], "ShowCursor(true)");
}

TEST_F(WindowCreation, EachFailingStepHasItsText) {
  TGLWindow window;
  Fake.FailVideo = true;
  EXPECT_FALSE(SetupGLWindow(window, 800, 600, 32, false));
  EXPECT_EQ(Fake.Calls, (Strings{"StartVideo"})) << "no teardown before the class exists";
  Fake = FakeBackend();
  Fake.FailWindow = true;
  EXPECT_FALSE(SetupGLWindow(window, 800, 600, 32, false));
  Fake = FakeBackend();
  Fake.FailContext = true;
  EXPECT_FALSE(SetupGLWindow(window, 800, 600, 32, false));
  EXPECT_EQ(Texts(), (Strings{"Failed to register the window class!", "Unable to create window!",
                              "Unable to create an OpenGL rendering context"}));
}

TEST_F(WindowCreation, AsksForDoubleBufferDepthAndStencil) {
  TGLWindow window;
  EXPECT_TRUE(BuildGLWindow(800, 600, 32, window, "Test", false));
  EXPECT_TRUE(Fake.Format.DoubleBuffer);
  EXPECT_EQ(Fake.Format.DepthBits, 24);
  EXPECT_GE(Fake.Format.StencilBits, 1);
  EXPECT_EQ(Fake.Calls.back(), "ShowWindow");
}

TEST_F(WindowCreation, PresentFramePresentsEveryFrameWhateverIsQueued) {
  TGLWindow window;
  window.Wnd = &Fake.WindowHandle;
  ResetQuitRequest();
  Fake.Events = {WindowEvent{}, WindowEvent{}};
  Fake.Events[0].Type = WindowEvent::KeyDown;
  Fake.Events[0].Key = 41;
  EXPECT_FALSE(PresentFrame(window));
  EXPECT_EQ(Fake.Swaps, 1);
  EXPECT_TRUE(Fake.Events.empty()) << "every pending event is handled";
  EXPECT_TRUE(WindowKeys[41]);
  EXPECT_FALSE(PresentFrame(window));
  EXPECT_EQ(Fake.Swaps, 2);

  WindowEvent close;
  close.Type = WindowEvent::Close;
  Fake.Events = {close};
  EXPECT_TRUE(PresentFrame(window));
  EXPECT_EQ(Fake.Swaps, 3) << "the frame that sees the close is still shown";
  EXPECT_TRUE(QuitRequested());
  EXPECT_TRUE(PresentFrame(window)) << "the quit request stays";
  ResetQuitRequest();
}

using WindowGL = GLTest;

TEST_F(WindowGL, ResizeToHeightZeroUsesHeightOne) {
  ResizeViewport(640, 0);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[3], 1);
  EXPECT_EQ(viewport[2], 640);
  double p[16];
  ReadMatrix(GL_PROJECTION_MATRIX, p);
  // gluPerspective: p[0] = f / aspect, p[5] = f with f = cot(fov / 2).
  EXPECT_NEAR(p[5] / p[0], 640.0, 1e-3);
  ResizeViewport(800, 600);
}

TEST_F(WindowGL, FieldOfViewUsesTheCreatedAspectEvenAfterAResize) {
  ResizeViewport(1024, 300);
  SetFieldOfView(90);
  double p[16];
  ReadMatrix(GL_PROJECTION_MATRIX, p);
  EXPECT_NEAR(p[5], 1.0, 1e-6);  // cot(45 degrees)
  EXPECT_NEAR(p[5] / p[0], 800.0 / 600.0, 1e-6);
  // Near 1 and far 100000.
  double n = p[14] / (p[10] - 1), f = p[14] / (p[10] + 1);
  EXPECT_NEAR(n, 1.0, 1e-3);
  EXPECT_NEAR(f, 100000.0, 1000.0);  // the matrix is held in floats
  double m[16];
  ReadMatrix(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0.0);
  EXPECT_EQ(m[0], 1.0);
  ResizeViewport(800, 600);
}

TEST_F(WindowGL, InitialStateIsTheDemosBaseline) {
  InitGLState();
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLint func = 0, mode = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &func);
  EXPECT_EQ(func, GL_LEQUAL);
  glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_SPHERE_MAP);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  GLint depthBits = 0, stencilBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  EXPECT_GE(depthBits, 24);
  EXPECT_GE(stencilBits, 1);
}

// An extension counts only as a whole word of the context's list.
TEST_F(WindowGL, ExtensionsAreWholeWordsOfTheList) {
  const std::string list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  const std::string first = list.substr(0, list.find(' '));
  ASSERT_GT(first.size(), 3u);
  EXPECT_TRUE(GLExtensionOffered(first.c_str()));
  EXPECT_FALSE(GLExtensionOffered(first.substr(0, first.size() - 1).c_str())) << "a prefix is not the extension";
  EXPECT_FALSE(GLExtensionOffered(first.substr(1).c_str())) << "nor is a suffix";
  EXPECT_FALSE(GLExtensionOffered(""));
  EXPECT_FALSE(GLExtensionOffered("GL_VEMLA_no_such_extension"));
}

TEST_F(WindowGL, PresentFrameOnTheRealWindowReportsNoQuit) {
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glFinish();
  auto before = ReadPixels(400, 300, 1, 1);
  EXPECT_EQ(before[0], 255);
  EXPECT_FALSE(PresentFrame(ActiveWindow));
}
