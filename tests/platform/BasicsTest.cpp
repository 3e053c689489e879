// The small platform services: files, messages, random numbers, GLU loading.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// What is written comes back top row first; what is not a whole PNG is
// refused with a reason.
TEST(PngFile, ReadsBackWhatItWroteAndRefusesTheRest) {
  TempDir dir;
  const std::string path = dir.Path() + "/p.png";
  std::vector<uint8_t> bottomUp(5 * 3 * 3);
  for (size_t k = 0; k < bottomUp.size(); ++k) bottomUp[k] = static_cast<uint8_t>(k * 7);
  std::string reason;
  ASSERT_TRUE(WritePngBottomUp(path, 5, 3, bottomUp.data(), reason)) << reason;
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  ASSERT_TRUE(ReadPngFile(path, width, height, rgb, reason)) << reason;
  EXPECT_EQ(width, 5);
  EXPECT_EQ(height, 3);
  ASSERT_EQ(rgb.size(), bottomUp.size());
  for (int y = 0; y < 3; ++y)
    EXPECT_TRUE(std::equal(rgb.begin() + y * 15, rgb.begin() + y * 15 + 15, bottomUp.begin() + (2 - y) * 15)) << y;

  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (size_t cut : {size_t{0}, size_t{8}, size_t{40}, bytes.size() - 13}) {
    reason.clear();
    EXPECT_FALSE(ReadPngImage(bytes.data(), cut, width, height, rgb, reason)) << cut;
    EXPECT_FALSE(reason.empty()) << cut;
  }
  reason.clear();
  EXPECT_FALSE(ReadPngFile(dir.Path() + "/none.png", width, height, rgb, reason));
  EXPECT_EQ(reason, "No such file or directory");
}
