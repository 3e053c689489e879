#include "platform/Music.h"

#include <algorithm>

#include "platform/AudioBackend.h"
#include "platform/Message.h"
#include "platform/Stream.h"

uint32_t SampleSlots[SampleSlotCount] = {};
int32_t SampleCount = 0;

namespace {
constexpr int OutputFrequency = 44100;
constexpr int MaxPlaybacks = 3;
}  // namespace

bool InitMusic(void*) {
  if (CurrentAudioBackend().Open(OutputFrequency)) return true;
  static bool told = false;
  if (!told) ShowNotice("No audio device: playing without sound.");
  told = true;
  return false;
}

bool InitSilentMusic() { return CurrentAudioBackend().OpenSilent(OutputFrequency); }

int32_t LoadSample(const std::string& fileName) {
  // Every slot is taken: nothing more can be held.
  if (SampleCount >= SampleSlotCount) return -1;
  const uint32_t handle = CurrentAudioBackend().LoadSample(PlatformPath(fileName), MaxPlaybacks);
  SampleSlots[SampleCount] = handle;
  if (handle == 0) return -1;
  return SampleCount++;
}

int32_t PlaySample(int32_t index, int32_t volume, int32_t pan, double start) {
  if (index < 0 || index >= SampleCount || SampleSlots[index] == 0) return 0;
  const float level = std::clamp(volume, 0, 100) / 100.0f;
  const float balance = (std::clamp(pan, 0, 100) - 50) / 50.0f;
  return CurrentAudioBackend().Play(SampleSlots[index], level, balance, start);
}

void StopPlayback(int32_t playback) {
  if (playback != 0) CurrentAudioBackend().Stop(playback);
}

double PlaybackPosition(int32_t playback) { return playback != 0 ? CurrentAudioBackend().Position(playback) : -1; }

bool SampleSound(int32_t index, TSoundView& sound) {
  sound = TSoundView{};
  if (index < 0 || index >= SampleCount || SampleSlots[index] == 0) return false;
  return CurrentAudioBackend().Sound(SampleSlots[index], sound.Samples, sound.Frames, sound.Channels, sound.Rate);
}
