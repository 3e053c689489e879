// Projects: timelines of named tracks for another demo, on their own grid,
// with the Rocket library's rules; the ramp shape; what a timeline refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "Timeline.h"

namespace {
std::string ErrorOf(const std::string& text, const TrackLayout& layout = SongLayout()) {
  try {
    const Timeline t = ParseTimeline(text, layout);
    CompileTimeline(t, t.Layout.Rows);
  } catch (const TimelineError& e) {
    return e.what();
  }
  return "";
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }
}  // namespace

TEST(ProjectTimeline, TracksByNameOnTheirOwnGridWithLengthAndMusic) {
  const Timeline t = ParseTimeline(
      "tempo 120 rows 8   # the other demo's\n"
      "length 10\n"
      "music  data/other song.ogg\n"
      "mark 1:2:3 drop\n"
      "track camera:rot.y\n"
      "0 1 linear\n"
      "1:2:3 2.5\n"
      "track fade   # keyless\n"
      "track camera:rot.y\n"
      "2 3\n");
  ASSERT_TRUE(t.IsProject());
  EXPECT_EQ(t.Layout.ChannelNames, (std::vector<std::string>{"camera:rot.y", "fade"}));
  EXPECT_EQ(t.Layout.BeatsPerMinute, 120);
  EXPECT_EQ(t.Layout.RowsPerBeat, 8);
  EXPECT_EQ(t.Layout.BeatsPerBar, 4);
  EXPECT_EQ(t.Layout.Rows, 10 * 4 * 8);
  EXPECT_EQ(t.Music, "data/other song.ogg");
  EXPECT_EQ(t.TempoLine, 1);
  EXPECT_EQ(t.LengthLine, 2);
  EXPECT_EQ(t.MusicLine, 3);
  ASSERT_EQ(t.Marks.size(), 1u);
  EXPECT_EQ(t.Marks[0].Row, (1 * 4 + 2) * 8 + 3);
  ASSERT_EQ(t.Channels.size(), 2u);
  ASSERT_EQ(t.Channels[0].size(), 3u) << "a track's sections add up";
  EXPECT_EQ(t.Channels[0][1].Row, 51);
  EXPECT_EQ(t.Channels[0][2].Row, 64);
  EXPECT_TRUE(t.Channels[1].empty());
  EXPECT_EQ(FormatPosition(51, t.Layout), "1:2:3");
  EXPECT_EQ(TrackNumber("fade", t.Layout), 1);
  EXPECT_EQ(TrackNumber("camera", t.Layout), -1);
}

TEST(ProjectTimeline, DefaultsAreThisDemosGridAndLength) {
  const Timeline t = ParseTimeline("track a\n0:0:15 1\n");
  ASSERT_TRUE(t.IsProject());
  EXPECT_EQ(t.Layout.RowsPerBeat, 16);
  EXPECT_EQ(t.Layout.BeatsPerMinute, 157);
  EXPECT_EQ(t.Layout.Rows, SongTrackSamples);
  EXPECT_EQ(t.Music, "");
  EXPECT_EQ(t.Channels[0][0].Row, 15);
  EXPECT_EQ(ProjectLayout().Rows, SongTrackSamples);
  EXPECT_TRUE(ProjectLayout().Tracks);
  EXPECT_TRUE(ProjectLayout().ChannelNames.empty());
}

TEST(ProjectTimeline, RocketRulesBeforeTheFirstKeyAfterTheLastAndWithoutKeys) {
  const Timeline t = ParseTimeline("tempo 100 rows 4\nlength 2\ntrack a\n0:1 2 linear\n0:3 4\ntrack empty\n");
  const std::vector<std::vector<float>> track = CompileTimeline(t, t.Layout.Rows);
  ASSERT_EQ(track.size(), 2u);
  ASSERT_EQ(track[0].size(), 32u);
  for (int r = 0; r < 4; ++r) EXPECT_EQ(track[0][r], 2.f) << "before its first key, the first key's value: row " << r;
  EXPECT_EQ(track[0][6], 2.5f);
  EXPECT_EQ(track[0][8], 3.f);
  for (int r = 12; r < 32; ++r) EXPECT_EQ(track[0][r], 4.f) << "after the last key, its value: row " << r;
  for (float v : track[1]) EXPECT_EQ(v, 0.f) << "a track without keys is 0";
  for (int r = 0; r < 32; ++r) {
    EXPECT_EQ(TimelineValueAt(t, 0, r), track[0][r]);
    EXPECT_EQ(TrackValueAtRow(t.Channels[0], r), track[0][r]);
  }
  EXPECT_EQ(TrackValueAtRow({}, 5), 0.f);
  // A channel keeps its own rule: off before its first key.
  const Timeline demo = ParseTimeline("channel 0\n1 0.5\n");
  EXPECT_TRUE(std::isnan(TimelineValueAt(demo, 0, 0)));
  EXPECT_EQ(TimelineValueAt(demo, 0, 64), 0.5f);
}

TEST(ProjectTimeline, RampIsTSquaredInChannelsAndTracksAlike) {
  for (const char* head : {"channel 1\n", "track x\n"}) {
    const Timeline t = ParseTimeline(std::string(head) + "0 2 ramp\n0:1 6\n");
    const std::vector<float> v = CompileTimeline(t, 32)[t.IsProject() ? 0 : 1];
    EXPECT_EQ(t.Channels[t.IsProject() ? 0 : 1][0].Curve, Shape::Ramp);
    EXPECT_EQ(v[0], 2.f);
    EXPECT_EQ(v[4], float(2 + 4 * (0.25 * 0.25)));
    EXPECT_EQ(v[8], float(2 + 4 * 0.25)) << "a quarter of the way at half the time";
    EXPECT_EQ(v[12], float(2 + 4 * (0.75 * 0.75)));
    EXPECT_EQ(v[16], 6.f);
  }
  Shape shape;
  ASSERT_TRUE(ReadShape("ramp", shape));
  EXPECT_EQ(shape, Shape::Ramp);
  for (int n = 0; n < ShapeCount; ++n) {
    ASSERT_TRUE(RocketShape(n, shape));
    EXPECT_EQ(RocketShapeNumber(shape), n);
  }
  EXPECT_FALSE(RocketShape(4, shape));
  EXPECT_FALSE(RocketShape(-1, shape));
}

TEST(ProjectTimeline, TracksTheLayoutNamesAreNumberedFirst) {
  TrackLayout layout = ProjectLayout();
  layout.ChannelNames = {"b", "z"};
  const Timeline t = ParseTimeline("track a\n0 1\ntrack b\n0 2\n", layout);
  EXPECT_EQ(t.Layout.ChannelNames, (std::vector<std::string>{"b", "z", "a"}));
  EXPECT_EQ(t.Channels[0][0].Value, 2.f);
  EXPECT_TRUE(t.Channels[1].empty());
  EXPECT_EQ(t.Channels[2][0].Value, 1.f);
  EXPECT_TRUE(ParseTimeline("", layout).IsProject()) << "a project's layout reads any text as a project";
}

TEST(ProjectTimeline, RefusalsNameTheirLine) {
  EXPECT_TRUE(StartsWith(ErrorOf("track a\n0 1\n1 off\n"), "line 3: a track's key has a number")) << "no off";
  EXPECT_TRUE(StartsWith(ErrorOf("track a\n0 1\nchannel flash\n"), "line 3: a timeline has 'channel' sections"));
  EXPECT_NE(ErrorOf("track a\n0 1\nchannel flash\n").find("first section is a 'track'"), std::string::npos);
  EXPECT_TRUE(StartsWith(ErrorOf("channel flash\n0 1\ntrack a\n"), "line 3: a timeline has 'channel' sections"));
  EXPECT_TRUE(StartsWith(ErrorOf("mark 0 x\ntempo 120\ntrack a\n"), "line 2: 'tempo' comes before"));
  EXPECT_TRUE(StartsWith(ErrorOf("tempo 120\ntempo 121\ntrack a\n"), "line 2: a second 'tempo'"));
  EXPECT_TRUE(StartsWith(ErrorOf("tempo 0\ntrack a\n"), "line 1: expected a tempo"));
  EXPECT_TRUE(StartsWith(ErrorOf("tempo 120 rows 0\ntrack a\n"), "line 1: expected 1 to 256 rows a beat"));
  EXPECT_TRUE(StartsWith(ErrorOf("tempo 120 beats 8\ntrack a\n"), "line 1: expected 'tempo"));
  EXPECT_TRUE(StartsWith(ErrorOf("length 9999\ntrack a\n"), "line 1: a length runs from 1 to"));
  EXPECT_TRUE(StartsWith(ErrorOf("length 0\ntrack a\n"), "line 1: a length runs from 1 to"));
  EXPECT_TRUE(StartsWith(ErrorOf("tempo 120 rows 4\nlength 1\ntrack a\n0 1\n1 2\n"), "line 5: key at row 16 is past"));
  EXPECT_TRUE(StartsWith(ErrorOf("length 1\nmark 1 end\ntrack a\n"), "line 2: mark at row 64 is past"));
  EXPECT_TRUE(StartsWith(ErrorOf("track\n"), "line 1: expected 'track <name>'"));
  EXPECT_TRUE(StartsWith(ErrorOf("music\ntrack a\n"), "line 1: expected 'music <file>'"));
  EXPECT_TRUE(StartsWith(ErrorOf("tempo 120\n0 1\ntrack a\n"), "line 2: key before any 'track'"));
  EXPECT_TRUE(StartsWith(ErrorOf("track a\n0 1 bounce\n"), "line 2: expected hold, linear, smooth or ramp"));
  // The length is read on the grid of the tempo, wherever it stands.
  EXPECT_EQ(ParseTimeline("length 1:2\ntempo 60 rows 2\ntrack a\n").Layout.Rows, 12);
}

TEST(ProjectTimeline, AChannelTimelineMayStateOnlyItsDemosTempoAndLength) {
  EXPECT_EQ(ErrorOf("tempo 157 rows 16\nlength 96:0:1\nmusic vemla/sound.mp3\nchannel flash\n0 1\n"), "");
  const Timeline t = ParseTimeline("tempo 157\nmusic x.ogg\nchannel flash\n0 1\n");
  EXPECT_FALSE(t.IsProject());
  EXPECT_EQ(t.Music, "x.ogg");
  EXPECT_EQ(t.Layout.ChannelNames, SongLayout().ChannelNames);
  EXPECT_TRUE(StartsWith(ErrorOf("tempo 120\nchannel flash\n"), "line 1: a channel timeline plays at its demo's tempo"));
  EXPECT_TRUE(StartsWith(ErrorOf("tempo 157 rows 8\nchannel flash\n"), "line 1: a channel timeline plays at"));
  EXPECT_TRUE(StartsWith(ErrorOf("length 90\nchannel flash\n"), "line 1: a channel timeline is as long as"));
  EXPECT_FALSE(IsProjectText("# track a\nmark 0 a\nchannel 1\ntrack b\n"));
  EXPECT_TRUE(IsProjectText("tempo 1\n  track b\nchannel 1\n"));
  EXPECT_FALSE(IsProjectText(""));
}

TEST(ProjectTimeline, WritableNamesReadBackAsThemselves) {
  for (const char* name : {"a", "camera:rot.y", "two words", "tab\tinside", "ünïcode"})
    EXPECT_TRUE(IsWritableName(name)) << name;
  for (const char* name : {"", " lead", "trail ", "has # hash", "line\nbreak", "bell\a", "\t"})
    EXPECT_FALSE(IsWritableName(name)) << name;
  const Timeline t = ParseTimeline("track two words   # a comment\n0 1\n");
  EXPECT_EQ(t.Layout.ChannelNames[0], "two words");
}
