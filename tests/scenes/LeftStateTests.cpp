// No scene looks different for another having played before it: each sets
// the GL state it draws with, whatever the frame before left (the stamp
// room's light, its normalised normals, another pass's colour or blending).
#include <string>
#include <vector>

#include "SceneFixture.h"
#include "platform/SharedState.h"
#include "runtime/ChannelBindings.h"
#include "runtime/DemoMain.h"
#include "runtime/FrameState.h"

namespace {
struct Setting {
  const char* Name;
  std::vector<std::pair<int, float>> Values;
};

// Every scene and overlay of the frame director, each as the show sets it.
const std::vector<Setting> Scenes = {
    {"nothing", {}},
    {"overlay", {{chOverlay, 0.5f}}},
    {"nest-glow", {{chNestGlow, 0.4f}}},
    {"pea-swarm", {{chPeaSwarm, 1}}},
    {"warp-echo", {{chWarpEcho, 0.5f}}},
    {"stamp-room", {{chStampRoom, 1}}},
    {"nest", {{chNest, 0.3f}}},
    {"tunnel", {{chTunnel, 1}}},
    {"feedback", {{chFeedback, 0.5f}, {chPicture, 4}}},
    {"slide and flash", {{chPicture, 1}, {chPictureAlpha, 1}, {chFlash, 0.3f}}},
};

class LeftState : public SceneTest {
 protected:
  // The frame of a setting at 2.5 s, from the state the program starts with.
  static std::vector<uint8_t> Shot(const Setting& setting) {
    ResetFrameState();
    for (float& c : Channels) c = InactiveChannel();
    for (const auto& [channel, value] : setting.Values) Channels[channel] = value;
    SceneTime = 2.5f;
    DrawFrame();
    return Frame();
  }
};
}  // namespace

TEST_F(LeftState, EverySceneLooksTheSameWhateverPlayedBeforeIt) {
  Shot(Scenes[0]);
  std::vector<std::vector<uint8_t>> alone;
  for (const Setting& scene : Scenes) alone.push_back(Shot(scene));
  for (const Setting& before : Scenes)
    for (size_t k = 0; k < Scenes.size(); ++k) {
      Shot(before);
      EXPECT_TRUE(Shot(Scenes[k]) == alone[k]) << Scenes[k].Name << " after " << before.Name;
    }
}
