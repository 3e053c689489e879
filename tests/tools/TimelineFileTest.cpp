// Files replaced all at once, and the timeline's file: saves only of texts
// that read, the previous file kept, failed writes that leave the old file
// whole and say why, the recovery file, and changes made by others.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "TimelineFile.h"
#include "platform/WholeFile.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {
std::string Read(const std::string& path) {
  std::string text, reason;
  EXPECT_TRUE(ReadWholeFile(path, text, reason)) << reason;
  return text;
}

void Write(const std::string& path, const std::string& text) {
  std::string reason;
  ASSERT_TRUE(ReplaceFile(path, text, false, reason)) << reason;
}

// The folder's entries but the given ones: what a failed write left behind.
std::vector<std::string> Others(const std::string& folder, const std::vector<std::string>& known) {
  std::vector<std::string> others;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
  }
  return others;
}

const std::string Good = "channel flash\n0 1 linear\n1 0\n";
}  // namespace

TEST(WholeFile, ReplacesTheFileAndKeepsThePreviousOneWhenAsked) {
  TempDir dir;
  const std::string path = dir.Path() + "/a.timeline";
  std::string reason;
  ASSERT_TRUE(ReplaceFile(path, "first", true, reason)) << reason;
  EXPECT_FALSE(fs::exists(path + "~")) << "there was no previous file";
  ASSERT_TRUE(ReplaceFile(path, "second", true, reason)) << reason;
  ASSERT_TRUE(ReplaceFile(path, "third\r\n", true, reason)) << reason;
  EXPECT_EQ(Read(path), "third\r\n");
  EXPECT_EQ(Read(path + "~"), "second");
  ASSERT_TRUE(ReplaceFile(path, "", false, reason)) << reason;
  EXPECT_EQ(Read(path), "");
  EXPECT_EQ(Read(path + "~"), "second") << "not asked to keep it this time";
  EXPECT_EQ(Others(dir.Path(), {"a.timeline", "a.timeline~"}), std::vector<std::string>{});
}

TEST(WholeFile, ALinkedFileIsReplacedWhereItLies) {
  TempDir dir;
  fs::create_directory(dir.Path() + "/real");
  Write(dir.Path() + "/real/t.timeline", "old");
  std::error_code error;
  fs::create_symlink(dir.Path() + "/real/t.timeline", dir.Path() + "/link.timeline", error);
  if (error) GTEST_SKIP() << "this system makes no symbolic links: " << error.message();
  std::string reason;
  ASSERT_TRUE(ReplaceFile(dir.Path() + "/link.timeline", "new", true, reason)) << reason;
  EXPECT_TRUE(fs::is_symlink(dir.Path() + "/link.timeline"));
  EXPECT_EQ(Read(dir.Path() + "/real/t.timeline"), "new");
  EXPECT_EQ(Read(dir.Path() + "/real/t.timeline~"), "old");
}

// /dev/full fails every write as a full disk does: here the temporary file
// lands on it, so the write of the new text fails after the file was opened.
TEST(WholeFile, AFullDiskLeavesTheOldFileWholeAndNoTemporaryFile) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  TempDir dir;
  const std::string path = dir.Path() + "/demo.timeline";
  Write(path, "old text");
  fs::create_symlink("/dev/full", ReplacementPathOf(path));
  std::string reason;
  EXPECT_FALSE(ReplaceFile(path, "new text", true, reason));
  EXPECT_EQ(reason, "No space left on device");
  EXPECT_EQ(Read(path), "old text");
  EXPECT_FALSE(fs::exists(fs::symlink_status(ReplacementPathOf(path))));
  EXPECT_FALSE(fs::exists(path + "~")) << "the previous file is kept only by a save that succeeds";
  EXPECT_TRUE(fs::exists("/dev/full"));

  // A path that is itself a link to the device is written straight through.
  const std::string device = dir.Path() + "/device.timeline";
  fs::create_symlink("/dev/full", device);
  EXPECT_FALSE(ReplaceFile(device, "text", true, reason));
  EXPECT_EQ(reason, "No space left on device");
  EXPECT_TRUE(fs::is_symlink(device));
  EXPECT_EQ(Others(dir.Path(), {"demo.timeline", "device.timeline"}), std::vector<std::string>{});
}

// Places no one can write to, even an administrator: a folder that is a
// file, a temporary file's name taken by a folder, a file that is a folder.
TEST(WholeFile, UnwritablePlacesSayWhyAndLeaveTheOldFile) {
  TempDir dir;
  Write(dir.Path() + "/plain", "a file");
  std::string reason;
  EXPECT_FALSE(ReplaceFile(dir.Path() + "/plain/demo.timeline", "text", true, reason));
  EXPECT_FALSE(reason.empty());
#ifndef _WIN32
  EXPECT_EQ(reason, "Not a directory");
#endif

  const std::string path = dir.Path() + "/demo.timeline";
  Write(path, "old text");
  fs::create_directory(ReplacementPathOf(path));
  reason.clear();
  EXPECT_FALSE(ReplaceFile(path, "new text", true, reason));
  EXPECT_EQ(reason, "Is a directory");
  EXPECT_EQ(Read(path), "old text");
  EXPECT_TRUE(fs::is_directory(ReplacementPathOf(path))) << "what was there is not removed";
  fs::remove(ReplacementPathOf(path));

  fs::create_directory(path + "~");
  fs::create_directory(path + "~/inside");
  reason.clear();
  EXPECT_FALSE(ReplaceFile(path, "new text", true, reason)) << "the previous file cannot be kept";
  EXPECT_EQ(reason.rfind("cannot keep the previous file as ", 0), 0u) << reason;
  EXPECT_EQ(Read(path), "old text");
  EXPECT_FALSE(fs::exists(ReplacementPathOf(path)));
  EXPECT_FALSE(ReplaceFile(dir.Path(), "text", false, reason)) << "a folder is no file";
  EXPECT_EQ(reason, "Is a directory");
}

TEST(TimelineFile, SavesOnlyTextsThatReadAndKeepsThePreviousFile) {
  TempDir dir;
  TimelineFile file(dir.Path() + "/demo.timeline");
  std::string reason, text;
  EXPECT_FALSE(file.Read(text, reason));
  EXPECT_EQ(reason, "Cannot open file " + dir.Path() + "/demo.timeline");
  ASSERT_TRUE(file.Save(Good, reason)) << reason;
  EXPECT_FALSE(file.Save("channel flash\n1 1\n0 0\n", reason));
  EXPECT_EQ(reason.rfind("line 3: ", 0), 0u) << reason;
  EXPECT_EQ(Read(file.Path()), Good);
  ASSERT_TRUE(file.Save(Good + "2 off\n", reason)) << reason;
  EXPECT_EQ(Read(file.BackupPath()), Good);
  ASSERT_TRUE(file.Read(text, reason));
  EXPECT_EQ(text, Good + "2 off\n");

  // Another demo's channels read in their own layout.
  TimelineFile other(dir.Path() + "/other.timeline", TrackLayout{{"cam"}, 4, 4, 64});
  EXPECT_TRUE(other.Save("channel cam\n3:3:3 1\n", reason)) << reason;
  EXPECT_FALSE(other.Save("channel flash\n0 1\n", reason));
}

TEST(TimelineFile, NoticesWhenTheFileChangesOnDisk) {
  TempDir dir;
  TimelineFile file(dir.Path() + "/demo.timeline");
  std::string reason, text;
  Write(file.Path(), Good);
  EXPECT_TRUE(file.ChangedOnDisk()) << "not read yet";
  ASSERT_TRUE(file.Read(text, reason));
  EXPECT_FALSE(file.ChangedOnDisk());
  Write(file.Path(), Good + "# another editor\n");
  EXPECT_TRUE(file.ChangedOnDisk());
  ASSERT_TRUE(file.Save(Good, reason)) << reason;
  EXPECT_FALSE(file.ChangedOnDisk()) << "its own save";
  fs::remove(file.Path());
  EXPECT_TRUE(file.ChangedOnDisk());
}

TEST(TimelineFile, TheRecoveryFileIsOfferedWhileItHoldsNewerUnsavedText) {
  TempDir dir;
  TimelineFile file(dir.Path() + "/demo.timeline");
  std::string reason;
  // Compared as paths: Windows spells the same place with either separator.
  const fs::path expected = fs::path(dir.Path()) / ".demo.timeline.recovery";
  EXPECT_TRUE(fs::path(file.RecoveryPath()) == expected) << file.RecoveryPath() << " is not " << expected.string();
  EXPECT_FALSE(file.Recovery());
  ASSERT_TRUE(file.WriteRecovery("channel flash\n0 unsaved\n", reason)) << reason;
  EXPECT_EQ(file.Recovery(), "channel flash\n0 unsaved\n") << "no file yet: the recovery is all there is";
  ASSERT_TRUE(file.Save(Good, reason)) << reason;
  EXPECT_FALSE(fs::exists(file.RecoveryPath())) << "a save removes it";

  ASSERT_TRUE(file.WriteRecovery(Good, reason));
  EXPECT_FALSE(file.Recovery()) << "the same as the file";
  ASSERT_TRUE(file.WriteRecovery(Good + "3 1\n", reason));
  EXPECT_EQ(file.Recovery(), Good + "3 1\n");
  fs::last_write_time(file.RecoveryPath(), fs::last_write_time(file.Path()) - std::chrono::hours(1));
  EXPECT_FALSE(file.Recovery()) << "older than the file, which was saved since";
  file.DiscardRecovery();
  EXPECT_FALSE(fs::exists(file.RecoveryPath()));
  EXPECT_EQ(Others(dir.Path(), {"demo.timeline"}), std::vector<std::string>{});
}
