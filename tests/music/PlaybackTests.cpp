// Playing the music at will, as the sync editor does, on SDL's dummy audio
// driver: a loaded sample's decoded sound, a playback's clock following the
// output, and stopping it. A program of its own: the slots are module state.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "WavFile.h"
#include "platform/Music.h"

namespace {
constexpr int Rate = 44100;

// Two seconds at the output's rate: sample k is k mod 1000.
std::string WriteCountingWav() {
  std::vector<int16_t> samples(2 * Rate);
  for (size_t k = 0; k < samples.size(); ++k) samples[k] = static_cast<int16_t>(k % 1000);
  return WriteWavFile("counting.wav", samples, Rate);
}

void Sleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
}  // namespace

TEST(MusicPlayback, TheSoundIsKeptTheClockFollowsTheOutputAndStops) {
  ASSERT_TRUE(InitMusic(nullptr));
  const std::string wav = WriteCountingWav();
  const int32_t sample = LoadSample(wav);
  std::remove(wav.c_str());
  ASSERT_GE(sample, 0);

  TSoundView sound;
  ASSERT_TRUE(SampleSound(sample, sound));
  EXPECT_EQ(sound.Rate, Rate);
  EXPECT_EQ(sound.Frames, size_t{2 * Rate});
  ASSERT_GE(sound.Channels, 1);
  for (size_t frame : {size_t{0}, size_t{7}, size_t{999}, size_t{1234}, size_t{2 * Rate - 1}})
    for (int c = 0; c < sound.Channels; ++c)
      ASSERT_EQ(sound.Samples[frame * sound.Channels + c], static_cast<int16_t>(frame % 1000)) << frame;
  EXPECT_FALSE(SampleSound(sample + 1, sound));

  // Started half a second in, the clock starts there and moves on with the
  // output, never back.
  const int32_t playback = PlaySample(sample, 100, 50, 0.5);
  ASSERT_NE(playback, 0);
  const double start = PlaybackPosition(playback);
  EXPECT_GE(start, 0.5);
  EXPECT_LT(start, 0.7);
  double last = start;
  for (int look = 0; look < 40 && last < start + 0.3; ++look) {
    Sleep(25);
    const double now = PlaybackPosition(playback);
    ASSERT_GE(now, last) << "the clock went back";
    last = now;
  }
  EXPECT_GE(last, start + 0.3) << "the clock did not follow the output within a second";
  EXPECT_LT(last, 2.0);
  StopPlayback(playback);
  EXPECT_EQ(PlaybackPosition(playback), -1) << "a stopped playback has no clock";
  StopPlayback(playback);
  StopPlayback(0);

  // A playback that reaches the sample's end has none either.
  const int32_t tail = PlaySample(sample, 100, 50, 1.95);
  ASSERT_NE(tail, 0);
  double left = 0;
  for (int look = 0; look < 100 && (left = PlaybackPosition(tail)) >= 0; ++look) Sleep(20);
  EXPECT_EQ(left, -1);
  EXPECT_EQ(PlaybackPosition(0), -1);
}
