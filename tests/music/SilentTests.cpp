// Without an audio device, a program that shows its music (the editor's
// waveform) opens an output that plays nowhere: the music loads as it
// would for a device, and a playback keeps time.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <vector>

#include "WavFile.h"
#include "platform/Music.h"

TEST(MusicWithoutDevice, ASilentOutputStillLoadsShowsAndKeepsTime) {
  // An audio driver that does not exist stands for a machine without sound.
  SDL_setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  ASSERT_FALSE(InitMusic(nullptr));
  ASSERT_TRUE(InitSilentMusic());

  std::vector<int16_t> samples(44100);
  for (size_t k = 0; k < samples.size(); ++k) samples[k] = static_cast<int16_t>(k % 1000);
  const std::string wav = WriteWavFile("silent.wav", samples);
  const int32_t sample = LoadSample(wav);
  std::remove(wav.c_str());
  ASSERT_GE(sample, 0);
  TSoundView sound;
  ASSERT_TRUE(SampleSound(sample, sound));
  EXPECT_EQ(sound.Frames, samples.size());
  ASSERT_GE(sound.Channels, 1);
  EXPECT_EQ(sound.Samples[999 * sound.Channels], 999);

  const int32_t playback = PlaySample(sample, 100, 50);
  ASSERT_NE(playback, 0);
  double position = PlaybackPosition(playback);
  for (int look = 0; look < 100 && position < 0.2; ++look) {
    SDL_Delay(20);
    position = PlaybackPosition(playback);
  }
  EXPECT_GE(position, 0.2) << "the silent output's clock did not move within 2 s";
  StopPlayback(playback);
  // The driver asked for stays the user's: the silent one was for this output only.
  EXPECT_STREQ(SDL_GetHint(SDL_HINT_AUDIODRIVER), "no-such-driver");
}
