// The music module's sample slots and playback on SDL's dummy audio driver.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <string>
#include <vector>

#include "platform/Music.h"

namespace {
void Put(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int k = 0; k < bytes; ++k) b.push_back((v >> (8 * k)) & 0xFF);
}

// A short 16-bit mono WAV of silence.
std::string WriteWav(const std::string& name) {
  const uint32_t samples = 4410;
  std::vector<uint8_t> b{'R', 'I', 'F', 'F'};
  Put(b, 36 + samples * 2, 4);
  for (char c : std::string("WAVEfmt ")) b.push_back(c);
  Put(b, 16, 4);
  Put(b, 1, 2);
  Put(b, 1, 2);
  Put(b, 44100, 4);
  Put(b, 88200, 4);
  Put(b, 2, 2);
  Put(b, 16, 2);
  for (char c : std::string("data")) b.push_back(c);
  Put(b, samples * 2, 4);
  b.resize(b.size() + samples * 2, 0);
  const std::string path = "/tmp/vemla-music-" + std::to_string(getpid()) + "-" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
  return path;
}
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
