// The editor's keys as document commands: each key pressed as the editor
// gets it, the keys the document then reads as, and what the status line
// says; refusals change nothing; undo walks every edit back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "DocumentFixture.h"
#include "Editing.h"

namespace {
// flash: keys at rows 0 and 16; nest: a key at 0, a repeat at bars 1 and 2.
const char* const Text =
    "mark 1 verse\n"
    "channel flash\n"
    "0     1     linear\n"
    "0:1   0\n"
    "channel nest\n"
    "0     0.25  smooth\n"
    "repeat 2 every 1 from 1\n"
    "  0   0.5\n"
    "  0:2 off\n"
    "end\n";

constexpr int Flash = 0, Nest = 8;

class EditorKeys : public ::testing::Test {
 protected:
  void Press(TKey key, bool ctrl = false, bool shift = false, bool alt = false) {
    Last = Editing.Key(key, ctrl, shift, alt);
  }
  void Type(const std::string& text) { Editing.Type(text); }
  void GoTo(int row, int channel) { Editing.MoveCursor(row, channel, false); }
  std::string Keys(int channel) const { return Described(Doc.Keys(channel)); }

  TimelineDocument Doc{Text};
  TEditorState State;
  TEditing Editing{Doc, State};
  TApplied Last;
};
}  // namespace

TEST_F(EditorKeys, ATypedNumberAndEnterSetAKeyWhereTheCursorIs) {
  ASSERT_EQ(State.Axis.LinesPerBeat(), 4) << "the grid starts at every 4th row";
  Press(TKey::Down);
  Press(TKey::Down);
  ASSERT_EQ(State.Row, 8);
  Type("0.5");
  EXPECT_EQ(State.Typed, "0.5");
  Press(TKey::Enter);
  EXPECT_TRUE(Last.Changed);
  EXPECT_EQ(Keys(Flash), "0 1 linear\n8 0.5 hold\n16 0 hold\n") << "a new key holds";
  EXPECT_EQ(State.Status, "Key flash 0:0:8 = 0.5");
  EXPECT_TRUE(State.Typed.empty());

  GoTo(0, Flash);
  Type("2");
  Press(TKey::KeypadEnter);
  EXPECT_EQ(Keys(Flash), "0 2 linear\n8 0.5 hold\n16 0 hold\n") << "a key there keeps its shape";

  // Enter alone: the value the channel has there, as a key of its own.
  Press(TKey::Down);
  Press(TKey::Enter);
  EXPECT_EQ(Keys(Flash), "0 2 linear\n4 1.25 hold\n8 0.5 hold\n16 0 hold\n");

  // Backspace takes back a character; a move drops what was typed.
  Type("0.75x");
  Press(TKey::Backspace);
  EXPECT_EQ(State.Typed, "0.7");
  Press(TKey::Down);
  EXPECT_TRUE(State.Typed.empty());
  const std::string before = Doc.Text();
  Type("1.2.3");
  Press(TKey::Enter);
  EXPECT_TRUE(State.StatusIsError);
  EXPECT_EQ(State.Status, "Not a number: 1.2.3");
  EXPECT_EQ(Doc.Text(), before);
}

TEST_F(EditorKeys, OffShapesAndDeleteActOnTheCursorOrTheSelection) {
  GoTo(12, Flash);
  Press(TKey::O);
  EXPECT_EQ(Keys(Flash), "0 1 linear\n12 off hold\n16 0 hold\n");
  GoTo(0, Flash);
  Press(TKey::I);
  EXPECT_EQ(Keys(Flash).substr(0, 11), "0 1 smooth\n");
  EXPECT_EQ(State.Status, "Shape of flash 0 is smooth");
  for (int step = 2; step < ShapeCount; ++step) Press(TKey::I);
  EXPECT_EQ(Keys(Flash).substr(0, 9), "0 1 hold\n") << "the last shape steps on to hold";
  Press(TKey::Delete);
  EXPECT_EQ(Keys(Flash), "12 off hold\n16 0 hold\n");

  // At a grid of every 4th row the cursor's line holds rows 12 to 15; the
  // selection from 12 down two lines holds rows 12 to 23.
  GoTo(12, Flash);
  Press(TKey::Down, false, true);
  Press(TKey::Down, false, true);
  const KeyBlock block = State.Block();
  EXPECT_EQ(block.FirstRow, 12);
  EXPECT_EQ(block.LastRow, 23);
  Press(TKey::Delete);
  EXPECT_EQ(Keys(Flash), "");
  Press(TKey::Escape);
  EXPECT_FALSE(State.Selecting());
}

TEST_F(EditorKeys, BlocksAreCopiedCutAndPastedIntoAnyChannel) {
  GoTo(0, Flash);
  for (int k = 0; k < 4; ++k) Press(TKey::Down, false, true);  // rows 0 to 19
  Press(TKey::C, true);
  EXPECT_EQ(State.Status, "Copied 2 keys of flash 0 to 0:1:3");
  GoTo(32, Flash + 1);
  Press(TKey::V, true);
  EXPECT_EQ(Keys(Flash + 1), "32 1 linear\n48 0 hold\n");
  GoTo(0, Flash);
  for (int k = 0; k < 4; ++k) Press(TKey::Down, false, true);
  Press(TKey::X, true);
  EXPECT_EQ(Keys(Flash), "");
  GoTo(128, Flash);
  Press(TKey::V, true);
  EXPECT_EQ(Keys(Flash), "128 1 linear\n144 0 hold\n") << "the cut block is on the clipboard";
}

TEST_F(EditorKeys, SelectedKeysMoveInTimeAndChangeInValue) {
  GoTo(0, Flash);
  Press(TKey::Down, true);
  EXPECT_EQ(Keys(Flash), "1 1 linear\n16 0 hold\n");
  EXPECT_EQ(State.Row, 1) << "the cursor goes with the key";
  Press(TKey::Down, true, true);
  EXPECT_EQ(Keys(Flash), "16 0 hold\n17 1 linear\n") << "a beat on: past the key at 16";

  // A move onto a key that stays is refused and changes nothing: at a grid
  // of every row the cursor's line is row 16 alone.
  State.Axis.SetGrid(0);
  GoTo(16, Flash);
  const std::string before = Doc.Text();
  Press(TKey::Down, true);
  EXPECT_FALSE(Last.Changed);
  EXPECT_TRUE(State.StatusIsError);
  EXPECT_EQ(State.Status.rfind("Refused: ", 0), 0u) << State.Status;
  EXPECT_EQ(Doc.Text(), before);
  EXPECT_EQ(State.Row, 16) << "a refused move leaves the cursor";
  State.Axis.SetGrid(2);

  // The cursor's line (rows 16 to 19) holds both keys: both change.
  GoTo(16, Flash);
  Press(TKey::Equals, true);
  Press(TKey::KeypadPlus, true, true);
  EXPECT_FLOAT_EQ(Doc.KeyAt(Flash, 16)->Value, 0.11f);
  EXPECT_FLOAT_EQ(Doc.KeyAt(Flash, 17)->Value, 1.11f);
  Press(TKey::Minus, true);
  EXPECT_NEAR(Doc.KeyAt(Flash, 16)->Value, 0.01f, 1e-6);
  Press(TKey::Minus, true, true);
  EXPECT_NEAR(Doc.KeyAt(Flash, 17)->Value, 1, 1e-6);
  State.Scale = 3;
  GoTo(0, Flash);
  Press(TKey::Down, false, true);
  Press(TKey::M, true);
  EXPECT_NEAR(Doc.KeyAt(Flash, 17)->Value, 1, 1e-6) << "outside the selection of rows 0 to 7";
  for (int k = 0; k < 4; ++k) Press(TKey::Down, false, true);
  Press(TKey::M, true);
  EXPECT_NEAR(Doc.KeyAt(Flash, 17)->Value, 3, 1e-6);
}

TEST_F(EditorKeys, TimeMarksAndRepeats) {
  GoTo(0, Flash);
  Press(TKey::I, true);
  EXPECT_EQ(Keys(Flash), "16 1 linear\n32 0 hold\n") << "a beat inserted in every channel";
  EXPECT_EQ(Doc.Marks()[0].Row, 80);
  Press(TKey::I, true, true);
  EXPECT_EQ(Keys(Flash), "0 1 linear\n16 0 hold\n") << "and deleted again";
  EXPECT_EQ(Doc.Marks()[0].Row, 64);

  GoTo(32, Flash);
  State.MarkName = "  the drop ";
  Press(TKey::B);
  ASSERT_EQ(Doc.Marks().size(), 2u);
  const auto drop = std::find_if(Doc.Marks().begin(), Doc.Marks().end(), [](const Mark& m) { return m.Row == 32; });
  ASSERT_NE(drop, Doc.Marks().end());
  EXPECT_EQ(drop->Name, "the drop") << "the field's words";
  GoTo(0, Flash);
  Press(TKey::PageDown, false, false, true);
  EXPECT_EQ(State.Row, 32);
  Press(TKey::PageDown, false, false, true);
  EXPECT_EQ(State.Row, 64);
  EXPECT_EQ(State.Status, "Mark \"verse\" at 1");
  Press(TKey::PageUp, false, false, true);
  Press(TKey::B);
  EXPECT_EQ(Doc.Marks().size(), 1u) << "b on a mark clears it";

  // A key of a repeat edits the block's pattern: every repetition changes.
  GoTo(128, Nest);
  Type("0.7");
  Press(TKey::Enter);
  EXPECT_EQ(Values(Doc.Keys(Nest)), "0.25 0.7 off 0.7 off");
  EXPECT_NE(State.Status, "Key nest 2 = 0.7") << "the status says the pattern changed: " << State.Status;
  EXPECT_EQ(Editing.RepeatAtCursor(), 0);
  const std::string keys = Keys(Nest);
  Press(TKey::U, true);
  EXPECT_TRUE(Last.Changed);
  EXPECT_TRUE(Doc.Repeats().empty());
  EXPECT_EQ(Keys(Nest), keys) << "unrolled into the same keys";
  Press(TKey::U, true);
  EXPECT_TRUE(State.StatusIsError) << "no repeat left there";
}

TEST_F(EditorKeys, UndoAndRedoWalkEveryEditBackAndForth) {
  std::vector<std::string> texts{Doc.Text()};
  auto step = [&](auto action) {
    action();
    texts.push_back(Doc.Text());
  };
  step([&] { GoTo(8, Flash), Type("3"), Press(TKey::Enter); });
  step([&] { GoTo(8, Flash), Press(TKey::I); });
  step([&] { GoTo(0, Flash), Press(TKey::I, true); });
  step([&] {
    GoTo(16, Flash), Press(TKey::Down, false, true), Press(TKey::C, true), GoTo(200, Nest), Press(TKey::V, true);
  });
  step([&] { GoTo(64, Flash), Press(TKey::B); });
  step([&] { GoTo(80, Nest), Press(TKey::U, true); });
  for (size_t k = 1; k < texts.size(); ++k) ASSERT_NE(texts[k], texts[k - 1]) << "edit " << k << " changed nothing";
  for (size_t k = texts.size() - 1; k > 0; --k) {
    Press(TKey::Z, true);
    ASSERT_EQ(Doc.Text(), texts[k - 1]) << "undoing edit " << k;
  }
  Press(TKey::Z, true);
  EXPECT_EQ(State.Status, "Nothing to undo");
  for (size_t k = 1; k < texts.size(); ++k) {
    Press(k % 2 ? TKey::Y : TKey::Z, true, k % 2 == 0);
    ASSERT_EQ(Doc.Text(), texts[k]) << "redoing edit " << k;
  }
}

TEST_F(EditorKeys, TheCursorStepsTheGridAndStaysInTheTrack) {
  Press(TKey::Down);
  EXPECT_EQ(State.Row, 4);
  State.Axis.SetGrid(7);  // triplets, 3 a beat
  Press(TKey::Down);
  EXPECT_EQ(State.Row, 5);
  Press(TKey::Down);
  EXPECT_EQ(State.Row, 11);
  Press(TKey::PageDown);
  EXPECT_EQ(State.Row, 75) << "a bar on, on the grid";
  Press(TKey::End);
  EXPECT_EQ(State.Row, State.Axis.LastRow());
  Press(TKey::Down);
  EXPECT_EQ(State.Row, State.Axis.LastRow());
  Press(TKey::Home);
  EXPECT_EQ(State.Row, 0);
  Press(TKey::Left);
  EXPECT_EQ(State.Channel, 0);
  for (int k = 0; k < 20; ++k) Press(TKey::Right);
  EXPECT_EQ(State.Channel, State.Channels - 1);
  Press(TKey::Left, false, true);
  EXPECT_TRUE(State.Selecting());
  EXPECT_EQ(State.Block().FirstChannel, State.Channels - 2);
  Press(TKey::Down);
  EXPECT_FALSE(State.Selecting()) << "a move without Shift drops the selection";
}

TEST_F(EditorKeys, PlayingSavingAndThePreviewAreTheProgramsToDo) {
  Press(TKey::Space);
  EXPECT_EQ(Last.ForProgram, TAction::PlayPause);
  Press(TKey::Space, true);
  EXPECT_EQ(Last.ForProgram, TAction::PlayLoop);
  Press(TKey::S, true);
  EXPECT_EQ(Last.ForProgram, TAction::Save);
  Press(TKey::Q, true);
  EXPECT_EQ(Last.ForProgram, TAction::Quit);
  Press(TKey::F2);
  EXPECT_EQ(Last.ForProgram, TAction::TogglePreview);
  EXPECT_EQ(Doc.Text(), Text);

  GoTo(8, Flash);
  Press(TKey::L, true);
  ASSERT_TRUE(State.Loop.has_value());
  EXPECT_EQ(*State.Loop, (TRowRange{0, 63})) << "without a selection: the cursor's bar";
  Press(TKey::L, true);
  EXPECT_FALSE(State.Loop.has_value()) << "again: no loop";
  EXPECT_EQ(ShortcutOf(TAction::DeleteBeat), "Ctrl+Shift+I");
  EXPECT_EQ(KeyNamed("pgdn"), TKey::PageDown);
  EXPECT_STREQ(KeyName(TKey::F2), "F2");
}

// A project's tracks in groups: folding a group hides its columns, the
// cursor passes over them and leaves a group that folds under it.
TEST(EditorGroups, AFoldedGroupsTracksArePassedOver) {
  TimelineDocument doc("tempo 120 rows 4\ntrack camera:x\ntrack camera:y\ntrack fade\ntrack camera:z\ntrack light:a\n");
  ASSERT_TRUE(doc.Reads());
  TEditorState state(doc.Layout());
  TEditing editing(doc, state);
  EXPECT_EQ(state.Groups, (std::vector<std::string>{"camera", "camera", "", "camera", "light"}));
  EXPECT_EQ(SplitTrackGroup("camera:rot.y").Name, "rot.y");
  EXPECT_EQ(SplitTrackGroup("a:b:c").Group, "a") << "grouped at the first ':'";
  EXPECT_EQ(SplitTrackGroup("fade").Group, "");

  editing.MoveCursor(0, 1, false);
  state.Fold("camera", true);
  EXPECT_FALSE(state.Shown(0));
  EXPECT_FALSE(state.Shown(3));
  EXPECT_TRUE(state.Shown(2));
  EXPECT_EQ(state.Channel, 2) << "the cursor leaves the folded group for the next shown track";
  editing.Key(TKey::Right, false, false, false);
  EXPECT_EQ(state.Channel, 4) << "over camera:z";
  editing.Key(TKey::Right, false, false, false);
  EXPECT_EQ(state.Channel, 4) << "the last shown track";
  editing.Key(TKey::Left, false, false, false);
  editing.Key(TKey::Left, false, false, false);
  EXPECT_EQ(state.Channel, 2) << "the first shown track";
  EXPECT_EQ(state.StepChannel(4, -2), 2);

  state.Fold("light", true);
  state.Fold("camera", false);
  EXPECT_EQ(state.Channel, 2);
  EXPECT_EQ(state.StepChannel(2, 1), 3);
  editing.MoveCursor(0, 4, false);
  state.Fold("camera", true);
  state.KeepCursorShown();
  EXPECT_EQ(state.Channel, 2) << "before it, where nothing is shown after it";

  // A reload with other tracks keeps the folds by name, and the cursor on
  // a shown track.
  state.Fold("light", false);
  doc.Load("tempo 120 rows 4\ntrack camera:x\ntrack light:a\n");
  state.Fit(doc.Layout());
  ASSERT_EQ(doc.Layout().Channels(), 2);
  EXPECT_FALSE(state.Shown(doc.TrackIndex("camera:x")));
  EXPECT_TRUE(state.Shown(doc.TrackIndex("light:a")));
  EXPECT_EQ(state.Channel, doc.TrackIndex("light:a"));
}
