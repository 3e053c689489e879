// The audio backend on SDL_mixer: samples are decoded whole into chunks
// (MP3 included) and played on the mixer's channels.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/AudioBackend.h"

namespace {
struct LoadedSample {
  Mix_Chunk* Chunk;
  int MaxPlaybacks;
};

class SDLAudioBackend : public AudioBackend {
 public:
  bool Open(int frequency) override {
    if (Opened) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(frequency, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    Opened = true;
    return true;
  }

  uint32_t LoadSample(const std::string& path, int maxPlaybacks) override {
    // Chunks are decoded to the open output's format, so there is nothing
    // to load into without an output.
    if (!Opened) return 0;
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (chunk == nullptr) return 0;
    Samples.push_back({chunk, maxPlaybacks});
    return static_cast<uint32_t>(Samples.size());
  }

  int32_t Play(uint32_t sample, float volume, float pan, double start) override {
    if (!Opened || sample == 0 || sample > Samples.size()) return 0;
    const LoadedSample& loaded = Samples[sample - 1];
    int playing = 0;
    for (int channel = 0; channel < Mix_AllocateChannels(-1); ++channel)
      if (Mix_Playing(channel) && Mix_GetChunk(channel) == loaded.Chunk) ++playing;
    if (playing >= loaded.MaxPlaybacks) return 0;
    // Level and pan are set on a free channel before the sample starts on it.
    const int channel = Mix_GroupAvailable(-1);
    if (channel < 0) return 0;
    Mix_Volume(channel, static_cast<int>(volume * MIX_MAX_VOLUME + 0.5f));
    // Full level on the side the pan leans to, fading on the other.
    const float left = std::clamp(1.0f - pan, 0.0f, 1.0f);
    const float right = std::clamp(1.0f + pan, 0.0f, 1.0f);
    Mix_SetPanning(channel, static_cast<Uint8>(left * 255 + 0.5f), static_cast<Uint8>(right * 255 + 0.5f));
    Mix_Chunk* chunk = start > 0 ? TailOf(loaded.Chunk, start) : loaded.Chunk;
    if (chunk == nullptr || Mix_PlayChannel(channel, chunk, 0) < 0) return 0;
    return channel + 1;
  }

 private:
  // A chunk of the sample's decoded bytes from start seconds on, sharing
  // them; nullptr when the sample is shorter. Kept for the rest of the run.
  Mix_Chunk* TailOf(Mix_Chunk* chunk, double start) {
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0) return nullptr;
    const Uint32 frameBytes = static_cast<Uint32>(channels) * (SDL_AUDIO_BITSIZE(format) / 8);
    const double frames = std::floor(start * frequency);
    if (frames >= static_cast<double>(chunk->alen / frameBytes)) return nullptr;
    const Uint32 offset = static_cast<Uint32>(frames) * frameBytes;
    Mix_Chunk* tail = Mix_QuickLoad_RAW(chunk->abuf + offset, chunk->alen - offset);
    if (tail != nullptr) Tails.push_back(tail);
    return tail;
  }

  bool Opened = false;
  std::vector<LoadedSample> Samples;
  std::vector<Mix_Chunk*> Tails;
};

SDLAudioBackend PlatformAudio;
AudioBackend* ActiveAudio = &PlatformAudio;
}  // namespace

AudioBackend& CurrentAudioBackend() { return *ActiveAudio; }

void SetAudioBackend(AudioBackend* backend) { ActiveAudio = backend != nullptr ? backend : &PlatformAudio; }
