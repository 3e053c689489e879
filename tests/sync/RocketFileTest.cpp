// Rocket's files: both XML dialects read into timelines and written back,
// this demo's timeline through them, faults with their line, and the
// player's track files as a demo reads them.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "DemoTrack.h"
#include "Rocket.h"
#include "platform/WholeFile.h"
#include "support/TempDir.h"

namespace {
std::string Source(const std::string& path) {
  std::ifstream in(std::string(VEMLA_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ErrorOf(const std::string& xml, const TrackLayout* channels = nullptr) {
  try {
    ImportRocket(xml, channels);
  } catch (const RocketError& e) {
    return e.what();
  }
  return "";
}

// Keys, marks and grid of a timeline, to compare two.
std::string Summary(const Timeline& t) {
  std::string text = "tempo " + std::to_string(t.Layout.BeatsPerMinute) + "/" + std::to_string(t.Layout.RowsPerBeat) +
                     " rows " + std::to_string(t.Layout.Rows) + " music '" + t.Music + "'\n";
  for (const Mark& m : t.Marks) text += "mark " + std::to_string(m.Row) + " " + m.Name + "\n";
  for (size_t c = 0; c < t.Channels.size(); ++c) {
    text += "track ";
    text += ChannelName(int(c), t.Layout);
    text += ":";
    for (const Key& k : t.Channels[c])
      text += " " + std::to_string(k.Row) + "=" + FormatValue(k.Value) + "/" + ShapeNames[int(k.Curve)];
    text += "\n";
  }
  return text;
}

const std::string Original = R"(<?xml version="1.0" encoding="utf-8"?>
<sync rows="128">
  <tracks>
    <track name="cam.x">
      <key row="16" value="2.5" interpolation="1"/>
      <key row="0" value="-1" interpolation="3"/>
      <key row="40" value="0.125" interpolation="2"/>
      <key row="64" value="7" interpolation="0"/>
    </track>
    <track name="fade"/>
  </tracks>
  <bookmarks>
    <bookmark row="32"/>
    <bookmark row="8"/>
  </bookmarks>
</sync>
)";

const std::string Other = R"(<?xml version="1.0" encoding="utf-8"?>
<tracks rows="1000" rowsPerBeat="8" beatsPerMin="125" musicFilename="data/tune.ogg">
  <bookmark row="64" name="drop"/>
  <track name="camera:rot.y" folded="0" muted="1" color="ffaa00">
    <key row="0" value="0" interpolation="2"/>
    <key row="12" value="3.25" interpolation="0"/>
  </track>
  <group name="fx">
    <track name="glow">
      <key row="999" value="1e-05" interpolation="1"/>
    </track>
    <group name="deep"><track name="x"/></group>
  </group>
</tracks>
)";
}  // namespace

TEST(RocketImport, TheOriginalEditorsFileBecomesAProject) {
  const RocketImport imported = ImportRocket(Original);
  EXPECT_EQ(imported.Dialect, RocketDialect::Sync);
  EXPECT_TRUE(imported.Notes.empty());
  EXPECT_EQ(imported.Text,
            "length 2\n"
            "\n"
            "mark 0:0:8 bookmark\n"
            "mark 0:2 bookmark\n"
            "\n"
            "track cam.x\n"
            "0      -1     ramp\n"
            "0:1    2.5    linear\n"
            "0:2:8  0.125  smooth\n"
            "1      7\n"
            "\n"
            "track fade\n");
  const Timeline t = ParseTimeline(imported.Text);
  EXPECT_TRUE(t.IsProject());
  EXPECT_EQ(t.Layout.Rows, 128);
  EXPECT_EQ(t.Layout.RowsPerBeat, 16) << "the original editor's files keep no grid: this demo's";
  ASSERT_EQ(t.Marks.size(), 2u);
  EXPECT_EQ(t.Marks[0].Row, 8);
  EXPECT_EQ(t.Marks[1].Row, 32);
  EXPECT_EQ(t.Channels[0].size(), 4u);
  EXPECT_TRUE(t.Channels[1].empty());
}

TEST(RocketImport, TheOtherEditorsFileWithTempoMusicGroupsAndMute) {
  const RocketImport imported = ImportRocket(Other);
  EXPECT_EQ(imported.Dialect, RocketDialect::Tracks);
  ASSERT_EQ(imported.Notes.size(), 1u);
  EXPECT_NE(imported.Notes[0].find("'camera:rot.y' is muted"), std::string::npos);
  const Timeline t = ParseTimeline(imported.Text);
  EXPECT_EQ(t.Layout.BeatsPerMinute, 125);
  EXPECT_EQ(t.Layout.RowsPerBeat, 8);
  EXPECT_EQ(t.Layout.Rows, 1000);
  EXPECT_EQ(t.Music, "data/tune.ogg");
  EXPECT_EQ(t.Layout.ChannelNames, (std::vector<std::string>{"camera:rot.y", "fx:glow", "fx:deep:x"}));
  ASSERT_EQ(t.Marks.size(), 1u);
  EXPECT_EQ(t.Marks[0].Name, "drop");
  EXPECT_EQ(FormatPosition(t.Marks[0].Row, t.Layout), "2");
  EXPECT_EQ(t.Channels[1][0].Row, 999);
  EXPECT_EQ(t.Channels[1][0].Value, 1e-05f);
  EXPECT_EQ(imported.Text.rfind("tempo 125 rows 8\nlength 31:1\nmusic data/tune.ogg\n\nmark 2 drop\n", 0), 0u)
      << imported.Text;
}

TEST(RocketRoundTrip, ImportThenExportKeepsKeysBookmarksAndTempoInBothDialects) {
  for (const std::string* xml : {&Original, &Other}) {
    const Timeline first = ParseTimeline(ImportRocket(*xml).Text);
    for (RocketDialect dialect : {RocketDialect::Sync, RocketDialect::Tracks}) {
      std::vector<std::string> notes;
      const std::string written = ExportRocket(first, dialect, &notes);
      const RocketImport again = ImportRocket(written);
      EXPECT_EQ(again.Dialect, dialect);
      const Timeline second = ParseTimeline(again.Text);
      if (dialect == RocketDialect::Sync && xml == &Other) {
        // The original editor's files keep no tempo and no music, and say so.
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_NE(notes[0].find("125 beats a minute, 8 rows a beat and the music 'data/tune.ogg'"), std::string::npos);
        EXPECT_EQ(second.Layout.RowsPerBeat, 16);
        EXPECT_EQ(second.Music, "");
        TrackLayout grid = second.Layout;
        grid.RowsPerBeat = 8;
        grid.BeatsPerMinute = 125;
        Timeline moved = second;
        moved.Layout = grid;
        moved.Music = "data/tune.ogg";
        EXPECT_EQ(Summary(moved), Summary(first));
        continue;
      }
      EXPECT_TRUE(notes.empty());
      EXPECT_EQ(Summary(second), Summary(first)) << written;
    }
  }
  // The written XML as each editor lays it out.
  const Timeline other = ParseTimeline(ImportRocket(Other).Text);
  const std::string tracks = ExportRocket(other, RocketDialect::Tracks);
  EXPECT_NE(tracks.find("<tracks rows=\"1000\" rowsPerBeat=\"8\" beatsPerMin=\"125\" musicFilename=\"data/tune.ogg\">"),
            std::string::npos)
      << tracks;
  EXPECT_NE(tracks.find("<key row=\"12\" value=\"3.25\" interpolation=\"0\"/>"), std::string::npos);
  EXPECT_NE(tracks.find("<bookmark row=\"64\" name=\"drop\"/>"), std::string::npos);
  const std::string sync = ExportRocket(other, RocketDialect::Sync);
  EXPECT_EQ(sync.find("<sync rows=\"1000\">"), sync.find("<sync"));
  EXPECT_NE(sync.find("<tracks>"), std::string::npos);
  EXPECT_NE(sync.find("<bookmarks>"), std::string::npos);
  EXPECT_NE(sync.find("<track name=\"fx:deep:x\"/>"), std::string::npos);
}

TEST(RocketRoundTrip, ThisDemosTimelineComesBackAsTheSameTrack) {
  const std::string text = Source("tools/content/demo.timeline");
  const Timeline demo = ParseTimeline(text);
  const std::vector<std::vector<float>> track = CompileSongTrack(text);
  for (RocketDialect dialect : {RocketDialect::Sync, RocketDialect::Tracks}) {
    const std::string xml = ExportRocket(demo, dialect);
    EXPECT_NE(xml.find("value=\"nan\""), std::string::npos) << "an off key is written as nan";
    const RocketImport back = ImportRocket(xml, &SongLayout());
    const std::vector<std::vector<float>> again = CompileSongTrack(back.Text);
    ASSERT_EQ(again.size(), track.size());
    for (size_t c = 0; c < track.size(); ++c)
      for (size_t r = 0; r < track[c].size(); ++r)
        ASSERT_TRUE(SameValue(again[c][r], track[c][r])) << ChannelName(int(c)) << " row " << r;
    EXPECT_EQ(ParseTimeline(back.Text).Marks.size(), demo.Marks.size());
    // As a project, its off keys have no meaning.
    EXPECT_NE(ErrorOf(xml).find("a project's track has numbers, not off"), std::string::npos) << ErrorOf(xml);
  }
  // A track that is no channel of the demo's, and one channel twice.
  EXPECT_EQ(ErrorOf(Original, &SongLayout()), "line 4: 'cam.x' is not one of the demo's channels");
  EXPECT_EQ(ErrorOf("<tracks>\n<track name=\"flash\"/>\n<track name=\"0\"/>\n</tracks>", &SongLayout()),
            "line 3: '0' is the channel of the track on line 2");
  EXPECT_EQ(ErrorOf("<tracks rowsPerBeat=\"8\"><track name=\"flash\"/></tracks>", &SongLayout()).rfind("line 1: the file's tempo", 0), 0u);
}

TEST(RocketImport, FaultsSayTheirLine) {
  struct Case {
    std::string Xml, Error;
  };
  const std::vector<Case> cases = {
      {"<sync rows=\"4\">\n<tracks>\n<track name=\"a\">\n</tracks>\n</sync>", "line 3: the XML does not parse: XML_ERROR_MISMATCHED_ELEMENT"},
      {"", "line 1: the XML does not parse"},
      {"<?xml version=\"1.0\"?>\n\n<timeline/>", "line 3: <timeline> is not a Rocket file's root"},
      {"<tracks rows=\"10\">\n<track name=\"a\">\n<key row=\"1\" value=\"1\" interpolation=\"4\"/>\n</track>\n</tracks>",
       "line 3: unknown shape 4: Rocket's are 0 step, 1 linear, 2 smooth, 3 ramp"},
      {"<tracks rows=\"10\">\n<track name=\"a\">\n<key row=\"1\" value=\"1\" interpolation=\"linear\"/>\n</track>\n</tracks>",
       "line 3: <key> \"interpolation\" is 'linear': expected a whole number"},
      {"<tracks rows=\"10\">\n<track name=\"a\">\n<key row=\"10\" value=\"1\"/>\n</track>\n</tracks>",
       "line 3: key at row 10 is past the file's last row 9"},
      {"<sync rows=\"10\">\n<bookmarks>\n\n<bookmark row=\"12\"/>\n</bookmarks>\n</sync>",
       "line 4: bookmark at row 12 is past the file's last row 9"},
      {"<tracks>\n<track name=\"a\">\n<key row=\"1\" value=\"1\"/>\n<key row=\"1\" value=\"2\"/>\n</track>\n</tracks>",
       "line 4: two keys of track 'a' at row 1 (lines 3 and 4)"},
      {"<tracks>\n<track name=\"a\">\n<key value=\"1\"/>\n</track>\n</tracks>", "line 3: <key> without its \"row\""},
      {"<tracks>\n<track name=\"a\">\n<key row=\"-1\" value=\"1\"/>\n</track>\n</tracks>",
       "line 3: <key> \"row\" is '-1': expected a whole number from 0"},
      {"<tracks>\n<track name=\"a\">\n<key row=\"1\" value=\"inf\"/>\n</track>\n</tracks>",
       "line 3: <key> \"value\" is 'inf': expected a finite number"},
      {"<tracks>\n<track/>\n</tracks>", "line 2: <track> without its \"name\""},
      {"<tracks>\n<track name=\"a # b\"/>\n</tracks>", "line 2: the track name 'a # b' cannot be written"},
      {"<tracks>\n<track name=\"a\"/>\n<group name=\"\"><track name=\"b\"/></group>\n<track name=\"a\"/>\n</tracks>",
       "line 4: a second track 'a' (the first is on line 2)"},
      {"<tracks rows=\"0\"/>", "line 1: <tracks> \"rows\" is '0': expected a whole number from 1 to 131072"},
      {"<tracks beatsPerMin=\"120.5\"/>", "line 1: <tracks> \"beatsPerMin\" is '120.5': expected a whole number"},
  };
  for (const Case& c : cases) {
    const std::string error = ErrorOf(c.Xml);
    EXPECT_EQ(error.rfind(c.Error, 0), 0u) << "got: " << error << "\nwanted: " << c.Error;
  }
  // Tempo written as a whole number with a point reads.
  // (A project without tracks is read as one where it is opened as one.)
  const std::string empty = ImportRocket("<tracks beatsPerMin=\"120.0\" rowsPerBeat=\"4\"/>").Text;
  EXPECT_EQ(ParseTimeline(empty, ProjectLayout()).Layout.BeatsPerMinute, 120);
}

TEST(RocketFiles, WrittenAtomicallyAndReadBackWithReasons) {
  TempDir dir;
  const Timeline t = ParseTimeline(ImportRocket(Other).Text);
  std::string reason;
  const std::string path = dir.Path() + "/song.rocket";
  ASSERT_TRUE(ExportRocketFile(path, t, RocketDialect::Tracks, reason)) << reason;
  RocketImport imported;
  ASSERT_TRUE(ImportRocketFile(path, imported, reason)) << reason;
  EXPECT_EQ(Summary(ParseTimeline(imported.Text)), Summary(t));
  EXPECT_FALSE(ImportRocketFile(dir.Path() + "/none.rocket", imported, reason));
  EXPECT_FALSE(reason.empty());
  std::string written;
  ASSERT_TRUE(ReadWholeFile(path, written, reason));
  ASSERT_TRUE(ReplaceFile(path, written.substr(0, written.size() / 2), false, reason));
  EXPECT_FALSE(ImportRocketFile(path, imported, reason));
  EXPECT_EQ(reason.rfind(path + ": line ", 0), 0u) << reason;
  EXPECT_FALSE(ExportRocketFile(dir.Path() + "/no/such/folder/x.rocket", t, RocketDialect::Sync, reason));
  EXPECT_FALSE(reason.empty());
}

TEST(RocketTrackFiles, NamesEscapeOneToOne) {
  EXPECT_EQ(EscapeTrackName("camera:rot.y"), "camera-3Arot.y");
  EXPECT_EQ(EscapeTrackName("a-b c_d"), "a-2Db-20c_d");
  EXPECT_EQ(EscapeTrackName("\xC3\xA9"), "-C3-A9");
  EXPECT_EQ(TrackFilePath("out/sync", "fx:glow"), "out/sync_fx-3Aglow.track");
  std::string all;
  for (int c = 1; c < 256; ++c) all += char(c);
  std::string back;
  ASSERT_TRUE(UnescapeTrackName(EscapeTrackName(all), back));
  EXPECT_EQ(back, all);
  for (const char* bad : {"a-", "a-4", "-G0", "-41", "a b", "-3a", "x:y"}) EXPECT_FALSE(UnescapeTrackName(bad, back)) << bad;
}

TEST(RocketTrackFiles, ADemoReadingThemComputesTheTimelinesValuesAtEveryRow) {
  TempDir dir;
  // Keys of every shape, with rows before the first key and after the last.
  const Timeline t = ParseTimeline(
      "tempo 100 rows 4\nlength 5\n"
      "track cam:x\n0:1 -2 ramp\n0:3:1 3 smooth\n1:2 1 linear\n2 0.25 hold\n2:1 7 linear\n3 -1\n"
      "track empty\n"
      "track one\n1 4\n");
  std::string reason;
  const std::string base = dir.Path() + "/sync";
  ASSERT_TRUE(ExportTrackFiles(t, base, reason)) << reason;
  const std::vector<std::vector<float>> compiled = CompileTimeline(t, t.Layout.Rows);
  for (size_t c = 0; c < t.Channels.size(); ++c) {
    const std::string name = t.Layout.ChannelNames[c];
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(TrackFilePath(base, name), bytes, reason)) << reason;
    DemoTrack keys;
    ASSERT_TRUE(ReadDemoTrackFile(bytes, keys)) << name;
    ASSERT_EQ(keys.size(), t.Channels[c].size());
    for (int row = 0; row < t.Layout.Rows; ++row)
      ASSERT_EQ(float(DemoValue(keys, row)), compiled[c][row]) << name << " row " << row;
  }
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(base + "_cam-3Ax.track", bytes, reason)) << reason;
  ASSERT_EQ(bytes.size(), 4u + 6 * 9);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x06\0\0\0", 4)) << "a little-endian count";
  EXPECT_EQ(bytes.substr(4, 9), std::string("\x04\0\0\0\0\0\0\xC0\x03", 9)) << "row 4, -2.0, ramp";
  std::vector<Key> decoded;
  ASSERT_TRUE(DecodeTrackFile(bytes, decoded, reason)) << reason;
  EXPECT_EQ(decoded.size(), 6u);
  EXPECT_FALSE(DecodeTrackFile(bytes.substr(0, bytes.size() - 1), decoded, reason));
  EXPECT_NE(reason.find("has 58 bytes; this one has 57"), std::string::npos) << reason;
  std::string badShape = bytes;
  badShape[12] = 9;
  EXPECT_FALSE(DecodeTrackFile(badShape, decoded, reason));
  EXPECT_EQ(reason, "key 0 has the unknown shape 9");
  EXPECT_FALSE(DecodeTrackFile("", decoded, reason));
  EXPECT_FALSE(ExportTrackFiles(t, dir.Path() + "/missing/dir/sync", reason));
}
