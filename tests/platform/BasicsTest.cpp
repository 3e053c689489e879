// The small platform services: files, messages, random numbers, GLU loading.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/Clock.h"
#include "platform/GLLibraries.h"
#include "platform/Message.h"
#include "platform/PngFile.h"
#include "platform/Random.h"
#include "platform/Stream.h"
#include "support/TempDir.h"

TEST(Stream, ReadsAndReportsTheStandardErrors) {
  TempDir dir;
  std::string path = dir.Write("five.bin", {1, 2, 3, 4, 5});
  TFileStream stream(path);
  EXPECT_EQ(stream.Size(), 5);
  uint8_t buffer[8] = {};
  stream.ReadBuffer(buffer, 3);
  EXPECT_EQ(buffer[2], 3);
  EXPECT_EQ(stream.Position(), 3);
  EXPECT_EQ(stream.Read(buffer, 8), 2);
  stream.Seek(1);
  EXPECT_THROW(stream.ReadBuffer(buffer, 5), EReadError);
  try {
    TFileStream missing(dir.Path() + "/missing.bin");
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.Path() + "/missing.bin");
  }
  EXPECT_THROW(TFileStream{dir.Path()}, EFOpenError) << "a directory is no file";
}

TEST(Stream, BackslashNamesOpenAsPaths) {
  TempDir dir;
  dir.Write("vemla/load.bin", {7});
  EXPECT_EQ(PlatformPath("vemla\\load.jpg"), "vemla/load.jpg");
  TFileStream stream(dir.Path() + "/vemla\\load.bin");
  EXPECT_EQ(stream.FileName(), dir.Path() + "/vemla\\load.bin") << "the name is kept as given";
  EXPECT_EQ(stream.Size(), 1);
}

TEST(Message, RecorderTakesCaptionAndText) {
  StartRecordingMessages();
  ShowMessage("Error", "Unable to create window!");
  ASSERT_EQ(RecordedMessages().size(), 1u);
  EXPECT_EQ(RecordedMessages()[0].Caption, "Error");
  EXPECT_EQ(RecordedMessages()[0].Text, "Unable to create window!");
  StopRecordingMessages();
}

namespace {
TimeOfDay FixedTime() { return TimeOfDay{13, 45, 30, 250}; }
}  // namespace

TEST(Random, DrawsTheLinearCongruentialSequence) {
  RandSeed = 0;
  EXPECT_EQ(RandomFloat(), 1.0 / 4294967296.0);
  EXPECT_EQ(RandSeed, 1u);
  EXPECT_EQ(RandomFloat(), 134775814.0 / 4294967296.0);
  RandSeed = 0xFFFFFFFFu;
  double top = RandomFloat();  // 0xFFFFFFFF * 134775813 + 1 wraps
  EXPECT_EQ(RandSeed, 0xFFFFFFFFu * 134775813u + 1u);
  EXPECT_LT(top, 1.0);
  for (int k = 0; k < 1000; ++k) {
    double v = RandomFloat();
    ASSERT_GE(v, 0.0);
    ASSERT_LT(v, 1.0);
  }
}

TEST(Random, ReseedsFromTheUtcTimeOfDay) {
  SetTimeOfDaySource(FixedTime);
  Randomize();
  EXPECT_EQ(RandSeed, static_cast<uint32_t>(((13 * 60 + 45) * 60 + 30) * 1000 + 250));
  SetTimeOfDaySource(nullptr);
  TimeOfDay now = CurrentUtcTimeOfDay();
  EXPECT_LT(now.Hour, 24);
  EXPECT_LT(now.Millisecond, 1000);
}

TEST(GLLibraries, MissingGLUEndsWithItsMessage) {
  try {
    LoadGLULibrary("libGLU-not-here.so.1");
    FAIL();
  } catch (const EGLLibraryError& e) {
    EXPECT_STREQ(e.what(), "Could not load GLu from libGLU-not-here.so.1");
  }
  EXPECT_FALSE(GLULoaded());
  EXPECT_EQ(gluBuild2DMipmaps(0, 0, 0, 0, 0, 0, nullptr), 1) << "calls before loading do nothing";
  LoadGLLibraries();
  EXPECT_TRUE(GLULoaded());
  UnloadGLLibraries();
  EXPECT_FALSE(GLULoaded());
}

TEST(PngFile, AFailedWriteSaysTheSystemsReasonAndLeavesNoFile) {
  // /dev/full fails every write as a full disk does.
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  TempDir dir;
  const std::string path = dir.Path() + "/frame-000005.png";
  std::filesystem::create_symlink("/dev/full", path);
  const std::vector<uint8_t> pixels(64 * 64 * 3, 128);
  std::string reason;
  EXPECT_FALSE(WritePngBottomUp(path, 64, 64, pixels.data(), reason));
  EXPECT_EQ(reason, "No space left on device");
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}
