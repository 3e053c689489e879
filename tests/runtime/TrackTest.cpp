// The parameter track: loading, rejection of bad headers, and sampling.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/SharedState.h"
#include "platform/Stream.h"
#include "runtime/VRTReader.h"
#include "support/TempDir.h"

namespace {
const float NaN = std::numeric_limits<float>::quiet_NaN();

std::vector<uint8_t> TrackBytes(int32_t channels, int32_t samples, int32_t rate,
                                const std::vector<std::vector<float>>& data) {
  std::vector<uint8_t> bytes;
  AppendInt32(bytes, channels);
  AppendInt32(bytes, samples);
  AppendInt32(bytes, rate);
  for (const auto& channel : data)
    for (float v : channel) AppendFloat(bytes, v);
  return bytes;
}

// A track whose channel c holds c * 1000 + k at sample k.
std::vector<std::vector<float>> Ramp(int channels, int samples) {
  std::vector<std::vector<float>> data(channels, std::vector<float>(samples));
  for (int c = 0; c < channels; ++c)
    for (int k = 0; k < samples; ++k) data[c][k] = static_cast<float>(c * 1000 + k);
  return data;
}

class TrackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (float& c : Channels) c = 0.0f;
    RunEnded = false;
    SceneTime = -1;
  }
  void TearDown() override { RunEnded = false; }

  TVRTReader Load(int32_t channels, int32_t samples, int32_t rate, const std::vector<std::vector<float>>& data) {
    return TVRTReader(Dir.Write("demo.vrk", TrackBytes(channels, samples, rate, data)));
  }

  std::string RejectionOf(const std::vector<uint8_t>& bytes) {
    std::string path = Dir.Write("bad.vrk", bytes);
    try {
      TVRTReader reader(path);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "accepted";
  }

  TempDir Dir;
};
}  // namespace

TEST(CubicInterpolate, PassesThroughItsMiddlePoints) {
  EXPECT_EQ(CubicInterpolate(0, 1, 2, 1, 0.0f), 1.0f);
  EXPECT_EQ(CubicInterpolate(0, 1, 2, 3, 1.0f), 2.0f);
  // The fourth point is the current sample again, which bends the curve.
  EXPECT_EQ(CubicInterpolate(0, 1, 2, 1, 0.5f), 1.75f);
  EXPECT_EQ(CubicInterpolate(0, 1, 2, 3, 0.5f), 1.5f);
}

TEST(CubicInterpolate, ReplacesMissingNeighboursButNotTheCurrentPoint) {
  EXPECT_TRUE(std::isnan(CubicInterpolate(0, NaN, 2, 3, 0.5f)));
  // NaN after: the curve stays flat at y1.
  EXPECT_EQ(CubicInterpolate(1, 1, NaN, NaN, 0.5f), 1.0f);
  // NaN before is replaced by y1: same as (1, 1, 2, 1).
  EXPECT_EQ(CubicInterpolate(NaN, 1, 2, 1, 0.5f), CubicInterpolate(1, 1, 2, 1, 0.5f));
  // y3 falls back to the replaced y2.
  EXPECT_EQ(CubicInterpolate(0, 1, NaN, NaN, 0.25f), CubicInterpolate(0, 1, 1, 1, 0.25f));
}

TEST_F(TrackTest, TimeZeroGivesSampleZeroAndPublishesTime) {
  TVRTReader track = Load(3, 32, 120, Ramp(3, 32));
  track.Sample(0.0f);
  EXPECT_EQ(SceneTime, 0.0f);
  EXPECT_EQ(Channels[0], 0.0f);
  EXPECT_EQ(Channels[1], 1000.0f);
  EXPECT_EQ(Channels[2], 2000.0f);
  EXPECT_FALSE(RunEnded);
}

TEST_F(TrackTest, PositionFollowsRateAndBlendsFourSamples) {
  auto data = Ramp(2, 40);
  data[1][31] = 5;
  data[1][32] = 9;
  data[1][33] = 2;
  TVRTReader track = Load(2, 40, 120, data);
  track.Sample(1.0f);  // 32 samples per second at rate 120
  EXPECT_EQ(Channels[0], 32.0f);
  EXPECT_EQ(Channels[1], 9.0f);
  track.Sample(1.015625f);  // position 32.5
  EXPECT_EQ(Channels[1], CubicInterpolate(5, 9, 2, 9, 0.5f));
  EXPECT_EQ(SceneTime, 1.015625f);
}

TEST_F(TrackTest, RampOfZeroOneTwoGivesOnePointSevenFive) {
  std::vector<std::vector<float>> data = {{0, 1, 2, 3}};
  TVRTReader track = Load(1, 4, 120, data);
  track.Sample(1.5f / 32);  // position 1.5: samples 0, 1, 2 around it
  EXPECT_EQ(Channels[0], 1.75f);
}

TEST_F(TrackTest, NaNSamplesSwitchChannelsOffOnlyAtTheCurrentPoint) {
  std::vector<std::vector<float>> data = {{1, NaN, 3, 4, 5}, {1, 2, NaN, 4, 5}, {NaN, 2, 3, 4, 5}};
  TVRTReader track = Load(3, 5, 120, data);
  track.Sample(1.25f / 32);  // position 1.25
  EXPECT_TRUE(std::isnan(Channels[0])) << "NaN at i";
  EXPECT_EQ(Channels[1], CubicInterpolate(1, 2, 2, 2, 0.25f)) << "NaN at i + 1 is replaced by sample i";
  EXPECT_EQ(Channels[2], CubicInterpolate(2, 2, 3, 2, 0.25f)) << "NaN at i - 1 is replaced by sample i";
  track.Sample(2.0f / 32);  // the NaN of channel 0 lies behind: on again
  EXPECT_EQ(Channels[0], 3.0f);
}

TEST_F(TrackTest, RunEndsOnFirstPositionPastTheLastSample) {
  TVRTReader track = Load(1, 100, 120, Ramp(1, 100));
  track.Sample(99.0f / 32);
  EXPECT_FALSE(RunEnded);
  EXPECT_EQ(Channels[0], 99.0f);
  track.Sample(99.5f / 32);
  EXPECT_TRUE(RunEnded);
  EXPECT_EQ(Channels[0], CubicInterpolate(98, 99, 99, 99, 0.5f));
  track.Sample(100.5f / 32);
  EXPECT_EQ(Channels[0], 99.0f) << "past the end every channel holds its last sample";
  track.Sample(1e30f);
  EXPECT_EQ(Channels[0], 99.0f);
}

TEST_F(TrackTest, RateZeroStaysAtTheFirstSampleForever) {
  TVRTReader track = Load(1, 4, 0, Ramp(1, 4));
  track.Sample(1000.0f);
  EXPECT_EQ(Channels[0], 0.0f);
  EXPECT_FALSE(RunEnded);
}

TEST_F(TrackTest, ChannelsAboveTheTracksOwnAreLeftAlone) {
  Channels[8] = 0.0f;
  Channels[20] = 7.0f;
  TVRTReader track = Load(8, 4, 120, Ramp(8, 4));
  track.Sample(0.0f);
  EXPECT_EQ(Channels[7], 7000.0f);
  EXPECT_EQ(Channels[8], 0.0f);
  EXPECT_EQ(Channels[20], 7.0f);
}

TEST_F(TrackTest, OddTimesNeverReadOutsideTheTrack) {
  TVRTReader track = Load(1, 4, 120, Ramp(1, 4));
  track.Sample(-5.0f);
  EXPECT_EQ(Channels[0], 0.0f);
  track.Sample(std::numeric_limits<float>::infinity());
  EXPECT_TRUE(RunEnded);
  track.Sample(NaN);  // no crash; the value is of no use
  SUCCEED();
}

TEST_F(TrackTest, CutOffSamplesReadAsZero) {
  auto bytes = TrackBytes(2, 4, 120, Ramp(2, 4));
  bytes.resize(bytes.size() - 4 * 5);  // channel 0 loses its last sample, channel 1 all
  TVRTReader track(Dir.Write("cut.vrk", bytes));
  ASSERT_EQ(track.Data.size(), 2u);
  EXPECT_EQ(track.Data[0][2], 2.0f);
  EXPECT_EQ(track.Data[0][3], 0.0f);
  EXPECT_EQ(track.Data[1][0], 0.0f);
  EXPECT_EQ(track.Rate, 120);
}

TEST_F(TrackTest, BytesAfterTheSamplesAreIgnored) {
  auto bytes = TrackBytes(2, 4, 120, Ramp(2, 4));
  bytes.insert(bytes.end(), 100000, 0xAB);
  TVRTReader track(Dir.Write("long.vrk", bytes));
  EXPECT_EQ(track.Data, Ramp(2, 4));
}

TEST_F(TrackTest, RejectsHeadersThatDoNotFit) {
  std::vector<uint8_t> shortHeader;
  AppendInt32(shortHeader, 3);
  AppendInt32(shortHeader, 32);
  EXPECT_EQ(RejectionOf(shortHeader), "Stream read error");
  EXPECT_EQ(RejectionOf({}), "Stream read error");

  auto reason = [&](int32_t c, int32_t s) { return RejectionOf(TrackBytes(c, s, 120, {})); };
  EXPECT_NE(reason(0, 4).find("channel count 0"), std::string::npos);
  EXPECT_NE(reason(-2, 4).find("channel count -2"), std::string::npos);
  EXPECT_NE(reason(65, 4).find("exceeds 64"), std::string::npos);
  EXPECT_NE(reason(3, 0).find("sample count 0"), std::string::npos);
  EXPECT_NE(reason(3, -1).find("sample count -1"), std::string::npos);
  EXPECT_NE(reason(64, 0x7FFFFFFF).find("too large"), std::string::npos);
  EXPECT_NE(reason(65, 4).find(Dir.Path() + "/bad.vrk"), std::string::npos) << "the message names the file";
  EXPECT_EQ(reason(64, 1), "accepted");
}

TEST_F(TrackTest, MissingFileNamesTheFile) {
  EXPECT_THROW(TVRTReader("no-such-track.vrk"), EFOpenError);
  try {
    TVRTReader("no-such-track.vrk");
  } catch (const EFOpenError& e) {
    EXPECT_STREQ(e.what(), "Cannot open file no-such-track.vrk");
  }
}
