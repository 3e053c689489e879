// Without an audio device the music module stays silent and harmless.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "platform/Music.h"

TEST(MusicWithoutDevice, EverythingFailsQuietly) {
  // An audio driver that does not exist stands for a machine without sound.
  SDL_setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(InitMusic(nullptr));
  EXPECT_EQ(LoadSample("vemla\\sound.mp3"), -1);
  EXPECT_EQ(SampleCount, 0);
  EXPECT_EQ(PlaySample(-1, 100, 50), 0);
  EXPECT_EQ(PlaySample(0, 100, 50), 0);
}
