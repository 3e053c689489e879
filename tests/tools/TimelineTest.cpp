#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Timeline.h"

namespace {

std::vector<float> Compile(const std::string& text, int channel, int samples = 64) {
  return CompileTimeline(ParseTimeline(text), samples)[channel];
}

std::string ErrorOf(const std::string& text, int samples = 64) {
  try {
    CompileTimeline(ParseTimeline(text), samples);
  } catch (const TimelineError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(TimelineShapes, HoldLinearAndSmoothSegments) {
  std::vector<float> v = Compile(
      "channel 2\n"
      "0:0:0 1 hold\n"
      "0:1 3 linear\n"   // row 16
      "0:2 5 smooth\n"   // row 32
      "0:3 9\n",         // row 48
      2);
  EXPECT_EQ(v[0], 1.0f);
  EXPECT_EQ(v[15], 1.0f);
  EXPECT_EQ(v[16], 3.0f);
  EXPECT_FLOAT_EQ(v[20], 3.5f);
  EXPECT_FLOAT_EQ(v[24], 4.0f);
  EXPECT_EQ(v[32], 5.0f);
  // Smoothstep: slow at both ends, halfway at the middle.
  EXPECT_FLOAT_EQ(v[36], 5.0f + 4.0f * (0.25f * 0.25f * (3 - 0.5f)));
  EXPECT_FLOAT_EQ(v[40], 7.0f);
  EXPECT_EQ(v[48], 9.0f);
  EXPECT_EQ(v[63], 9.0f) << "the last key holds to the end";
}

TEST(TimelineShapes, OffIsNanAndBlendsIntoOffHold) {
  std::vector<float> v = Compile("channel 0\n1 0.5 linear\n1:2 off\n2 1 linear\n3 off\n", 0, 256);
  EXPECT_TRUE(std::isnan(v[63])) << "before its first key a channel is off";
  EXPECT_EQ(v[64], 0.5f);
  EXPECT_EQ(v[95], 0.5f) << "a linear segment into off holds";
  EXPECT_TRUE(std::isnan(v[96]));
  EXPECT_EQ(v[128], 1.0f);
  EXPECT_TRUE(std::isnan(v[192]));
  EXPECT_TRUE(std::isnan(v[255]));
  std::vector<float> untouched = Compile("channel 0\n0 1\n", 5);
  for (float f : untouched) EXPECT_TRUE(std::isnan(f));
}

TEST(TimelinePositions, BarBeatAndRowAndRepeats) {
  // A row is a sixteenth of a beat: one track sample.
  Timeline t = ParseTimeline(
      "# comment line\n"
      "channel 10   # named\n"
      "2 1\n"
      "2:3 2\n"
      "2:3:1 3\n"
      "repeat 3 every 0:0:2 from 3:1\n"
      "  0 7\n"
      "  0:0:1 off\n"
      "end\n");
  std::vector<int> rows;
  for (const Key& k : t.Channels[10]) rows.push_back(k.Row);
  EXPECT_EQ(rows, (std::vector<int>{128, 176, 177, 208, 209, 210, 211, 212, 213}));
  EXPECT_EQ(t.Channels[10][1].Line, 4);
}

TEST(TimelineChannels, ANameStandsForItsNumber) {
  Timeline t = ParseTimeline("channel nest-glow\n1 0.5\nchannel feedback\n2 1\n");
  ASSERT_EQ(t.Channels[chNestGlow].size(), 1u);
  EXPECT_EQ(t.Channels[chNestGlow][0].Row, 64);
  ASSERT_EQ(t.Channels[chFeedback].size(), 1u);
  for (const TChannelBinding& binding : ChannelBindings) EXPECT_EQ(FindChannel(binding.Name), &binding);
  EXPECT_EQ(ErrorOf("channel nest-glo\n").rfind("line 1: ", 0), 0u) << "an unknown name";
  EXPECT_EQ(ErrorOf("channel Nest\n").rfind("line 1: ", 0), 0u) << "names are written as the table has them";
}

TEST(TimelineErrors, NameTheLineOfTheFault) {
  EXPECT_EQ(ErrorOf("channel 1\n\n0 1\n1:x 2\n").rfind("line 4: ", 0), 0u) << ErrorOf("channel 1\n\n0 1\n1:x 2\n");
  EXPECT_EQ(ErrorOf("channel 1\n0 one\n").rfind("line 2: ", 0), 0u);
  EXPECT_EQ(ErrorOf("channel 1\n0 1 bounce\n").rfind("line 2: ", 0), 0u);
  EXPECT_EQ(ErrorOf("channel 1\n0:4 1\n").rfind("line 2: ", 0), 0u) << "a bar has four beats";
  EXPECT_EQ(ErrorOf("channel 1\n0:0:16 1\n").rfind("line 2: ", 0), 0u) << "a beat has sixteen rows";
  EXPECT_EQ(ErrorOf("channel 11\n").rfind("line 1: ", 0), 0u);
  EXPECT_EQ(ErrorOf("0 1\n").rfind("line 1: ", 0), 0u) << "a key needs a channel";
  EXPECT_EQ(ErrorOf("channel 1\n1 1\n0:3 2\n").rfind("line 3: ", 0), 0u) << "keys run forwards";
  EXPECT_EQ(ErrorOf("channel 1\nrepeat 2 every 1 from 0\n0 1\n").rfind("line 2: ", 0), 0u);
  EXPECT_EQ(ErrorOf("channel 1\n0 1\n1 2\n", 64).rfind("line 3: ", 0), 0u) << "row 64 is past a 64-row track";
  EXPECT_EQ(ErrorOf("channel 1\n0 1\n0:3:15 2\n", 64), "");
}

// Found by fuzzing: a repeat's rows once overflowed an int (count times
// step), and a long repeat of many keys piled up keys without end. Repeated
// keys past the song's track now stop the repeat at the key's line.
TEST(TimelineErrors, RepeatsPastTheSongStopAtTheFirstKeyOutside) {
  const std::string lastRow = std::to_string(SongTrackSamples - 1);
  const std::string huge = ErrorOf("channel 0\nrepeat 999999 every 999999 from 0\n0 1\nend\n", SongTrackSamples);
  EXPECT_EQ(huge, "line 3: key at row 63999936 is past the track's last row " + lastRow);
  std::string manyKeys = "channel 2\nrepeat 999999 every 0:0:2 from 0\n";
  for (int k = 0; k < 2; ++k) manyKeys += "0:0:" + std::to_string(k) + " " + std::to_string(k) + "\n";
  const std::string many = ErrorOf(manyKeys + "end\n", SongTrackSamples);
  EXPECT_EQ(many, "line 4: key at row " + std::to_string(SongTrackSamples) + " is past the track's last row " + lastRow);
  EXPECT_EQ(ErrorOf("channel 0\nrepeat 96 every 1 from 0\n0 1\nend\n96 0\n", SongTrackSamples), "");
}

TEST(TrackFile, HeaderAndChannelMajorSamplesWithTheInactivePattern) {
  std::vector<std::vector<float>> ch(2, std::vector<float>(3, std::nanf("")));
  ch[0] = {1.0f, 2.0f, 3.0f};
  ch[1][2] = -0.5f;
  std::vector<uint8_t> file = EncodeTrack(ch, 157);
  ASSERT_EQ(file.size(), 12u + 4 * 6);
  int32_t header[3];
  std::memcpy(header, file.data(), 12);
  EXPECT_EQ(header[0], 2);
  EXPECT_EQ(header[1], 3);
  EXPECT_EQ(header[2], 157);
  uint32_t words[6];
  std::memcpy(words, file.data() + 12, 24);
  float f;
  std::memcpy(&f, &words[2], 4);
  EXPECT_EQ(f, 3.0f);
  EXPECT_EQ(words[3], 0xFFC00000u);
  EXPECT_EQ(words[4], 0xFFC00000u);
  std::memcpy(&f, &words[5], 4);
  EXPECT_EQ(f, -0.5f);
}

TEST(TimelineMarks, NamedPositionsAreReadAndLeaveTheTrackAlone) {
  const std::string keys = "channel 1\n0 1 linear\n2 0\n";
  const Timeline t = ParseTimeline("mark 0  intro   # the start\n" + keys + "mark 1:2 the  drop\r\n");
  ASSERT_EQ(t.Marks.size(), 2u);
  EXPECT_EQ(t.Marks[0].Name, "intro");
  EXPECT_EQ(t.Marks[0].Line, 1);
  EXPECT_EQ(t.Marks[1].Row, 96);
  EXPECT_EQ(t.Marks[1].Name, "the  drop") << "the rest of the line, as written between its ends";
  EXPECT_EQ(EncodeTrack(CompileTimeline(t, 200), 1), EncodeTrack(CompileTimeline(ParseTimeline(keys), 200), 1));
  EXPECT_EQ(ParseTimeline("mark 3 alone\n").Marks.size(), 1u) << "a mark needs no channel";
  EXPECT_EQ(ErrorOf("mark 1\n").rfind("line 1: ", 0), 0u) << "a mark needs a name";
  EXPECT_EQ(ErrorOf("mark 1 # no name\n").rfind("line 1: ", 0), 0u);
  EXPECT_EQ(ErrorOf("\nmark 1:4 x\n").rfind("line 2: ", 0), 0u);
  EXPECT_EQ(ErrorOf("mark 96:0:1 late\n").rfind("line 1: ", 0), 0u) << "past the song's track";
  EXPECT_EQ(ErrorOf("channel 0\nrepeat 2 every 1 from 0\nmark 0 in\nend\n").rfind("line 3: ", 0), 0u);
}

TEST(TimelinePositions, WrittenInTheShortestFormAndReadBack) {
  for (int row = 0; row < SongTrackSamples; ++row) ASSERT_EQ(ParsePosition(FormatPosition(row), 1), row);
  EXPECT_EQ(FormatPosition(0), "0");
  EXPECT_EQ(FormatPosition(64), "1");
  EXPECT_EQ(FormatPosition(80), "1:1");
  EXPECT_EQ(FormatPosition(65), "1:0:1");
  const TrackLayout waltz{{"a"}, 8, 3, 1000};
  EXPECT_EQ(FormatPosition(44, waltz), "1:2:4");
  EXPECT_EQ(ParsePosition("1:2:4", 1, waltz), 44);
  EXPECT_THROW(ParsePosition("0:3", 1, waltz), TimelineError) << "a waltz bar has three beats";
}

TEST(TimelineValues, WrittenShortAndReadBackToTheBit) {
  EXPECT_EQ(FormatValue(0.35f), "0.35");
  EXPECT_EQ(FormatValue(1.f), "1");
  EXPECT_EQ(FormatValue(std::nanf("")), "off");
  for (float v : {0.35f, -0.f, 1e-7f, 3e38f, 1.f / 3, -2.5e3f, 0.1f + 0.2f}) {
    const float back = ParseValue(FormatValue(v), 1);
    EXPECT_EQ(std::memcmp(&back, &v, 4), 0) << FormatValue(v);
  }
  EXPECT_TRUE(std::isnan(ParseValue(FormatValue(std::nanf("")), 1)));
}
