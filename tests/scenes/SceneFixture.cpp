#include "SceneFixture.h"

#include <GL/gl.h>

#include <filesystem>

#include "platform/Clock.h"
#include "platform/SharedState.h"
#include "runtime/DemoMain.h"
#include "runtime/FrameState.h"
#include "scenes/Beat.h"
#include "scenes/Clockwork.h"

namespace {
bool Loaded = false;

// The time of day follows the scene time, so that reseeding gives each
// frame its own numbers and the same numbers on every run.
TimeOfDay SceneTimeOfDay() {
  const int ms = static_cast<int>(SceneTime * 1000) % 1000;
  const int s = static_cast<int>(SceneTime) % 60;
  return TimeOfDay{0, 0, s, ms};
}
}  // namespace

void SceneTest::SetUpTestSuite() {
  GLTest::SetUpTestSuite();
  if (Loaded || !GLReady()) return;
  const auto home = std::filesystem::current_path();
  std::filesystem::current_path(VEMLA_STAGE_DIR);
  LoadDemo(TLoadOptions{.LoadingScreen = false, .Music = false});
  std::filesystem::current_path(home);
  Loaded = true;
}

void SceneTest::SetUp() {
  GLTest::SetUp();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(Loaded);
  SetTimeOfDaySource(SceneTimeOfDay);
  ResetFrameState();
  SceneTime = 1.0f;
  FrameDelta = 1.0f / 60;
  for (float& c : Channels) c = InactiveChannel();
}

void SceneTest::TearDown() {
  SetTimeOfDaySource(nullptr);
  for (float& c : Channels) c = InactiveChannel();
  GLTest::TearDown();
}

void SceneTest::OnlyChannel(int channel, float value) {
  for (float& c : Channels) c = InactiveChannel();
  Channels[channel] = value;
}

int SceneTest::LitPixelsBetweenBars() {
  const std::vector<uint8_t> p = ReadPixels(0, 75, 800, 450);
  int lit = 0;
  for (size_t k = 0; k < p.size(); k += 4)
    if (p[k] > 8 || p[k + 1] > 8 || p[k + 2] > 8) ++lit;
  return lit;
}

bool SceneTest::RowsBlack(int first, int count) {
  const std::vector<uint8_t> p = ReadPixels(0, first, 800, count);
  for (size_t k = 0; k < p.size(); k += 4)
    if (p[k] != 0 || p[k + 1] != 0 || p[k + 2] != 0) return false;
  return true;
}
