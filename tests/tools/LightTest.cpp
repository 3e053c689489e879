// The white-out measure: shares of frames whose white is known, the report
// and the program run on a folder of frames with a track whose flash is on
// in one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "Light.h"
#include "platform/PngFile.h"
#include "support/TempDir.h"

namespace {
struct Frame {
  int Width, Height;
  std::vector<uint8_t> Rgb;  // top row first
  Frame(int w, int h, uint8_t level = 0) : Width(w), Height(h), Rgb(static_cast<size_t>(w) * h * 3, level) {}
  void Fill(int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        uint8_t* p = &Rgb[(static_cast<size_t>(y) * Width + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
      }
  }
  double White() const { return WhiteShare(Rgb.data(), Width, Height); }
};
}  // namespace

TEST(WhiteShare, CountsInnerPixelsWithAllThreeChannelsAtFullWhite) {
  Frame frame(800, 600);
  EXPECT_EQ(frame.White(), 0);
  // The bars (rows 0 to 74 and 525 to 599) do not count.
  frame.Fill(0, 0, 800, 75, 255, 255, 255);
  frame.Fill(0, 525, 800, 600, 255, 255, 255);
  EXPECT_EQ(frame.White(), 0);
  // The upper half of the 450 rows between them, at exactly the level.
  frame.Fill(0, 75, 800, 300, 250, 250, 250);
  EXPECT_DOUBLE_EQ(frame.White(), 0.5);
  // One channel just below the level, or a bright colour, is not white.
  frame.Fill(0, 75, 400, 300, 255, 255, 249);
  frame.Fill(400, 75, 800, 300, 255, 250, 0);
  EXPECT_EQ(frame.White(), 0);
  Frame all(800, 600, 255);
  EXPECT_DOUBLE_EQ(all.White(), 1);
}

TEST(WhiteShare, OnlyThePicturesRectangleOfOtherSizes) {
  // 1920 x 1080: the picture is 1440 x 1080 from column 240, its bars 135 rows.
  Frame wide(1920, 1080);
  wide.Fill(0, 0, 240, 1080, 255, 255, 255);
  wide.Fill(1680, 0, 1920, 1080, 255, 255, 255);
  EXPECT_EQ(wide.White(), 0);
  wide.Fill(240, 135, 960, 945, 255, 255, 255);
  EXPECT_DOUBLE_EQ(wide.White(), 0.5);
  const TPixelRect inner = InnerRect(1920, 1080);
  EXPECT_EQ(inner.X, 240);
  EXPECT_EQ(inner.Y, 135);
  EXPECT_EQ(inner.Width, 1440);
  EXPECT_EQ(inner.Height, 810);
  Frame none(0, 0);
  EXPECT_EQ(none.White(), 0) << "no pixels, no share";
}

TEST(LightReport, ListsFramesAboveTheLimitAndTellsTheFlashApart) {
  std::vector<TLightFrame> frames = {
      {0, 10.0, 0.05, 0, false}, {1, 10.25, 0.40, 0.8f, true}, {2, 10.5, 0.20, 0, false}, {3, 10.75, 0.15, 0, false}};
  const TLightSummary summary = SummariseLight(frames, 0.15);
  EXPECT_EQ(summary.Frames, 4);
  EXPECT_EQ(summary.Above, 2) << "exactly at the limit is not above it";
  EXPECT_EQ(summary.AboveInFlash, 1);
  ASSERT_NE(summary.Worst, nullptr);
  EXPECT_EQ(summary.Worst->Index, 2) << "the flash's frame is not the worst";
  EXPECT_EQ(LightReport(frames, 0.15, 2),
            "2 of 4 frames above 15.0% full white (1 of them in the white flash)\n"
            "  frame 000001     10.25 s   40.0%  flash 0.80\n"
            "  frame 000002     10.50 s   20.0%\n"
            "The whitest frames outside the white flash:\n"
            "  frame 000002     10.50 s   20.0%\n"
            "  frame 000003     10.75 s   15.0%\n");
  EXPECT_EQ(SummariseLight({}, 0.15).Worst, nullptr);
}

namespace {
// Runs the program in dir; its output in out.txt, its exit status returned.
int RunLight(const TempDir& dir, const std::string& arguments) {
  const std::string command =
      "cd '" + dir.Path() + "' && '" VEMLA_LIGHT_PROGRAM "' " + arguments + " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
}  // namespace

// Three frames at 2 a second from 1 s; the flash is on at 1.5 s only.
TEST(LightProgram, MeasuresACaptureFolderWithItsTimes) {
  TempDir dir;
  std::vector<uint8_t> track;
  AppendInt32(track, 1);
  AppendInt32(track, 10);
  AppendInt32(track, 15);  // 15 x 16 samples a minute: one every 0.25 s from 0
  for (int k = 0; k < 10; ++k) AppendFloat(track, k == 0 ? std::numeric_limits<float>::quiet_NaN() : k == 6 ? 0.9f : 0);
  dir.Write("demo.vrk", track);
  std::filesystem::create_directory(dir.Path() + "/frames");
  for (int k = 0; k < 3; ++k) {
    Frame frame(800, 600);
    // 0%, 30% and 20% of the inner rows at full white.
    const int rows = k == 0 ? 0 : k == 1 ? 135 : 90;
    frame.Fill(0, 75, 800, 75 + rows, 255, 255, 255);
    std::vector<uint8_t> bottomUp(frame.Rgb.size());
    for (int y = 0; y < 600; ++y)
      std::copy_n(&frame.Rgb[static_cast<size_t>(599 - y) * 2400], 2400, &bottomUp[static_cast<size_t>(y) * 2400]);
    std::string reason;
    ASSERT_TRUE(WritePngBottomUp(dir.Path() + "/frames/frame-00000" + std::to_string(k) + ".png", 800, 600,
                                 bottomUp.data(), reason));
  }
  dir.Write("frames/notes.txt", {'x'});
  EXPECT_EQ(RunLight(dir, "frames --from 1 --fps 2 --worst 1"), 1);
  EXPECT_EQ(ReadText(dir.Path() + "/out.txt"),
            "2 of 3 frames above 15.0% full white (1 of them in the white flash)\n"
            "  frame 000001      1.50 s   30.0%  flash 0.90\n"
            "  frame 000002      2.00 s   20.0%\n"
            "The whitest frames outside the white flash:\n"
            "  frame 000002      2.00 s   20.0%\n");
  EXPECT_EQ(RunLight(dir, "frames --from 1 --fps 2 --limit 25"), 0) << "only the flash's frame is above 25%";

  EXPECT_EQ(RunLight(dir, "frames --track none.vrk"), 2);
  EXPECT_NE(ReadText(dir.Path() + "/err.txt").find("Cannot read the track none.vrk"), std::string::npos);
  EXPECT_EQ(RunLight(dir, "nowhere"), 2);
  EXPECT_EQ(RunLight(dir, "frames --limit 101"), 2);
  dir.Write("frames/frame-000003.png", {1, 2, 3});
  EXPECT_EQ(RunLight(dir, "frames"), 2);
  EXPECT_NE(ReadText(dir.Path() + "/err.txt").find("frame-000003.png"), std::string::npos);
}
