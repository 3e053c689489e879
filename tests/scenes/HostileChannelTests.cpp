// Channel values no track is meant to hold: NaN, the infinities, values far
// outside any picture, a denormal and negative zero, fed to the frame
// director and to every scene entry point, alone and mixed. The pictures may
// be anything; every frame must finish, and an ordinary frame drawn
// afterwards must come out as it did before.
#include <cmath>
#include <limits>
#include <random>

#include "SceneFixture.h"
#include "platform/SharedState.h"
#include "render2d/Overlay2D.h"
#include "runtime/DemoMain.h"
#include "runtime/FrameState.h"
#include "scenes/Beat.h"
#include "scenes/Clockwork.h"
#include "scenes/VemlaOverlay.h"
#include "scenes/VemlaStempel.h"

namespace {
constexpr float Inf = std::numeric_limits<float>::infinity();
const float Hostile[] = {std::numeric_limits<float>::quiet_NaN(), Inf, -Inf, 1e30f, -1e30f, 1e-40f, -0.0f};
// The channels the frame director reads.
constexpr int UsedChannels = 11;

class HostileChannels : public SceneTest {
 protected:
  // A frame of the clock glow, the stamp room and the overlay from a fresh
  // beat, camera and overlay choice, after an empty frame.
  static std::vector<uint8_t> OrdinaryFrame() {
    ResetFrameState();
    SceneTime = 2.5f;
    for (float& c : Channels) c = InactiveChannel();
    DrawFrame();
    Channels[1] = 0.7f;
    Channels[2] = 0.5f;
    Channels[5] = 1;
    Channels[0] = 0.2f;
    DrawFrame();
    return Frame();
  }
};
}  // namespace

TEST_F(HostileChannels, FrameDirectorDrawsEveryChannelAloneAndAllAtOnce) {
  // The first frames after the set-up see other textures and GL state than
  // later ones, so the reference is the second ordinary frame.
  OrdinaryFrame();
  const std::vector<uint8_t> before = OrdinaryFrame();
  for (float value : Hostile) {
    for (int channel = 0; channel < UsedChannels; ++channel) {
      OnlyChannel(channel, value);
      DrawFrame();
      SceneTime += FrameDelta;
    }
    for (float& c : Channels) c = value;
    DrawFrame();
  }
  EXPECT_TRUE(OrdinaryFrame() == before) << "an ordinary frame changed after the hostile ones";
}

TEST_F(HostileChannels, FrameDirectorDrawsRandomMixtures) {
  OrdinaryFrame();
  const std::vector<uint8_t> before = OrdinaryFrame();
  // Each channel hostile, inactive or ordinary; the same mixtures every run.
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> pick(0, std::size(Hostile) + 1);
  for (int frame = 0; frame < 40; ++frame) {
    for (float& c : Channels) {
      const int k = pick(random);
      c = k < static_cast<int>(std::size(Hostile)) ? Hostile[k] : (k == std::size(Hostile) ? InactiveChannel() : 0.5f);
    }
    DrawFrame();
    SceneTime += 7 * FrameDelta;  // a beat now and then
  }
  EXPECT_TRUE(OrdinaryFrame() == before) << "an ordinary frame changed after the hostile ones";
}

TEST_F(HostileChannels, SceneEntryPointsTakeEveryValue) {
  for (float value : Hostile) {
    // Only values that round to 0 select a slot, the first.
    EXPECT_EQ(PictureSlot(value), std::fabs(value) < 0.5f ? 0 : -1) << value;
    EXPECT_EQ(FlashVisible(value), value > 0) << value;
    const int32_t index = OverlayIndexFromDraw(value);
    EXPECT_TRUE(index >= 1 && index <= 6) << value;
    ClearFrame();
    UpdateOverlayTexture();
    SkipOverlayTexture(true);
    DrawOverlayGrid(value);
    RenderClockNest(value);
    RenderClockNestGlow(value);
    RenderClockTunnel();
    RenderPeaSwarm(value);
    DrawWarpGrid();
    RenderWarpEcho(value);
    RenderStampRoom();
    RenderOverlay(value);
    DrawLetterbox(value);
    SceneTime += 11 * FrameDelta;
  }
}
