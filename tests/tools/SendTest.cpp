// The editing client: what the keys do, its command line, the packets it
// sends as a listener on 127.0.0.1 reads them, and a watched timeline that
// breaks and mends.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>

#include "Playhead.h"
#include "SendOptions.h"
#include "Sender.h"
#include "Song.h"
#include "TrackSource.h"
#include "platform/SharedState.h"
#include "support/Listener.h"
#include "support/TempDir.h"

namespace {
constexpr double Beat = 60.0 / Tempo;
const std::string Track = std::string(VEMLA_STAGE_DIR) + "/demo.vrk";

int Send(std::vector<std::string> words) {
  words.insert(words.begin(), "vemla-send");
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  return SendMain(static_cast<int>(argv.size()), argv.data());
}

// The channel values of one packet, or nothing when it is not one whole packet.
std::vector<float> ValuesOf(const std::vector<uint8_t>& bytes) {
  int32_t count = 0;
  if (bytes.size() < 4) return {};
  std::memcpy(&count, bytes.data(), 4);
  if (count < 0 || bytes.size() != 4 + 4 * static_cast<size_t>(count)) return {};
  std::vector<float> values(count);
  std::memcpy(values.data(), bytes.data() + 4, 4 * values.size());
  return values;
}

void ExpectSameChannels(const std::vector<float>& got, const std::vector<float>& expected) {
  ASSERT_EQ(got.size(), expected.size());
  for (size_t c = 0; c < got.size(); ++c)
    if (std::isnan(expected[c]))
      EXPECT_TRUE(std::isnan(got[c])) << "channel " << c;
    else
      EXPECT_EQ(got[c], expected[c]) << "channel " << c;
}

std::vector<float> SampledAt(TVRTReader& reader, float time) {
  reader.Sample(time);
  return std::vector<float>(Channels, Channels + reader.Data.size());
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }
}  // namespace

TEST(SendKeys, TerminalBytesBecomeKeys) {
  using K = TPlayKey;
  EXPECT_EQ(DecodeKeys(" \033[C\033[D\033[A\033[Bxq"),
            (std::vector<K>{K::PauseResume, K::BeatForward, K::BeatBack, K::BarForward, K::BarBack, K::Quit}));
  EXPECT_EQ(DecodeKeys("\033OC\033OA\x03"), (std::vector<K>{K::BeatForward, K::BarForward, K::Quit}));
  EXPECT_TRUE(DecodeKeys("\033[5~a\033").empty()) << "other keys, and a lone escape, do nothing";
}

TEST(SendKeys, StepsLandOnTheBeatGridWithinTheTrack) {
  const double end = 100;
  TPlayhead head{10 * Beat, false, false};
  EXPECT_NEAR(ApplyKey(head, TPlayKey::BeatForward, end).Time, 11 * Beat, 1e-9);
  EXPECT_NEAR(ApplyKey(head, TPlayKey::BeatBack, end).Time, 9 * Beat, 1e-9);
  head.Time = 10.5 * Beat;
  EXPECT_NEAR(ApplyKey(head, TPlayKey::BeatForward, end).Time, 11 * Beat, 1e-9);
  EXPECT_NEAR(ApplyKey(head, TPlayKey::BeatBack, end).Time, 10 * Beat, 1e-9);
  EXPECT_NEAR(ApplyKey(head, TPlayKey::BarForward, end).Time, 12 * Beat, 1e-9);
  EXPECT_NEAR(ApplyKey(head, TPlayKey::BarBack, end).Time, 8 * Beat, 1e-9);

  // Steps repeated from a landed time keep moving one beat each.
  head.Time = 0;
  for (int k = 0; k < 9; ++k) head = ApplyKey(head, TPlayKey::BeatForward, end);
  EXPECT_NEAR(head.Time, 9 * Beat, 1e-9);
  EXPECT_EQ(StatusLine(head), "    3.44 s   bar 2:1   playing");
  for (int k = 0; k < 3; ++k) head = ApplyKey(head, TPlayKey::BeatBack, end);
  EXPECT_NEAR(head.Time, 6 * Beat, 1e-9);

  head.Time = 0.1;
  EXPECT_EQ(ApplyKey(head, TPlayKey::BarBack, end).Time, 0) << "no step goes before the start";
  head.Time = end - 0.1;
  EXPECT_EQ(ApplyKey(head, TPlayKey::BarForward, end).Time, end) << "nor past the end";
  EXPECT_GT(ApplyKey(head, TPlayKey::BarForward, -1).Time, end) << "a track that never ends has no end to stop at";
}

TEST(SendKeys, SpacePausesAndResumesQQuits) {
  TPlayhead head{5, false, false};
  head = ApplyKey(head, TPlayKey::PauseResume, 100);
  EXPECT_TRUE(head.Paused);
  EXPECT_EQ(head.Time, 5);
  EXPECT_EQ(StatusLine(head), "    5.00 s   bar 3:1   paused");
  EXPECT_FALSE(ApplyKey(head, TPlayKey::PauseResume, 100).Paused);
  EXPECT_TRUE(ApplyKey(head, TPlayKey::Quit, 100).Quit);
}

TEST(SendOptions, DefaultsAndUsageErrors) {
  auto parse = [](std::vector<const char*> words, TSendOptions& options) {
    words.insert(words.begin(), "vemla-send");
    return ParseSendOptions(static_cast<int>(words.size()), words.data(), options);
  };
  TSendOptions options;
  ASSERT_FALSE(parse({"demo.timeline"}, options));
  EXPECT_EQ(options.Host, "127.0.0.1");
  EXPECT_EQ(options.Port, 1024);
  EXPECT_EQ(options.Rate, 60);
  EXPECT_EQ(options.From, 0);
  EXPECT_FALSE(options.Watch || options.Once || options.Help);

  // --help needs no source and wins over everything else.
  options = {};
  ASSERT_FALSE(parse({"--port", "80", "--help"}, options));
  EXPECT_TRUE(options.Help);

  options = {};
  ASSERT_FALSE(parse({"--host", "box", "--port", "2000", "--from", "12.5", "--rate", "30", "--watch", "a.timeline"},
                     options));
  EXPECT_EQ(options.Host, "box");
  EXPECT_EQ(options.Port, 2000);
  EXPECT_EQ(options.From, 12.5);
  EXPECT_EQ(options.Rate, 30);
  EXPECT_TRUE(options.Watch);
  EXPECT_EQ(options.Source, "a.timeline");

  for (std::vector<const char*> wrong : std::vector<std::vector<const char*>>{
           {},
           {"a.timeline", "b.timeline"},
           {"--port", "70000", "a.timeline"},
           {"--port", "10.5", "a.timeline"},
           {"--rate", "0", "a.timeline"},
           {"--from", "-1", "a.timeline"},
           {"--from", "soon", "a.timeline"},
           {"a.timeline", "--rate"},
           {"--loop", "a.timeline"},
           {"--once", "3", "--watch", "a.timeline"},
           {"--watch", "demo.vrk"}}) {
    TSendOptions any;
    EXPECT_TRUE(parse(wrong, any)) << (wrong.empty() ? "(nothing)" : wrong[0]);
  }
  EXPECT_EQ(Send({"--rate", "fast", Track}), 2);
}

TEST(SendOnce, OnePacketOfEveryTrackChannelForTrackFileAndTimeline) {
  TVRTReader reader(Track);
  const std::vector<float> expected = SampledAt(reader, 60);
  for (const std::string& source : {Track, std::string(VEMLA_TIMELINE_FILE)}) {
    TTestListener listener;
    ASSERT_EQ(Send({"--port", std::to_string(listener.Port), "--once", "60", source}), 0) << source;
    const std::vector<float> values = ValuesOf(listener.ReadClient());
    ASSERT_EQ(values.size(), 11u) << source << ": one packet of the track's 11 channels, then the connection closes";
    ExpectSameChannels(values, expected);
  }
}

TEST(SendFailures, NoServerAndServerGoingAwayExitWithOne) {
  int port = 0;
  {
    TTestListener closed;
    port = closed.Port;
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(Send({"--port", std::to_string(port), "--once", "1", Track}), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("Cannot connect to 127.0.0.1:" + std::to_string(port) + ": ", 0),
            0u);

  // The listener reads the first packet and closes; the track would still
  // have a second and a half to play.
  TTestListener listener;
  std::vector<uint8_t> first;
  std::thread server([&] { first = listener.ReadClient(48); });
  testing::internal::CaptureStderr();
  const int status = Send({"--port", std::to_string(listener.Port), "--from", "145.2", "--rate", "20", Track});
  server.join();
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_NE(message.find("Lost the connection to 127.0.0.1:" + std::to_string(listener.Port) + ": "),
            std::string::npos)
      << message;
  EXPECT_GE(first.size(), 48u);
}

TEST(SendWatch, BrokenTimelineKeepsTheLastGoodTrack) {
  TempDir dir;
  const std::string file = dir.Write("live.timeline", Bytes("channel 1\n0 0.25\n"));
  TVRTReader reader;
  ASSERT_FALSE(LoadTrackSource(file, reader));
  TTimelineWatch watch(file);
  std::optional<std::string> error;
  EXPECT_FALSE(watch.Poll(reader, error)) << "nothing has changed yet";

  dir.Write("live.timeline", Bytes("channel 1\n0 0.25\n\n1:5 0.5\n"));
  ASSERT_TRUE(watch.Poll(reader, error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->rfind(file + ": line 4: ", 0), 0u) << *error;
  EXPECT_EQ(SampledAt(reader, 1)[1], 0.25f) << "the last good version is still the one sampled";
  EXPECT_FALSE(watch.Poll(reader, error)) << "the same broken file is not compiled again";

  dir.Write("live.timeline", Bytes("channel 1\n0 0.75\n"));
  ASSERT_TRUE(watch.Poll(reader, error));
  EXPECT_FALSE(error);
  EXPECT_EQ(SampledAt(reader, 1)[1], 0.75f);
  EXPECT_EQ(reader.Rate, Tempo);
}
