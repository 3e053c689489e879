// The main loop and the loading screen, counted in presented frames on a
// fake window system with a fake keyboard and a clock that moves per frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>

#include "platform/Clock.h"
#include "platform/DirectInput8.h"
#include "platform/EINKeyboard.h"
#include "platform/KeyboardBackend.h"
#include "platform/SharedState.h"
#include "platform/WindowBackend.h"
#include "runtime/DemoMain.h"
#include "runtime/MainLoop.h"
#include "runtime/Timer.h"
#include "runtime/VRTReader.h"
#include "support/GLFixture.h"
#include "support/TempDir.h"

namespace {
// Each presented frame moves the clock on by 1/32 s: at rate 120 that is one
// track sample per frame.
int64_t Ticks = 0;
int64_t Frequency() { return 32; }
int64_t Counter() { return Ticks; }
uint32_t TickCount() { return 0; }
const CounterSource FrameClock{Frequency, Counter, TickCount};

class CountingWindow final : public WindowBackend {
 public:
  int Frames = 0;
  int CloseOnFrame = -1;
  bool StartVideo() override { return true; }
  bool StopVideo() override { return true; }
  bool FindDisplayMode(int, int, int) override { return true; }
  void RestoreDisplayMode() override {}
  void ShowCursor(bool) override {}
  void* OpenWindow(const std::string&, int, int, ScreenMode, const PixelFormatRequest&, bool&) override {
    return nullptr;
  }
  bool DestroyWindow(void*) override { return true; }
  void* CreateContext(void*) override { return nullptr; }
  bool MakeCurrent(void*, void*) override { return true; }
  bool DeleteContext(void*) override { return true; }
  void ShowWindow(void*) override {}
  bool PollEvent(WindowEvent& event) override {
    if (Frames + 1 != CloseOnFrame) return false;
    CloseOnFrame = -1;
    event = WindowEvent{};
    event.Type = WindowEvent::Close;
    return true;
  }
  void SwapBuffers(void*) override {
    ++Frames;
    ++Ticks;
  }
};

class HeldKeys final : public KeyboardBackend {
 public:
  bool EscapeDown = false;
  bool Open() override { return true; }
  bool ReadState(uint8_t state[256]) override {
    std::memset(state, 0, 256);
    if (EscapeDown) state[DIK_ESCAPE] = 0x80;
    return true;
  }
  void Close() override {}
};

class MainLoopTest : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    if (HasFatalFailure()) return;
    Ticks = 0;
    RunEnded = false;
    SetCounterSource(&FrameClock);
    SetWindowBackend(&Window);
    SetKeyboardBackend(&Keys);
    MainWindow.Wnd = &Window;  // any handle: the fake only counts
    CreateKeyboard(MainWindow, false);
    // Only the flash channel plays: nothing here has loaded the scenes.
    for (float& c : Channels) c = InactiveChannel();
    std::vector<uint8_t> bytes;
    AppendInt32(bytes, 1);
    AppendInt32(bytes, 4);
    AppendInt32(bytes, 120);
    for (int k = 0; k < 4; ++k) AppendFloat(bytes, 0.5f);
    TrackPath = Dir.Write("demo.vrk", bytes);
  }
  void TearDown() override {
    FreeKeyboard();
    SetKeyboardBackend(nullptr);
    SetWindowBackend(nullptr);
    SetCounterSource(nullptr);
    ResetQuitRequest();
    RunEnded = false;
    MainWindow = TGLWindow{};
    for (float& c : Channels) c = InactiveChannel();
    GLTest::TearDown();
  }

  int RunLoop() {
    TVRTReader track(TrackPath);
    TTimerClock clock;
    TPresentSink present;
    RunMainLoop(track, clock, present);
    return Window.Frames;
  }

  CountingWindow Window;
  HeldKeys Keys;
  TempDir Dir;
  std::string TrackPath;
};
}  // namespace

TEST_F(MainLoopTest, RunsUntilTheFrameThatPassesTheLastSample) {
  // Samples 0 to 3; the frame at position 4 ends the run and is still shown.
  EXPECT_EQ(RunLoop(), 5);
  EXPECT_TRUE(RunEnded);
  EXPECT_EQ(Channels[0], 0.5f);
}

TEST_F(MainLoopTest, EscapeHeldDuringLoadingEndsAfterOneFrame) {
  Keys.EscapeDown = true;
  EXPECT_EQ(RunLoop(), 1);
  EXPECT_FALSE(RunEnded);
}

TEST_F(MainLoopTest, ClosingTheWindowEndsTheRun) {
  Window.CloseOnFrame = 2;
  EXPECT_EQ(RunLoop(), 2);
}

TEST_F(MainLoopTest, LoadingShowsSixtyOneFramesBeforeAnythingElseLoads) {
  auto home = std::filesystem::current_path();
  std::filesystem::current_path(Dir.Path());
  try {
    LoadDemo();
  } catch (const std::exception&) {
    // Content missing here may end the loading after the loading screen.
  }
  std::filesystem::current_path(home);
  EXPECT_EQ(Window.Frames, LoadingFrames);
}
