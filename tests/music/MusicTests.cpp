// The music module's sample slots and playback on SDL's dummy audio driver.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <string>
#include <vector>

#include "WavFile.h"
#include "platform/Music.h"

namespace {
// A short WAV of silence.
std::string WriteWav(const std::string& name) { return WriteWavFile(name, std::vector<int16_t>(4410, 0)); }
}  // namespace

bool WriteSineMp3(const std::string& path, double seconds);

// One test: the slots are module state that lives for the whole program.
TEST(Music, SlotsFillInOrderAndAFailedLoadLeavesItsSlot) {
  ASSERT_TRUE(InitMusic(nullptr));
  const std::string first = WriteWav("a.wav");
  const std::string second = WriteWav("b.wav");

  EXPECT_EQ(LoadSample(first), 0);
  EXPECT_EQ(LoadSample("/tmp/vemla-no-such-dir\\sound.mp3"), -1);
  EXPECT_EQ(SampleCount, 1);
  EXPECT_EQ(LoadSample(second), 1);
  EXPECT_EQ(SampleCount, 2);
  EXPECT_NE(SampleSlots[0], 0u);
  EXPECT_NE(SampleSlots[1], SampleSlots[0]);

  // Playing a failed load's index plays nothing; a loaded one plays.
  EXPECT_EQ(PlaySample(-1, 100, 50), 0);
  EXPECT_EQ(PlaySample(2, 100, 50), 0);
  EXPECT_NE(PlaySample(0, 100, 50), 0);
  EXPECT_NE(PlaySample(1, 0, 0), 0);
  EXPECT_NE(PlaySample(1, 100, 100), 0);

  // The music itself is an MP3 file; backslashes in its name become slashes.
  const std::string mp3 = "/tmp/vemla-music-" + std::to_string(getpid()) + "-sound.mp3";
  ASSERT_TRUE(WriteSineMp3(mp3, 0.5));
  std::string windowsName = mp3;
  windowsName.replace(windowsName.rfind('/'), 1, "\\");
  EXPECT_EQ(LoadSample(windowsName), 2);
  EXPECT_NE(PlaySample(2, 100, 50), 0);
  // Started part of the way in; past the end nothing plays.
  EXPECT_NE(PlaySample(2, 100, 50, 0.25), 0);
  EXPECT_EQ(PlaySample(2, 100, 50, 0.6), 0);
  std::remove(first.c_str());
  std::remove(second.c_str());
  std::remove(mp3.c_str());
}
