// The command line: every option, the seed's word rule for "-vrt" and "-w",
// unknown options and bad numbers.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/CommandLine.h"

namespace {
std::string ErrorOf(std::vector<const char*> words, TCommandLine& line) {
  words.insert(words.begin(), "vemla");
  auto error = ParseCommandLine(static_cast<int>(words.size()), words.data(), line);
  return error ? error->Text : "";
}

std::string ErrorOf(std::vector<const char*> words) {
  TCommandLine line;
  return ErrorOf(std::move(words), line);
}
}  // namespace

TEST(CommandLine, ReadsEveryOption) {
  TCommandLine line;
  EXPECT_EQ(ErrorOf({"-w", "--desktop", "--no-vsync", "--stats", "--start", "12.5", "--help", "--version"}, line), "");
  EXPECT_TRUE(line.Windowed);
  EXPECT_TRUE(line.Desktop);
  EXPECT_FALSE(line.Vsync);
  EXPECT_TRUE(line.Stats);
  EXPECT_TRUE(line.Help);
  EXPECT_TRUE(line.Version);
  EXPECT_DOUBLE_EQ(line.Start, 12.5);
  EXPECT_FALSE(line.Server);

  TCommandLine plain;
  EXPECT_EQ(ErrorOf({}, plain), "");
  EXPECT_TRUE(plain.Vsync);
  EXPECT_FALSE(plain.Windowed || plain.Desktop || plain.Stats || plain.Help || plain.Server);
  EXPECT_EQ(plain.Start, 0);
}

TEST(CommandLine, SeedWordsCountOnlyAsWordsZeroToTwo) {
  TCommandLine late;
  EXPECT_EQ(ErrorOf({"--stats", "--desktop", "-vrt", "-w"}, late), "") << "later, they are passed over";
  EXPECT_FALSE(late.Server);
  EXPECT_FALSE(late.Windowed);
  TCommandLine early;
  EXPECT_EQ(ErrorOf({"-w", "-vrt", "--stats"}, early), "");
  EXPECT_TRUE(early.Server);
  EXPECT_TRUE(early.Windowed);
  EXPECT_EQ(ErrorOf({"-VRT"}), "Unknown option -VRT; see --help");
  EXPECT_EQ(ErrorOf({"-vrtx"}), "Unknown option -vrtx; see --help");
  EXPECT_EQ(ErrorOf({"vrt", "plain-word"}), "") << "words without a dash are passed over";
}

TEST(CommandLine, UnknownOptionsAreNamed) {
  EXPECT_EQ(ErrorOf({"--bogus"}), "Unknown option --bogus; see --help");
  EXPECT_EQ(ErrorOf({"-"}), "Unknown option -; see --help");
  EXPECT_EQ(ErrorOf({"--stats", "--help=1"}), "Unknown option --help=1; see --help");
}

TEST(CommandLine, BadNumbersNameTheirOption) {
  EXPECT_EQ(ErrorOf({"--start", "abc"}), "--start takes a number, not \"abc\"");
  EXPECT_EQ(ErrorOf({"--start", "nan"}), "--start takes a number, not \"nan\"");
  EXPECT_EQ(ErrorOf({"--start", "-3"}), "--start must be 0 seconds or more, not -3");
  EXPECT_EQ(ErrorOf({"--start"}), "--start needs a number of seconds");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--start", "5"}), "--start is for playing; a capture begins at --from");
}

TEST(CommandLine, StillShowsOneFrameOnItsOwn) {
  TCommandLine line;
  EXPECT_EQ(ErrorOf({"--still", "30.5", "-w"}, line), "");
  ASSERT_TRUE(line.Still);
  EXPECT_DOUBLE_EQ(*line.Still, 30.5);
  TCommandLine plain;
  EXPECT_EQ(ErrorOf({}, plain), "");
  EXPECT_FALSE(plain.Still);
  EXPECT_EQ(ErrorOf({"--still"}), "--still needs a number of seconds");
  EXPECT_EQ(ErrorOf({"--still", "-1"}), "--still must be 0 seconds or more, not -1");
  const std::string alone = "--still shows one frame on its own; it goes with neither --capture, --start nor -vrt";
  EXPECT_EQ(ErrorOf({"--still", "3", "--capture", "out"}), alone);
  EXPECT_EQ(ErrorOf({"--still", "3", "--start", "2"}), alone);
  EXPECT_EQ(ErrorOf({"-vrt", "--still", "3"}), alone);
}

TEST(CommandLine, HelpNamesEveryOptionAndTheKeys) {
  const std::string help = UsageText();
  for (const char* word : {"-w ", "-vrt", "--desktop", "--no-vsync", "--start", "--stats", "--capture", "--from",
                           "--to", "--fps", "--lossless", "--size", "--still", ".wav", "--help", "--version", "Escape", "demo.vrk", "data/"})
    EXPECT_NE(help.find(word), std::string::npos) << word;
}
