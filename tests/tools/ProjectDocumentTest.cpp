// The document of a project: keys by track, tracks a demo asks for, and
// the same edits as a demo's own timeline, on the project's grid.
#include <gtest/gtest.h>

#include <cmath>

#include "Document.h"
#include "DocumentFixture.h"
#include "TimelineFile.h"
#include "support/TempDir.h"

namespace {
const std::string Project =
    "tempo 120 rows 8\n"   // 1
    "length 8\n"           // 2
    "\n"                   // 3
    "mark 1 drop\n"        // 4
    "\n"                   // 5
    "track camera:rot.y\n" // 6
    "0    1  linear\n"     // 7
    "1    2\n"             // 8
    "\n"                   // 9
    "track fade\n"         // 10
    "0:2  0.5\n";          // 11
}  // namespace

TEST(ProjectDocument, EditsKeysByTrackOnTheProjectsGrid) {
  TimelineDocument doc(Project);
  ASSERT_TRUE(doc.Reads()) << doc.Error()->what();
  ASSERT_TRUE(doc.IsProject()) << "a text of tracks is a project whatever layout the document was given";
  EXPECT_EQ(doc.Layout().ChannelNames, (std::vector<std::string>{"camera:rot.y", "fade"}));
  EXPECT_EQ(doc.Layout().RowsPerBeat, 8);
  EXPECT_EQ(doc.Layout().Rows, 256);
  const int cam = doc.TrackIndex("camera:rot.y"), fade = doc.TrackIndex("fade");
  ASSERT_EQ(cam, 0);
  ASSERT_EQ(fade, 1);
  EXPECT_EQ(doc.TrackIndex("nothing"), -1);

  ASSERT_TRUE(doc.SetKey(cam, 12, 1.5f, Shape::Ramp).Done());
  EXPECT_EQ(doc.LineText(8), "0:1:4 1.5 ramp") << "a new key on the grid of 8 rows a beat, in the columns it reaches";
  EXPECT_EQ(doc.ValueAt(fade, 0), 0.5f) << "before its first key, a track has its value";
  EXPECT_EQ(doc.ValueAt(cam, 255), 2.f);
  const EditResult off = doc.SetKey(fade, 40, std::nanf(""));
  EXPECT_EQ(off.Outcome, EditOutcome::Refused);
  EXPECT_NE(off.Message.find("'off' is for a demo's channels"), std::string::npos) << off.Message;
  EXPECT_EQ(doc.SetKey(2, 0, 1.f).Message, "there is no track 2");
  EXPECT_EQ(doc.SetKey(cam, 256, 1.f).Outcome, EditOutcome::Refused) << "past the project's length";

  for (Shape s : {Shape::Hold, Shape::Linear, Shape::Smooth, Shape::Ramp}) {
    ASSERT_TRUE(doc.CycleShape(cam, 12).Done());
    EXPECT_EQ(doc.KeyAt(cam, 12)->Curve, s);
  }
  ASSERT_TRUE(doc.InsertRows(0, 8).Done());
  EXPECT_EQ(doc.LineText(4), "mark 1:1 drop");
  EXPECT_EQ(doc.LineText(7), "0:1  1  linear");
  EXPECT_EQ(Rows(doc.Keys(fade)), (std::vector<int>{24}));
  ASSERT_TRUE(doc.MoveKeys({fade, fade, 0, 255}, -24).Done());
  EXPECT_EQ(doc.LineText(12), "0    0.5");
  const std::vector<std::vector<float>> track = doc.Track();
  ASSERT_EQ(track.size(), 2u);
  EXPECT_EQ(track[0].size(), 256u);
  EXPECT_EQ(track[0][0], 1.f);
  while (doc.CanUndo()) ASSERT_TRUE(doc.Undo().Done());
  EXPECT_EQ(doc.Text(), Project);
}

TEST(ProjectDocument, ATrackADemoAsksForIsWrittenWithItsFirstKeyAndKeepsItsNumber) {
  TimelineDocument doc(Project);
  const int a = doc.AddTrack("new:a"), b = doc.AddTrack("new:b");
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(doc.AddTrack("fade"), 1) << "a track the text has keeps its number";
  EXPECT_EQ(doc.AddTrack("new:a"), 2);
  EXPECT_EQ(doc.Text(), Project) << "asking for a track writes nothing";
  EXPECT_FALSE(doc.Modified());
  EXPECT_TRUE(doc.Keys(b).empty());
  EXPECT_EQ(doc.ValueAt(b, 10), 0.f);

  // The later one first: the numbers stay as they were.
  ASSERT_TRUE(doc.SetKey(b, 16, 3.f, Shape::Linear).Done());
  EXPECT_EQ(doc.Text(), Project + "\ntrack new:b\n0:2  3  linear\n");
  EXPECT_EQ(doc.TrackIndex("new:b"), b);
  EXPECT_EQ(doc.TrackIndex("new:a"), a);
  ASSERT_TRUE(doc.SetKey(a, 0, 1.f).Done());
  EXPECT_EQ(doc.TrackIndex("new:b"), b);
  EXPECT_EQ(doc.TrackIndex("new:a"), a);
  EXPECT_EQ(doc.Keys(a).size(), 1u);
  EXPECT_EQ(doc.Keys(b).size(), 1u);
  ASSERT_TRUE(doc.Undo().Done());
  ASSERT_TRUE(doc.Undo().Done());
  EXPECT_EQ(doc.Text(), Project);
  EXPECT_EQ(doc.TrackIndex("new:b"), b) << "an asked-for track stays when its section is undone";

  std::string reason;
  EXPECT_EQ(doc.AddTrack("bad # name", &reason), -1);
  EXPECT_NE(reason.find("cannot be written"), std::string::npos);
  EXPECT_EQ(doc.AddTrack(" lead", &reason), -1);
  TimelineDocument channels(ReadSource("tools/content/demo.timeline"));
  EXPECT_EQ(channels.AddTrack("x", &reason), -1);
  EXPECT_NE(reason.find("channels, not a project's tracks"), std::string::npos);
  EXPECT_EQ(channels.TrackIndex("flash"), -1);
}

TEST(ProjectDocument, NumbersSurviveReloadsAndATrackTheTextDropsGoes) {
  TimelineDocument doc(Project);
  doc.AddTrack("asked");
  doc.Load("track fade\n0 1\ntrack other\n0 2\n");
  EXPECT_EQ(doc.Layout().ChannelNames, (std::vector<std::string>{"fade", "asked", "other"}))
      << "camera:rot.y is gone from the text and no demo asked for it; the others keep their order";
  ASSERT_TRUE(doc.EditText("track other\n0 2\n").Done());
  EXPECT_EQ(doc.Layout().ChannelNames, (std::vector<std::string>{"asked", "other"}));
  ASSERT_TRUE(doc.Undo().Done());
  EXPECT_EQ(doc.Layout().ChannelNames, (std::vector<std::string>{"asked", "other", "fade"}));
  // A text that does not read keeps the tracks as they were.
  ASSERT_TRUE(doc.EditText("track other\n0 off\n").Done());
  EXPECT_FALSE(doc.Reads());
  EXPECT_TRUE(doc.IsProject());
  EXPECT_EQ(doc.Layout().Channels(), 3);
  EXPECT_TRUE(doc.Keys(2).empty());
}

TEST(ProjectDocument, ANewProjectStartsEmptyAndIsSavedOnceItHasKeys) {
  TempDir dir;
  TimelineDocument doc("", ProjectLayout());
  ASSERT_TRUE(doc.IsProject());
  EXPECT_EQ(doc.Layout().Channels(), 0);
  const int t = doc.AddTrack("cam.x");
  ASSERT_EQ(t, 0);
  ASSERT_TRUE(doc.SetKey(t, 64, 2.f).Done());
  EXPECT_EQ(doc.Text(), "track cam.x\n1 2\n");
  TimelineFile file(dir.Path() + "/other.timeline", ProjectLayout());
  std::string reason;
  ASSERT_TRUE(file.Save(doc.Text(), reason)) << reason;
  std::string text;
  ASSERT_TRUE(file.Read(text, reason)) << reason;
  TimelineDocument again(text, ProjectLayout());
  EXPECT_EQ(again.TrackIndex("cam.x"), 0);
  EXPECT_EQ(Described(again.Keys(0)), Described(doc.Keys(0)));
  // The file of a channel timeline saves a project too: the text says which it is.
  TimelineFile plain(dir.Path() + "/plain.timeline");
  EXPECT_TRUE(plain.Save(doc.Text(), reason)) << reason;
  EXPECT_FALSE(plain.Save("track a\n0 off\n", reason));
  EXPECT_EQ(reason.rfind("line 2: ", 0), 0u) << reason;
}

// Found by fuzzing: erasing a text's last line, which had no break, after an
// empty line left an empty line without a break, which the reader does not
// count, so that the document's lines and the reader's differed.
TEST(DocumentLines, AnEmptyLastLineWithoutABreakIsNoLine) {
  TimelineDocument doc("\nmark 1 intro");
  ASSERT_TRUE(doc.ClearMark(64).Done());
  EXPECT_EQ(doc.Text(), "");
  EXPECT_EQ(doc.LineCount(), int(SplitTextLines(doc.Text()).size()));
  ASSERT_TRUE(doc.Undo().Done());
  EXPECT_EQ(doc.Text(), "\nmark 1 intro");
  EXPECT_EQ(doc.LineCount(), 2);
}
