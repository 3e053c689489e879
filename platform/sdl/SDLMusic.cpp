// The audio backend on SDL_mixer: samples are decoded whole into chunks
// (MP3 included) and played on the mixer's channels.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "platform/AudioBackend.h"

namespace {
struct LoadedSample {
  Mix_Chunk* Chunk;
  int MaxPlaybacks;
};

// How far the mixer has come with the playback on one of its channels: the
// frame its latest piece started at, that piece's length and when it was
// mixed. Written on the audio thread, read on the main one.
struct PlaybackClock {
  std::atomic<bool> Running{false};
  std::atomic<int64_t> PieceStart{0};
  std::atomic<int64_t> PieceFrames{0};
  std::atomic<uint64_t> PieceCounter{0};
  int64_t Mixed = 0;  // audio thread only
  double Start = 0;   // seconds into the sample the playback began at
};
constexpr int ClockedChannels = 64;
PlaybackClock Clocks[ClockedChannels];
// Bytes of one frame of the open output.
int OutputFrameBytes = 4;
int OutputRate = 44100;

void CountMixed(int channel, void*, int length, void*) {
  PlaybackClock& clock = Clocks[channel];
  const int64_t frames = length / OutputFrameBytes;
  clock.PieceStart.store(clock.Mixed);
  clock.PieceFrames.store(frames);
  clock.PieceCounter.store(SDL_GetPerformanceCounter());
  clock.Mixed += frames;
}

void PlaybackEnded(int channel, void*) { Clocks[channel].Running.store(false); }

class SDLAudioBackend : public AudioBackend {
 public:
  bool Open(int frequency) override {
    if (Opened) return true;
    return OpenOutput(frequency);
  }

  // SDL's dummy driver: it takes the mixed sound at the output's pace and
  // drops it.
  bool OpenSilent(int frequency) override {
    if (Opened) return true;
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    const bool opened = OpenOutput(frequency);
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    return opened;
  }

  bool OpenOutput(int frequency) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(frequency, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&rate, &format, &channels) != 0) {
      OutputRate = rate;
      OutputFrameBytes = channels * (SDL_AUDIO_BITSIZE(format) / 8);
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
    if (chunk == nullptr) return 0;
    StartClock(channel, start > 0 ? start : 0);
    if (Mix_PlayChannel(channel, chunk, 0) < 0) {
      Mix_UnregisterAllEffects(channel);
      return 0;
    }
    return channel + 1;
  }

  void Stop(int32_t playback) override {
    if (Opened && playback > 0) Mix_HaltChannel(playback - 1);
  }

  double Position(int32_t playback) override {
    const int channel = playback - 1;
    if (!Opened || channel < 0 || channel >= ClockedChannels || !Clocks[channel].Running.load()) return -1;
    const PlaybackClock& clock = Clocks[channel];
    // The piece mixed last is heard after the one before it has played:
    // what is heard now lies a piece behind it, moving on with the time
    // since it was mixed.
    const int64_t frames = clock.PieceFrames.load();
    const double since = static_cast<double>(SDL_GetPerformanceCounter() - clock.PieceCounter.load()) /
                         static_cast<double>(SDL_GetPerformanceFrequency());
    const double heard = static_cast<double>(clock.PieceStart.load() - frames) +
                         std::clamp(since * OutputRate, 0.0, static_cast<double>(frames));
    return clock.Start + std::max(heard, 0.0) / OutputRate;
  }

  bool Sound(uint32_t sample, const int16_t*& samples, size_t& frames, int& channels, int& rate) override {
    int frequency = 0, count = 0;
    Uint16 format = 0;
    if (!Opened || sample == 0 || sample > Samples.size() || Mix_QuerySpec(&frequency, &format, &count) == 0)
      return false;
    // The output's own format, which the chunks are decoded to: 16-bit
    // signed in the machine's byte order unless the device would not have it.
    if (format != AUDIO_S16SYS) return false;
    const Mix_Chunk* chunk = Samples[sample - 1].Chunk;
    samples = reinterpret_cast<const int16_t*>(chunk->abuf);
    channels = count;
    rate = frequency;
    frames = chunk->alen / (2 * static_cast<size_t>(count));
    return true;
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

  // The channel's clock starts at the sample's start seconds; the mixer
  // counts what it mixes of the channel from now until it stops.
  static void StartClock(int channel, double start) {
    if (channel >= ClockedChannels) return;
    PlaybackClock& clock = Clocks[channel];
    Mix_UnregisterAllEffects(channel);
    clock.Mixed = 0;
    clock.PieceStart.store(0);
    clock.PieceFrames.store(0);
    clock.PieceCounter.store(SDL_GetPerformanceCounter());
    clock.Start = start;
    clock.Running.store(true);
    Mix_RegisterEffect(channel, CountMixed, PlaybackEnded, nullptr);
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
