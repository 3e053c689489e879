// The sync editor's document: texts kept byte for byte, what they read as,
// and every edit's text and keys, refusals and undo.
#include <gtest/gtest.h>

#include <cmath>

#include "Document.h"
#include "DocumentFixture.h"

namespace {

// Rows in the small timeline below: 0:1 = 16, bar 2 = 128; the repeat makes
// 0.3 at 256, 320, 384 and off at 288, 352, 416; bar 8 = 512.
const std::string Small =
    "# a small timeline\n"
    "mark 0 start\n"
    "\n"
    "channel flash       # hits\n"
    "0      1     linear  # first\n"
    "0:1    0\n"
    "2      0.5\n"
    "repeat 3 every 1 from 4     # bars\n"
    "  0      0.3   linear\n"
    "  0:2    off\n"
    "end\n"
    "8      1\n"
    "\n"
    "channel nest\n"
    "1      -0.5  smooth\n";

// The text with line n (from 1) replaced, lines inserted before it, or removed.
std::string WithLine(const std::string& text, int n, const std::string& line) {
  std::vector<TextLine> lines = SplitTextLines(text);
  lines[n - 1].Text = line;
  return JoinTextLines(lines);
}
std::string WithLinesBefore(const std::string& text, int n, const std::vector<std::string>& added) {
  std::vector<TextLine> lines = SplitTextLines(text);
  for (size_t k = 0; k < added.size(); ++k)
    lines.insert(lines.begin() + (n - 1 + int(k)), TextLine{added[k], "\n"});
  return JoinTextLines(lines);
}
std::string WithoutLines(const std::string& text, int n, int count = 1) {
  std::vector<TextLine> lines = SplitTextLines(text);
  lines.erase(lines.begin() + (n - 1), lines.begin() + (n - 1 + count));
  return JoinTextLines(lines);
}

}  // namespace

TEST(DocumentText, EveryTimelineOfTheRepositoryRoundTripsByteForByte) {
  const std::vector<std::string> files = RepositoryTimelines();
  ASSERT_GE(files.size(), 5u);
  for (const std::string& file : files) {
    const std::string text = ReadTimeline(file);
    TimelineDocument doc(text);
    EXPECT_EQ(doc.Text(), text) << file;
    bool reads = true;
    try {
      ParseTimeline(text);
    } catch (const TimelineError&) {
      reads = false;
    }
    EXPECT_EQ(doc.Reads(), reads) << file;
    EXPECT_FALSE(doc.Modified()) << file;
  }
}

TEST(DocumentText, LineBreaksTabsSpacingAndCommentsSurviveEdits) {
  const std::string crlf = "channel 0\r\n0\t1\tlinear # one\r\n1   2\r\n\r\n# end";
  TimelineDocument doc(crlf);
  EXPECT_EQ(doc.Text(), crlf);
  ASSERT_TRUE(doc.Reads());
  EXPECT_EQ(doc.LineCount(), 5);
  EXPECT_EQ(doc.LineText(2), "0\t1\tlinear # one");
  ASSERT_TRUE(doc.SetKey(0, 64, 3.5f).Done());
  EXPECT_EQ(doc.Text(), "channel 0\r\n0\t1\tlinear # one\r\n1   3.5\r\n\r\n# end") << "the tabs stay as they are";
  ASSERT_TRUE(doc.SetKey(0, 2, 7.f).Done());
  EXPECT_EQ(doc.Text(), "channel 0\r\n0\t1\tlinear # one\r\n0:0:2 7\r\n1   3.5\r\n\r\n# end")
      << "a new line takes the text's CRLF";
  ASSERT_TRUE(doc.SetKey(0, 128, 1.f).Done());
  EXPECT_EQ(doc.Text(), "channel 0\r\n0\t1\tlinear # one\r\n0:0:2 7\r\n1   3.5\r\n2   1\r\n\r\n# end")
      << "in the column of the aligned key line";

  // A key added after the last line of a text without a final break.
  TimelineDocument bare("channel 1\n0 1");
  ASSERT_TRUE(bare.SetKey(1, 16, 2.f).Done());
  EXPECT_EQ(bare.Text(), "channel 1\n0 1\n0:1 2");
  ASSERT_TRUE(bare.DeleteKeys({1, 1, 16, 16}).Done());
  EXPECT_EQ(bare.Text(), "channel 1\n0 1");
  ASSERT_TRUE(bare.Undo().Done());
  ASSERT_TRUE(bare.Undo().Done());
  EXPECT_EQ(bare.Text(), "channel 1\n0 1");
  for (const std::string& odd : {std::string(), std::string("\n"), std::string("\r\n\r\n"), std::string("a\r"),
                                 std::string(" \t# only a comment")})
    EXPECT_EQ(TimelineDocument(odd).Text(), odd);
}

TEST(DocumentText, ATextThatDoesNotReadIsKeptAndOnlyTextEditsAreTaken) {
  const std::string broken = "channel flash\n2 1\n1 0\n";
  TimelineDocument doc(broken);
  EXPECT_EQ(doc.Text(), broken);
  ASSERT_FALSE(doc.Reads());
  EXPECT_EQ(doc.Error()->Line, 3);
  EXPECT_EQ(std::string(doc.Error()->what()).rfind("line 3: ", 0), 0u);
  EXPECT_TRUE(doc.Keys(0).empty());
  const EditResult refused = doc.SetKey(0, 0, 1.f);
  EXPECT_EQ(refused.Outcome, EditOutcome::Refused);
  EXPECT_NE(refused.Message.find("line 3"), std::string::npos) << refused.Message;
  EXPECT_EQ(doc.Text(), broken);

  ASSERT_TRUE(doc.EditText("channel flash\n2 1\n3 0\n").Done());
  ASSERT_TRUE(doc.Reads());
  EXPECT_EQ(doc.Keys(0).size(), 2u);
  EXPECT_TRUE(doc.Modified());
  const EditResult rebroken = doc.EditText("channel flash\n2 1\n3 x\n");
  EXPECT_TRUE(rebroken.Done());
  EXPECT_EQ(rebroken.Message.rfind("line 3: ", 0), 0u) << "the text edit is taken and says what is wrong";
  doc.Undo();
  doc.Undo();
  EXPECT_EQ(doc.Text(), broken);
  EXPECT_FALSE(doc.Modified());
  doc.Load(Small);
  EXPECT_FALSE(doc.CanUndo()) << "a reload starts the history again";
}

TEST(DocumentQueries, KeysCarryTheirOriginAndValuesAreTheCompiledTracks) {
  TimelineDocument doc(Small);
  ASSERT_TRUE(doc.Reads());
  const std::vector<Key>& flash = doc.Keys(chFlash);
  EXPECT_EQ(Rows(flash), (std::vector<int>{0, 16, 128, 256, 288, 320, 352, 384, 416, 512}));
  EXPECT_EQ(flash[2].Line, 7);
  EXPECT_EQ(flash[2].Repeat, -1);
  EXPECT_EQ(flash[6].Line, 10) << "a repeated key's line is its pattern line";
  EXPECT_EQ(flash[6].Repeat, 0);
  EXPECT_EQ(flash[6].Repetition, 1);
  ASSERT_EQ(doc.Repeats().size(), 1u);
  EXPECT_EQ(doc.Repeats()[0].Line, 8);
  EXPECT_EQ(doc.Repeats()[0].EndLine, 11);
  EXPECT_EQ(doc.SpanOfRepeat(0).First, 256);
  EXPECT_EQ(doc.SpanOfRepeat(0).Last, 416);
  EXPECT_EQ(doc.KeyAt(chFlash, 320), &flash[5]);
  EXPECT_EQ(doc.KeyAt(chFlash, 321), nullptr);
  ASSERT_EQ(doc.Marks().size(), 1u);
  EXPECT_EQ(doc.Marks()[0].Name, "start");

  for (const std::string& text : {Small, ReadSource("tools/content/demo.timeline")}) {
    TimelineDocument d(text);
    const std::vector<std::vector<float>> track = d.Track();
    const std::vector<std::vector<float>> song = CompileSongTrack(text);
    for (int c = 0; c < TrackChannels; ++c)
      for (int r = 0; r < SongTrackSamples; ++r) {
        ASSERT_TRUE(SameValue(d.ValueAt(c, r), song[c][r])) << c << " " << r;
        ASSERT_TRUE(SameValue(track[c][r], song[c][r])) << c << " " << r;
      }
  }
  TimelineDocument demo(ReadSource("tools/content/demo.timeline"));
  std::vector<std::string> names;
  for (const Mark& mark : demo.Marks()) names.push_back(FormatPosition(mark.Row) + " " + mark.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"0 intro", "8 build", "16 main", "32 bridge", "48 break",
                                             "56 second build", "64 finale", "88 end"}));
}

TEST(DocumentKeys, SettingAKeyEditsItsLineOrPlacesANewOneInRowOrder) {
  TimelineDocument doc(Small);
  EXPECT_EQ(doc.SetKey(chFlash, 128, 0.75f).Outcome, EditOutcome::Done);
  EXPECT_EQ(doc.Text(), WithLine(Small, 7, "2      0.75"));
  EXPECT_EQ(doc.SetKey(chFlash, 128, 0.75f).Outcome, EditOutcome::Unchanged);

  doc.Load(Small);
  ASSERT_TRUE(doc.SetKey(chFlash, 0, std::nullopt, Shape::Hold).Done());
  EXPECT_EQ(doc.Text(), WithLine(Small, 5, "0      1             # first")) << "the comment keeps its column";
  ASSERT_TRUE(doc.SetKey(chFlash, 16, 2.f, Shape::Smooth).Done());
  EXPECT_EQ(doc.LineText(6), "0:1    2     smooth") << "a shape goes in the column the key lines use";
  ASSERT_TRUE(doc.SetKey(chNest, 64, std::nanf("")).Done());
  EXPECT_EQ(doc.LineText(15), "1      off   smooth") << "an edited key keeps its shape";

  doc.Load(Small);
  ASSERT_TRUE(doc.SetKey(chFlash, 64, 0.25f).Done());
  EXPECT_EQ(doc.Text(), WithLinesBefore(Small, 7, {"1      0.25"}));
  EXPECT_EQ(doc.KeyAt(chFlash, 64)->Curve, Shape::Hold) << "a new key holds";
  ASSERT_TRUE(doc.SetKey(chFlash, 600, 0.5f, Shape::Linear).Done());
  EXPECT_EQ(doc.LineText(14), "9:1:8  0.5   linear");
  ASSERT_TRUE(doc.SetKey(chNest, 0, -1.f).Done());
  EXPECT_EQ(doc.LineText(17), "0      -1") << "a channel's first key goes before its others";
  for (int c = 0; c < TrackChannels; ++c) EXPECT_EQ(Described(ParseTimeline(doc.Text()).Channels[c]), Described(doc.Keys(c)));
}

TEST(DocumentKeys, AChannelWithoutASectionGetsOneInChannelOrder) {
  TimelineDocument doc(Small);
  ASSERT_TRUE(doc.SetKey(chPicture, 64, 3.f).Done());
  EXPECT_EQ(doc.Text(), WithLinesBefore(Small, 14, {"channel picture", "1      3", ""}));
  ASSERT_TRUE(doc.SetKey(chFeedback, 0, 1.f).Done());
  EXPECT_EQ(doc.Text(), WithLinesBefore(Small, 14, {"channel picture", "1      3", ""}) +
                            "\nchannel feedback\n0      1\n");
  TimelineDocument empty("");
  ASSERT_TRUE(empty.SetKey(chOverlay, 4, 1.f).Done());
  EXPECT_EQ(empty.Text(), "channel overlay\n0:0:4 1\n");
}

TEST(DocumentKeys, RepeatedKeysEditTheirPatternAndPlainKeysCannotGoInsideARepeat) {
  TimelineDocument doc(Small);
  const EditResult pattern = doc.SetKey(chFlash, 320, 0.4f);
  ASSERT_TRUE(pattern.Done());
  EXPECT_NE(pattern.Message.find("repeat at line 8"), std::string::npos) << pattern.Message;
  EXPECT_EQ(doc.Text(), WithLine(Small, 9, "  0      0.4   linear"));
  for (int row : {256, 320, 384}) EXPECT_EQ(doc.KeyAt(chFlash, row)->Value, 0.4f) << row;

  for (int row : {300, 256 + 1, 416}) {
    const std::string before = doc.Text();
    const EditResult inside = doc.SetKey(chFlash, row, 1.f);
    if (row == 416) {
      EXPECT_TRUE(inside.Done()) << "a key of the repeat: its pattern changes";
      continue;
    }
    EXPECT_EQ(inside.Outcome, EditOutcome::Refused) << row;
    EXPECT_NE(inside.Message.find("inside the repeat at line 8"), std::string::npos) << inside.Message;
    EXPECT_EQ(doc.Text(), before);
  }
  EXPECT_TRUE(doc.SetKey(chFlash, 420, 1.f).Done()) << "after the repeat's last key";
  EXPECT_TRUE(doc.SetKey(chNest, 300, 1.f).Done()) << "another channel's repeat is no obstacle";

  const std::string before = doc.Text();
  EXPECT_EQ(doc.SetKey(chFlash, 5, std::nullopt, Shape::Linear).Outcome, EditOutcome::Refused) << "no key to shape";
  EXPECT_EQ(doc.SetKey(chFlash, 5, INFINITY).Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.SetKey(TrackChannels, 0, 1.f).Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.SetKey(chFlash, SongTrackSamples, 1.f).Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.Text(), before);
}

TEST(DocumentKeys, DeleteCycleMoveAndScaleSelectedKeys) {
  TimelineDocument doc(Small);
  ASSERT_TRUE(doc.DeleteKeys({chFlash, chFlash, 0, 16}).Done());
  EXPECT_EQ(doc.Text(), WithoutLines(Small, 5, 2));
  doc.Load(Small);
  const EditResult one = doc.DeleteKeys({chFlash, chFlash, 350, 360});
  EXPECT_NE(one.Message.find("repeat at line 8"), std::string::npos) << "a repetition's key leaves the pattern";
  EXPECT_EQ(doc.Text(), WithoutLines(Small, 10));
  doc.Load(Small);
  ASSERT_TRUE(doc.DeleteKeys({chFlash, chNest, 200, 500}).Done());
  EXPECT_EQ(doc.Text(), WithoutLines(Small, 8, 4)) << "a whole repeat goes, lines and all";
  EXPECT_EQ(doc.DeleteKeys({chFlash, chNest, 1000, 2000}).Outcome, EditOutcome::Unchanged);

  doc.Load(Small);
  for (Shape s : {Shape::Linear, Shape::Smooth, Shape::Ramp, Shape::Hold}) {
    ASSERT_TRUE(doc.CycleShape(chFlash, 128).Done());
    EXPECT_EQ(doc.KeyAt(chFlash, 128)->Curve, s);
  }
  EXPECT_EQ(doc.Text(), Small);

  ASSERT_TRUE(doc.MoveKeys({chFlash, chFlash, 0, 16}, 4).Done());
  EXPECT_EQ(doc.LineText(5), "0:0:4  1     linear  # first") << "a moved key keeps its comment";
  EXPECT_EQ(doc.LineText(6), "0:1:4  0");
  EXPECT_EQ(doc.MoveKeys({chFlash, chFlash, 100, 130}, -108).Outcome, EditOutcome::Refused)
      << "onto a key that stays";
  EXPECT_EQ(doc.MoveKeys({chFlash, chFlash, 0, 10}, -5).Outcome, EditOutcome::Refused) << "off the track";
  ASSERT_TRUE(doc.MoveKeys({chFlash, chFlash, 500, 520}, -500).Done());
  EXPECT_EQ(Rows(doc.Keys(chFlash)), (std::vector<int>{4, 12, 20, 128, 256, 288, 320, 352, 384, 416}));
  EXPECT_EQ(doc.LineText(6), "0:0:12 1") << "a key moved between others goes between their lines";
  doc.Load(Small);
  ASSERT_TRUE(doc.MoveKeys({chFlash, chFlash, 250, 500}, 64).Done()) << "the whole repeat moves by its start";
  EXPECT_EQ(doc.LineText(8), "repeat 3 every 1 from 5     # bars");
  EXPECT_EQ(Rows(doc.Keys(chFlash)), (std::vector<int>{0, 16, 128, 320, 352, 384, 416, 448, 480, 512}));
  doc.Load(Small);
  const EditResult pattern = doc.MoveKeys({chFlash, chFlash, 280, 290}, 8);
  ASSERT_TRUE(pattern.Done()) << pattern.Message;
  EXPECT_NE(pattern.Message.find("repeat at line 8"), std::string::npos);
  EXPECT_EQ(doc.LineText(10), "  0:2:8  off");
  EXPECT_EQ(doc.MoveKeys({chFlash, chFlash, 320, 330}, 40).Outcome, EditOutcome::Refused)
      << "the pattern's keys would overlap its next repetition";

  doc.Load(Small);
  ASSERT_TRUE(doc.AddToValues({chFlash, chNest, 0, 1000}, 0.5f).Done());
  EXPECT_EQ(Values(doc.Keys(chFlash)), "1.5 0.5 1 0.8 off 0.8 off 0.8 off 1.5");
  EXPECT_EQ(doc.LineText(9), "  0      0.8   linear") << "a pattern's value changes once";
  EXPECT_EQ(doc.LineText(15), "1      0     smooth");
  ASSERT_TRUE(doc.MultiplyValues({chFlash, chFlash, 0, 0}, -2).Done());
  EXPECT_EQ(doc.LineText(5), "0      -3    linear  # first");
  const std::string before = doc.Text();
  EXPECT_EQ(doc.MultiplyValues({chFlash, chFlash, 0, 0}, 3e38f).Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.Text(), before);
}

TEST(DocumentKeys, CopiedBlocksPasteOverTheKeysThereInAnyChannel) {
  TimelineDocument doc(Small);
  const Clip clip = doc.Copy({chFlash, chFlash, 0, 31});
  EXPECT_EQ(clip.Rows, 32);
  ASSERT_EQ(clip.Keys.size(), 2u);
  ASSERT_TRUE(doc.Paste(clip, chNest, 48).Done());
  EXPECT_EQ(Values(doc.Keys(chNest)), "1 0");
  EXPECT_EQ(Rows(doc.Keys(chNest)), (std::vector<int>{48, 64})) << "the key at 1 was replaced";
  EXPECT_EQ(doc.KeyAt(chNest, 48)->Curve, Shape::Linear);
  ASSERT_TRUE(doc.Paste(doc.Copy({chFlash, chNest, 0, 127}), chNestGlow, 1000).Done());
  EXPECT_EQ(Rows(doc.Keys(chNestGlow)), (std::vector<int>{1000, 1016}));
  EXPECT_EQ(Rows(doc.Keys(chWarpEcho)), std::vector<int>{}) << "the clip's empty channels stay empty";
  const std::string before = doc.Text();
  EXPECT_EQ(doc.Paste(clip, chFlash, 300).Outcome, EditOutcome::Refused) << "inside the repeat";
  EXPECT_EQ(doc.Paste(doc.Copy({0, 1, 0, 10}), chFeedback, 0).Outcome, EditOutcome::Refused) << "too wide";
  EXPECT_EQ(doc.Text(), before);
  while (doc.CanUndo()) doc.Undo();
  EXPECT_EQ(doc.Text(), Small);
}

TEST(DocumentRows, InsertingAndDeletingRowsMovesKeysRepeatsAndMarks) {
  TimelineDocument doc(Small + "mark 3 later\n");
  ASSERT_TRUE(doc.InsertRows(128, 16).Done());
  EXPECT_EQ(Rows(doc.Keys(chFlash)), (std::vector<int>{0, 16, 144, 272, 304, 336, 368, 400, 432, 528}));
  EXPECT_EQ(doc.LineText(7), "2:1    0.5");
  EXPECT_EQ(doc.LineText(8), "repeat 3 every 1 from 4:1   # bars") << "the comment keeps its column";
  EXPECT_EQ(doc.LineText(16), "mark 3:1 later");
  EXPECT_EQ(doc.LineText(2), "mark 0 start");
  ASSERT_TRUE(doc.DeleteRows(128, 16).Done());
  EXPECT_EQ(doc.Text(), Small + "mark 3 later\n");

  const EditResult through = doc.InsertRows(300, 4);
  EXPECT_EQ(through.Outcome, EditOutcome::Refused);
  EXPECT_NE(through.Message.find("repeat at line 8"), std::string::npos) << through.Message;
  EXPECT_EQ(doc.DeleteRows(250, 10).Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.InsertRows(0, SongTrackSamples - 500).Outcome, EditOutcome::Refused) << "past the end";

  ASSERT_TRUE(doc.DeleteRows(10, 100).Done());
  EXPECT_EQ(Rows(doc.Keys(chFlash)), (std::vector<int>{0, 28, 156, 188, 220, 252, 284, 316, 412}));
  EXPECT_EQ(Rows(doc.Keys(chNest)), std::vector<int>{}) << "its key at 64 was in the deleted rows";
  EXPECT_EQ(doc.Marks()[1].Row, 92);

  // A beat inserted in the demo's main part and deleted again.
  const std::string demo = ReadSource("tools/content/demo.timeline");
  TimelineDocument song(demo);
  const std::vector<std::vector<float>> before = song.Track();
  ASSERT_TRUE(song.InsertRows(1024, 16).Done());
  const std::vector<std::vector<float>> after = song.Track();
  for (int c = 0; c < TrackChannels; ++c) {
    for (int r = 0; r < 1024; ++r) ASSERT_TRUE(SameValue(after[c][r], before[c][r])) << c << " " << r;
    for (int r = 1040; r < SongTrackSamples; ++r) ASSERT_TRUE(SameValue(after[c][r], before[c][r - 16])) << c << " " << r;
  }
  EXPECT_EQ(song.Marks()[2].Row, 1040);
  ASSERT_TRUE(song.DeleteRows(1024, 16).Done());
  EXPECT_EQ(song.Text(), demo);
}

TEST(DocumentMarks, SetRenameAndClearInRowOrder) {
  TimelineDocument doc(ReadSource("tools/content/demo.timeline"));
  ASSERT_TRUE(doc.SetMark(24 * 64, "tunnel").Done());
  EXPECT_EQ(doc.LineText(11), "mark 24 tunnel") << "after the mark before it, in the marks' columns";
  ASSERT_TRUE(doc.SetMark(8 * 64 + 16, "  build, beat two ").Done());
  EXPECT_EQ(doc.LineText(10), "mark 8:1 build, beat two");
  ASSERT_TRUE(doc.RenameMark(16 * 64, "main part").Done());
  EXPECT_EQ(doc.LineText(11), "mark 16 main part");
  ASSERT_TRUE(doc.SetMark(16 * 64, "main").Done()) << "setting a mark where there is one renames it";
  EXPECT_EQ(doc.LineText(11), "mark 16 main");
  ASSERT_TRUE(doc.ClearMark(0).Done());
  EXPECT_EQ(doc.LineText(8), "mark 8  build");
  EXPECT_EQ(doc.Marks().size(), 9u);
  const std::string before = doc.Text();
  EXPECT_EQ(doc.SetMark(0, "a # b").Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.SetMark(0, " \t").Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.SetMark(0, "two\nlines").Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.RenameMark(1, "none here").Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.ClearMark(1).Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.SetMark(SongTrackSamples, "past").Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.Text(), before);

  TimelineDocument plain("# notes\n\nchannel 0\n0 1\n");
  ASSERT_TRUE(plain.SetMark(64, "one").Done());
  EXPECT_EQ(plain.Text(), "# notes\n\nmark 1 one\n\nchannel 0\n0 1\n") << "the first mark goes above the keys";
}

TEST(DocumentRepeats, UnrollingWritesTheSameKeysAsPlainLines) {
  TimelineDocument doc(Small);
  const EditResult unrolled = doc.UnrollRepeat(0);
  ASSERT_TRUE(unrolled.Done());
  EXPECT_EQ(unrolled.Message, "unrolled the repeat at line 8 into 6 keys");
  EXPECT_EQ(doc.Text(), WithLinesBefore(WithoutLines(Small, 8, 4), 8,
                                        {"# bars", "4      0.3   linear", "4:2    off", "5      0.3   linear",
                                         "5:2    off", "6      0.3   linear", "6:2    off"}));
  EXPECT_TRUE(doc.SetKey(chFlash, 300, 1.f).Done()) << "a plain key fits between unrolled ones";
  EXPECT_EQ(doc.UnrollRepeat(0).Outcome, EditOutcome::Refused);

  const std::string demo = ReadSource("tools/content/demo.timeline");
  TimelineDocument song(demo);
  const std::vector<std::vector<float>> track = song.Track();
  while (!song.Repeats().empty()) ASSERT_TRUE(song.UnrollRepeat(int(song.Repeats().size()) - 1).Done());
  EXPECT_EQ(song.Text().find("repeat"), std::string::npos);
  const std::vector<std::vector<float>> unrolledTrack = song.Track();
  for (int c = 0; c < TrackChannels; ++c)
    for (int r = 0; r < SongTrackSamples; ++r) ASSERT_TRUE(SameValue(unrolledTrack[c][r], track[c][r]));
  while (song.CanUndo()) song.Undo();
  EXPECT_EQ(song.Text(), demo);
}

TEST(DocumentHistory, UndoAndRedoWalkTheEditsAndTheSavedState) {
  TimelineDocument doc(Small);
  std::vector<std::string> texts = {doc.Text()};
  doc.SetKey(chFlash, 64, 1.f);
  texts.push_back(doc.Text());
  doc.MarkSaved();
  doc.Paste(doc.Copy({chFlash, chFlash, 0, 100}), chTunnel, 0);
  texts.push_back(doc.Text());
  doc.InsertRows(0, 64);
  texts.push_back(doc.Text());
  EXPECT_TRUE(doc.Modified());
  for (int k = 2; k >= 0; --k) {
    ASSERT_TRUE(doc.Undo().Done());
    EXPECT_EQ(doc.Text(), texts[k]);
    EXPECT_EQ(doc.Modified(), k != 1);
  }
  EXPECT_EQ(doc.Undo().Outcome, EditOutcome::Unchanged);
  for (int k = 1; k <= 3; ++k) {
    ASSERT_TRUE(doc.Redo().Done());
    EXPECT_EQ(doc.Text(), texts[k]);
  }
  doc.Undo();
  doc.Undo();
  doc.SetKey(chFlash, 0, 9.f);
  EXPECT_FALSE(doc.CanRedo()) << "an edit after undoing ends the redo";
  EXPECT_TRUE(doc.Modified());
}

// Another demo's layout: its own channel names, three beats a bar of eight rows.
TEST(DocumentLayout, TheChannelsAndTheRowsComeFromTheLayout) {
  TrackLayout layout{{"kick", "", "cam"}, 8, 3, 100};
  TimelineDocument doc("channel cam\n1:2:4 1\n", layout);
  ASSERT_TRUE(doc.Reads()) << doc.Error()->what();
  EXPECT_EQ(doc.Keys(2)[0].Row, 44);
  ASSERT_TRUE(doc.SetKey(1, 9, 2.f).Done());
  EXPECT_EQ(doc.Text(), "channel 1\n0:1:1 2\n\nchannel cam\n1:2:4 1\n");
  EXPECT_EQ(doc.SetKey(2, 100, 1.f).Outcome, EditOutcome::Refused);
  EXPECT_EQ(doc.Track().size(), 3u);
}
