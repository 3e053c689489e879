// The run directory the build wrote: complete, reproducible, and each file of
// the right kind and size.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>


#include "platform/SharedState.h"
#include "render2d/JPEG.h"
#include "Stage.h"
#include "runtime/VRTReader.h"
#include "Synth.h"
#include "Timeline.h"

namespace fs = std::filesystem;

namespace {

const fs::path Stage = VEMLA_STAGE_DIR;

std::vector<uint8_t> ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(RunDirectory, HoldsEveryFileTheProgramOpens) {
  for (const std::string& name : StageFiles()) {
    fs::path p = Stage / name;
    EXPECT_TRUE(fs::is_regular_file(p)) << p;
    if (fs::is_regular_file(p)) {
      EXPECT_GT(fs::file_size(p), 100u) << p;
    }
  }
  EXPECT_EQ(StageFiles().size(), 24u);
}

TEST(RunDirectory, IsByteIdenticalWhenMadeAgain) {
  std::ifstream in(VEMLA_TIMELINE_FILE, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  fs::path again = fs::temp_directory_path() / ("vemla_stage_" + std::to_string(::getpid()));
  fs::remove_all(again);
  WriteStage(text.str(), again.string());
  for (const std::string& name : StageFiles())
    EXPECT_TRUE(ReadFile(Stage / name) == ReadFile(again / name)) << name << " differs between two runs";
  fs::remove_all(again);
}

TEST(RunDirectory, PicturesDecodeAtTheirSizes) {
  const std::pair<const char*, int> pictures[] = {
      {"6.jpg", 256},        {"stempelmetall.jpg", 256}, {"4.jpg", 256},
      {"sparks.jpg", 256},   {"7.jpg", 512},             {"walls.jpg", 256},
      {"particle.jpg", 256}, {"vemla/load.jpg", 512},    {"vemla/groups.jpg", 512},
      {"vemla/credits.jpg", 512}, {"vemla/demo.jpg", 512}, {"vemla/greetings.jpg", 512},
      {"vemla/1.jpg", 256},  {"vemla/2.jpg", 256},       {"vemla/3.jpg", 256},
      {"vemla/4.jpg", 256},  {"vemla/5.jpg", 256},       {"vemla/6.jpg", 256}};
  for (auto [name, side] : pictures) {
    // Through the program's own reader, as it will load them.
    std::vector<uint8_t> bytes = ReadFile(Stage / "data" / name);
    TPixelBuffer image;
    TImageFailure failure;
    ASSERT_TRUE(DecodeJPEG(bytes.data(), bytes.size(), name, image, failure)) << name << ": " << failure.Text;
    EXPECT_EQ(image.Width, side) << name;
    EXPECT_EQ(image.Height, side) << name;
  }
}

TEST(RunDirectory, TrackHasElevenChannelsAtTheBeatRateAndEndsWithTheMusic) {
  std::vector<uint8_t> f = ReadFile(Stage / "demo.vrk");
  ASSERT_GE(f.size(), 12u);
  int32_t h[3];
  std::memcpy(h, f.data(), 12);
  EXPECT_EQ(h[0], 11);
  EXPECT_EQ(h[2], 157);
  ASSERT_EQ(f.size(), 12u + 4u * h[0] * h[1]);
  // The run ends once the position passes the last sample, S - 1; that
  // moment must be the music's last sample.
  double trackEnd = (h[1] - 1) * 60.0 / (16.0 * h[2]);
  double musicEnd = StepToSample(SongSteps) / double(SampleRate);
  EXPECT_NEAR(trackEnd, musicEnd, 1.0 / SampleRate);
  EXPECT_GT(musicEnd, 120.0);
  EXPECT_LT(musicEnd, 180.0);

  // Every channel takes part; off is the inactive pattern, never 0.0 in the
  // on/off channels; the picture index only takes slide numbers.
  auto sample = [&](int c, int k) {
    float v;
    std::memcpy(&v, f.data() + 12 + 4 * (size_t(c) * h[1] + k), 4);
    return v;
  };
  for (int c = 0; c < h[0]; ++c) {
    int on = 0;
    for (int k = 0; k < h[1]; ++k) on += !std::isnan(sample(c, k));
    EXPECT_GT(on, 0) << "channel " << c << " never switches on";
    EXPECT_LT(on, h[1]) << "channel " << c << " never switches off";
  }
  for (int k = 0; k < h[1]; ++k) {
    float pic = sample(6, k);
    if (!std::isnan(pic)) {
      EXPECT_EQ(pic, std::round(pic)) << "row " << k;
      EXPECT_TRUE(pic >= 0 && pic <= 4) << "row " << k;
      if (pic != 4) {
        EXPECT_FALSE(std::isnan(sample(7, k))) << "a slide without alpha at row " << k;
      }
      if (k + 1 < h[1] && !std::isnan(sample(6, k + 1))) {
        EXPECT_EQ(sample(6, k + 1), pic) << "the picture changes without an off row between, row " << k;
      }
    }
    if (!std::isnan(sample(10, k))) {
      EXPECT_EQ(sample(6, k), 4.0f) << "feedback runs unseen at row " << k;
    }
  }
  EXPECT_FALSE(std::isnan(sample(0, 0))) << "the first beat flashes";
}

TEST(RunDirectory, MusicDecodesToItsLength) {
  SDL_setenv("SDL_AUDIODRIVER", "dummy", 0);
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  ASSERT_EQ(Mix_OpenAudio(SampleRate, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
  int freq = 0, channels = 0;
  Uint16 format = 0;
  Mix_QuerySpec(&freq, &format, &channels);
  Mix_Chunk* chunk = Mix_LoadWAV((Stage / "data/vemla/sound.mp3").c_str());
  ASSERT_NE(chunk, nullptr) << Mix_GetError();
  double seconds = double(chunk->alen) / (SDL_AUDIO_BITSIZE(format) / 8 * channels) / freq;
  double intended = StepToSample(SongSteps) / double(SampleRate);
  EXPECT_NEAR(seconds, intended, 0.03);
  // It starts on the beat: the first kick is in the first 10 ms.
  const int16_t* s = reinterpret_cast<const int16_t*>(chunk->abuf);
  int loudAt = -1;
  for (int i = 0; i < freq && loudAt < 0; ++i)
    if (std::abs(s[i * channels]) > 3000) loudAt = i;
  EXPECT_GE(loudAt, 0);
  EXPECT_LT(loudAt, freq / 100);
  // Loud enough, never clipped.
  size_t n = chunk->alen / 2;
  double energy = 0;
  int peak = 0;
  for (size_t i = 0; i < n; ++i) {
    energy += double(s[i]) * s[i];
    peak = std::max(peak, std::abs(int(s[i])));
  }
  double rmsDb = 20 * std::log10(std::sqrt(energy / n) / 32768.0);
  EXPECT_GT(rmsDb, -20.0);
  EXPECT_LT(rmsDb, -9.0);
  EXPECT_LT(peak, 32000);
  Mix_FreeChunk(chunk);
  Mix_CloseAudio();
  SDL_Quit();
}

TEST(RunDirectory, TrackReaderPlaysTheTrackToTheMusicsEnd) {
  TVRTReader track((Stage / "demo.vrk").string());
  double musicEnd = StepToSample(SongSteps) / double(SampleRate);
  RunEnded = false;
  track.Sample(0.0f);
  EXPECT_EQ(Channels[0], 1.0f) << "the first beat flashes";
  EXPECT_FALSE(RunEnded);
  // Mid-run every frame keeps the letterbox frame's slide and scenes sane:
  // the picture index, where set, rounds to a slide number.
  for (float t = 0; t < musicEnd - 0.01; t += 0.0173f) {
    track.Sample(t);
    if (!std::isnan(Channels[6])) {
      float k = std::nearbyint(Channels[6]);
      EXPECT_TRUE(k >= 0 && k <= 4) << "t = " << t;
      EXPECT_LT(std::fabs(Channels[6] - k), 0.01f) << "the picture index wavers at t = " << t;
    }
  }
  EXPECT_FALSE(RunEnded) << "the run ends before the music does";
  track.Sample(float(musicEnd + 0.01));
  EXPECT_TRUE(RunEnded) << "the run goes on past the music";
}
