// The timeline's file behind the editor: the recovery file kept a moment
// after each edit and gone with a save or an undo back to the saved text;
// saves refused for a text that does not read; changes on disk reloaded, or
// asked about once while there are unsaved edits.
#include <gtest/gtest.h>

#include <filesystem>

#include "Session.h"
#include "platform/WholeFile.h"
#include "support/TempDir.h"

namespace {
const std::string Original = "channel flash\n0 1 linear\n0:1 0\n";

class EditSession : public ::testing::Test {
 protected:
  void SetUp() override {
    Path = Temp.Write("show.timeline", std::vector<uint8_t>(Original.begin(), Original.end()));
    std::string reason;
    ASSERT_TRUE(Session.Open(reason)) << reason;
  }
  static std::string Read(const std::string& path) {
    std::string text, reason;
    return ReadWholeFile(path, text, reason) ? text : "<none>";
  }
  static void Write(const std::string& path, const std::string& text) {
    std::string reason;
    ASSERT_TRUE(ReplaceFile(path, text, false, reason)) << reason;
  }
  bool RecoveryThere() const { return std::filesystem::exists(Session.RecoveryPath()); }

  TempDir Temp;
  std::string Path = Temp.Path() + "/show.timeline";
  TEditSession Session{Temp.Path() + "/show.timeline"};
  TimelineDocument& Doc = Session.Document();
};
}  // namespace

TEST_F(EditSession, UnsavedEditsReachTheRecoveryFileSoonAndGoWithASave) {
  ASSERT_EQ(Doc.Text(), Original);
  ASSERT_TRUE(Doc.SetKey(0, 8, 0.5f).Done());
  Session.Edited(10.0);
  Session.Tick(10.0 + RecoveryDelay / 2);
  EXPECT_FALSE(RecoveryThere()) << "not at once: a run of edits is written once";
  EXPECT_LE(Session.SecondsToNext(10.0 + RecoveryDelay / 2), RecoveryDelay / 2 + 1e-9);
  ASSERT_TRUE(Doc.SetKey(0, 12, 0.25f).Done());
  Session.Edited(10.0 + RecoveryDelay * 0.9);
  EXPECT_TRUE(Session.Tick(10.0 + RecoveryDelay).Error.empty());
  ASSERT_TRUE(RecoveryThere()) << "at most RecoveryDelay after the first unwritten edit";
  EXPECT_EQ(Read(Session.RecoveryPath()), Doc.Text());
  EXPECT_EQ(Read(Path), Original) << "the file itself waits for a save";

  // Undone back to the saved text: nothing is unsaved, the recovery file goes.
  Doc.Undo();
  Doc.Undo();
  Session.Edited(20.0);
  Session.Tick(20.0 + RecoveryDelay);
  EXPECT_FALSE(RecoveryThere());

  ASSERT_TRUE(Doc.SetKey(0, 8, 0.5f).Done());
  Session.Edited(30.0);
  Session.Tick(30.0 + RecoveryDelay);
  ASSERT_TRUE(RecoveryThere());
  std::string reason;
  ASSERT_TRUE(Session.Save(reason)) << reason;
  EXPECT_EQ(Read(Path), Doc.Text());
  EXPECT_EQ(Read(Path + "~"), Original) << "the version before the save is kept";
  EXPECT_FALSE(RecoveryThere());
  EXPECT_FALSE(Doc.Modified());
}

TEST_F(EditSession, ATextThatDoesNotReadIsOpenedAndKeptButNeverSaved) {
  Write(Path, "channel flash\n0 1\nbogus line\n");
  TEditSession broken(Path);
  std::string reason;
  ASSERT_TRUE(broken.Open(reason)) << reason;
  ASSERT_TRUE(broken.Document().Error().has_value());
  EXPECT_EQ(broken.Document().Error()->Line, 3);
  EXPECT_EQ(broken.Document().Text(), "channel flash\n0 1\nbogus line\n");

  ASSERT_TRUE(broken.Document().EditText("channel flash\n0 1\nbogus again\n").Done());
  EXPECT_FALSE(broken.Save(reason));
  EXPECT_EQ(reason.rfind("line 3: ", 0), 0u) << reason;
  EXPECT_EQ(Read(Path), "channel flash\n0 1\nbogus line\n") << "the file stays as it was";
  EXPECT_TRUE(broken.Document().Modified()) << "and the edit stays";

  // Mended in the text, it saves.
  ASSERT_TRUE(broken.Document().EditText("channel flash\n0 1\n0:1 0\n").Done());
  EXPECT_TRUE(broken.Save(reason)) << reason;
  EXPECT_EQ(Read(Path), "channel flash\n0 1\n0:1 0\n");
}

TEST_F(EditSession, AChangeOnDiskIsReloadedOrAskedAboutOnceUnderEdits) {
  Session.Tick(0);
  Write(Path, Original + "0:2 0.5\n");
  TSessionNews news = Session.Tick(0.5);
  EXPECT_TRUE(news.Note.empty()) << "the stamp is looked at once a DiskPollInterval";
  news = Session.Tick(DiskPollInterval);
  EXPECT_FALSE(news.Note.empty());
  EXPECT_EQ(Doc.Text(), Original + "0:2 0.5\n");
  EXPECT_FALSE(Doc.Modified());

  // With an edit of ours the question comes, once.
  ASSERT_TRUE(Doc.SetKey(0, 40, 1.0f).Done());
  Write(Path, Original + "0:3 0.75\n");
  news = Session.Tick(2 * DiskPollInterval);
  EXPECT_TRUE(news.ChangedUnderEdits);
  EXPECT_NE(Doc.Text(), Original + "0:3 0.75\n") << "nothing taken before the answer";
  EXPECT_FALSE(Session.Tick(3 * DiskPollInterval).ChangedUnderEdits);
  Session.KeepEdits();
  EXPECT_FALSE(Session.Tick(4 * DiskPollInterval).ChangedUnderEdits);
  EXPECT_TRUE(Doc.Modified());

  // A reload takes the file's text as an edit: ours can still be undone.
  Write(Path, Original + "0:3 0.25\n");
  std::string reason;
  ASSERT_TRUE(Session.Reload(reason)) << reason;
  EXPECT_EQ(Doc.Text(), Original + "0:3 0.25\n");
  EXPECT_FALSE(Doc.Modified());
  Doc.Undo();
  EXPECT_TRUE(Doc.KeyAt(0, 40) != nullptr) << "our edit is back";
}

TEST_F(EditSession, AFileGoneFromTheDiskIsToldOnceNotAtEveryLook) {
  Session.Tick(0);
  std::filesystem::remove(Path);
  int told = 0;
  for (int look = 1; look <= 6; ++look) told += Session.Tick(look * DiskPollInterval).Error.empty() ? 0 : 1;
  EXPECT_EQ(told, 1);
  EXPECT_EQ(Doc.Text(), Original) << "the text stays";
  std::string reason;
  EXPECT_TRUE(Session.Save(reason)) << reason;
  EXPECT_EQ(Read(Path), Original) << "a save writes it again";
}
