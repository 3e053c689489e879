// The program capturing frames, started as a user would start it, in a
// temporary run directory that borrows the staged content.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <limits>

#include "support/RunDirectory.h"

namespace fs = std::filesystem;

namespace {
struct Picture {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;  // top row first
};

Picture ReadPng(const std::string& path) {
  Picture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  picture.Rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.Rgb.data(), 0, nullptr)) return Picture{};
  picture.Width = static_cast<int>(image.width);
  picture.Height = static_cast<int>(image.height);
  return picture;
}

// Share of the pixels between the letterbox bars (rows 75 to 524 from the
// top) that are not dark.
double LitShare(const Picture& p) {
  int lit = 0;
  for (int y = 75; y < 525; ++y)
    for (int x = 0; x < 800; ++x) {
      const uint8_t* c = &p.Rgb[(static_cast<size_t>(y) * 800 + x) * 3];
      if (c[0] > 24 || c[1] > 24 || c[2] > 24) ++lit;
    }
  return lit / (800.0 * 450.0);
}

bool BarsBlack(const Picture& p) {
  for (int y : {0, 40, 74, 525, 560, 599})
    for (int x = 0; x < 800; ++x)
      for (int k = 0; k < 3; ++k)
        if (p.Rgb[(static_cast<size_t>(y) * 800 + x) * 3 + k] != 0) return false;
  return true;
}

class CaptureRun : public ::testing::Test {
 protected:
  // A track of 11 channels, 4 s long, where only one channel holds a number.
  void UseTrackWithOnly(int channel, float value) {
    std::vector<uint8_t> bytes;
    const int samples = 4 * 157 * 16 / 60;
    AppendInt32(bytes, 11);
    AppendInt32(bytes, samples);
    AppendInt32(bytes, 157);
    for (int c = 0; c < 11; ++c)
      for (int k = 0; k < samples; ++k)
        AppendFloat(bytes, c == channel ? value : std::numeric_limits<float>::quiet_NaN());
    Dir.Write("demo.vrk", bytes);
  }

  RunDirectory Dir{VEMLA_PROGRAM, VEMLA_STAGE_DIR};
};
}  // namespace

TEST_F(CaptureRun, SameSpanTwiceGivesByteIdenticalFrames) {
  Dir.UseStagedTrack();
  // Across two beats of the glowing nest, whose camera jumps at random.
  ASSERT_EQ(Dir.Run("--capture a --from 28 --to 29.25 --fps 4"), 0) << Dir.Stderr();
  ASSERT_EQ(Dir.Run("--capture b --from 28 --to 29.25 --fps 4"), 0) << Dir.Stderr();
  const std::vector<std::string> names = Dir.Files("a");
  ASSERT_EQ(names, (std::vector<std::string>{"frame-000000.png", "frame-000001.png", "frame-000002.png",
                                             "frame-000003.png", "frame-000004.png"}));
  EXPECT_EQ(Dir.Files("b"), names);
  for (const std::string& name : names) EXPECT_EQ(Dir.Read("a/" + name), Dir.Read("b/" + name)) << name;
  const Picture first = ReadPng(Dir.Path("a/frame-000000.png"));
  EXPECT_EQ(first.Width, 800);
  EXPECT_EQ(first.Height, 600);
  EXPECT_TRUE(BarsBlack(first));
  EXPECT_NE(Dir.Read("a/frame-000000.png"), Dir.Read("a/frame-000004.png"));
}

TEST_F(CaptureRun, EachSceneChannelAloneShowsItsScene) {
  for (int channel : {1, 2, 3, 4, 5, 8, 9}) {
    UseTrackWithOnly(channel, 0.5f);
    const std::string folder = "c" + std::to_string(channel);
    ASSERT_EQ(Dir.Run("--capture " + folder + " --from 1 --to 1"), 0) << Dir.Stderr();
    ASSERT_EQ(Dir.Files(folder), std::vector<std::string>{"frame-000000.png"});
    const Picture frame = ReadPng(Dir.Path(folder + "/frame-000000.png"));
    ASSERT_EQ(frame.Width, 800) << "channel " << channel;
    EXPECT_GT(LitShare(frame), 0.05) << "channel " << channel;
    EXPECT_TRUE(BarsBlack(frame)) << "channel " << channel;
  }
}

TEST_F(CaptureRun, CommandLineErrorsEndWithStatusTwoAndWriteNothing) {
  Dir.UseStagedTrack();
  Dir.Write("plain-file", {1});
  const struct {
    const char* Arguments;
    const char* Says;
  } cases[] = {
      {"--capture out --fps 0", "--fps must be more than 0"},
      {"--capture out --from x", "--from takes a number, not \"x\""},
      {"--capture out --from 5 --to 3", "--from 5 is after --to 3"},
      {"--capture out --from 500", "--from 500 is after the end of the track"},
      {"--capture plain-file/out", "Cannot write frames into plain-file/out"},
      {"--capture", "--capture needs a folder"},
      {"--capture out --size 100x100", "--size must be from 320x240 to 3840x2160, not 100x100"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Dir.Run(c.Arguments), 2) << c.Arguments;
    EXPECT_NE(Dir.Stderr().find(c.Says), std::string::npos) << c.Arguments << ": " << Dir.Stderr();
    EXPECT_FALSE(fs::exists(Dir.Path("out"))) << c.Arguments;
  }
}

TEST_F(CaptureRun, WholeDemoNeverStaysDarkForMoreThanTwoSeconds) {
  Dir.UseStagedTrack();
  ASSERT_EQ(Dir.Run("--capture all --fps 1"), 0) << Dir.Stderr();
  const std::vector<std::string> names = Dir.Files("all");
  ASSERT_GT(names.size(), 120u);
  int darkRun = 0, longest = 0;
  std::string where;
  for (size_t k = 3; k + 3 < names.size(); ++k) {
    const Picture frame = ReadPng(Dir.Path("all/" + names[k]));
    ASSERT_TRUE(BarsBlack(frame)) << names[k];
    darkRun = LitShare(frame) < 0.01 ? darkRun + 1 : 0;
    if (darkRun > longest) {
      longest = darkRun;
      where = names[k];
    }
  }
  EXPECT_LE(longest, 2) << "dark frames up to " << where;
}

// Frames of another size are drawn at that size: 1920 x 1080 holds the
// picture 1440 x 1080 in the middle with black sides, and 1600 x 1200,
// scaled down, is the 800 x 600 frame of the same time, sharper.
TEST_F(CaptureRun, LargerFramesHoldTheSamePictureDrawnSharper) {
  Dir.UseStagedTrack();
  // The glowing nest at 30 s and the stamp room at 98 s.
  const char* span = " --from 30 --to 130 --fps 1/68";
  ASSERT_EQ(Dir.Run(std::string("--capture small") + span), 0) << Dir.Stderr();
  ASSERT_EQ(Dir.Run(std::string("--capture large --size 1600x1200") + span), 0) << Dir.Stderr();
  ASSERT_EQ(Dir.Files("large"), Dir.Files("small"));
  ASSERT_EQ(Dir.Files("large").size(), 2u);
  for (const std::string& name : Dir.Files("large")) {
    ASSERT_EQ(ReadPng(Dir.Path("large/" + name)).Width, 1600);
    ASSERT_EQ(Dir.Shell("ffmpeg -v info -nostdin -i large/" + name + " -i small/" + name +
                        " -lavfi '[0]scale=800:600:flags=area[a];[a][1]ssim' -f null - 2>&1 | "
                        "grep -o 'All:[0-9.]*' | cut -d: -f2 >ssim.txt"),
              0);
    EXPECT_GE(std::stod("0" + Dir.Read("ssim.txt")), 0.9) << name;
  }

  ASSERT_EQ(Dir.Run("--capture wide --size 1920x1080 --from 30 --to 30"), 0) << Dir.Stderr();
  const Picture wide = ReadPng(Dir.Path("wide/frame-000000.png"));
  ASSERT_EQ(wide.Width, 1920);
  ASSERT_EQ(wide.Height, 1080);
  auto columnLit = [&](int x) {
    int lit = 0;
    for (int y = 0; y < 1080; ++y) lit += wide.Rgb[(static_cast<size_t>(y) * 1920 + x) * 3 + 1] != 0;
    return lit;
  };
  for (int x : {0, 120, 239, 1680, 1919}) EXPECT_EQ(columnLit(x), 0) << "column " << x;
  EXPECT_GT(columnLit(960), 0);
  // The letterbox bars are 135 of the 1080 rows.
  for (int y : {0, 134, 945, 1079})
    for (int x = 240; x < 1680; ++x) ASSERT_EQ(wide.Rgb[(static_cast<size_t>(y) * 1920 + x) * 3], 0) << y;
}
