// How a show looks to its audience: white-outs, the slides' legibility, flat
// and dark frames, each measured on frames whose answer is known, the
// report, the program run on a folder of frames with a track whose flash
// is on in one of them, and the staged show captured whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "Legibility.h"
#include "Light.h"
#include "Tone.h"
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

namespace {
bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }
}  // namespace

TEST(LightReport, ListsFramesAboveTheLimitAndTellsTheFlashApart) {
  std::vector<TLightFrame> frames(4);
  const double whites[] = {0.05, 0.40, 0.20, 0.15};
  for (int k = 0; k < 4; ++k) {
    frames[k].Index = k;
    frames[k].Time = 10 + 0.25 * k;
    frames[k].White = whites[k];
    frames[k].Tone = {40, 200, 0.9, 120};
  }
  frames[1].Flash = true;
  frames[1].FlashStrength = 0.8f;
  const TLightSummary summary = SummariseLight(frames, TLightLimits{});
  EXPECT_EQ(summary.Frames, 4);
  EXPECT_EQ(summary.Above, 2) << "exactly at the limit is not above it";
  EXPECT_EQ(summary.AboveInFlash, 1);
  ASSERT_NE(summary.Worst, nullptr);
  EXPECT_EQ(summary.Worst->Index, 2) << "the flash's frame is not the worst";
  EXPECT_FALSE(summary.Passes());
  EXPECT_TRUE(StartsWith(LightReport(frames, TLightLimits{}, 2),
                         "2 of 4 frames above 15.0% full white (1 of them in the white flash)\n"
                         "  frame 000001     10.25 s   40.0%  flash 0.80\n"
                         "  frame 000002     10.50 s   20.0%\n"
                         "The whitest frames outside the white flash:\n"
                         "  frame 000002     10.50 s   20.0%\n"
                         "  frame 000003     10.75 s   15.0%\n"
                         "0 of 0 frames with a slide at 0.50 or more have less than 95% of its text readable\n"));
  EXPECT_EQ(SummariseLight({}, TLightLimits{}).Worst, nullptr);
  EXPECT_TRUE(SummariseLight({}, TLightLimits{}).Passes());
}

// Slides at 0.5 or more must read; flat frames fail outside the flash and
// the fades; dark frames fail only as a stretch longer than two seconds
// outside the fades.
TEST(LightReport, TellsUnreadableSlidesFlatFramesAndLongDarkStretches) {
  std::vector<TLightFrame> frames;
  for (int k = 0; k < 20; ++k) {
    TLightFrame frame;
    frame.Index = k;
    frame.Time = 0.5 * k;
    frame.Tone = {30, 220, 0.8, 100};
    frames.push_back(frame);
  }
  TLightLimits limits;
  limits.FlatSpread = 40;
  frames[1].Slide = 1, frames[1].SlideAlpha = 0.4f, frames[1].Readable = 0.1;    // too faint to count
  frames[2].Slide = 1, frames[2].SlideAlpha = 0.5f, frames[2].Readable = 0.94;   // counts, does not read
  frames[3].Slide = 3, frames[3].SlideAlpha = 1.0f, frames[3].Readable = 0.95;   // reads
  frames[4].Tone = {80, 110, 1, 95};                                             // flat
  frames[5].Tone = {80, 110, 1, 95}, frames[5].Flash = true;                     // flat in the flash
  for (int k = 8; k <= 12; ++k) frames[k].Tone = {0, 40, 0.05, 3};               // dark 2.5 s: fails
  for (int k = 14; k <= 17; ++k) frames[k].Tone = {0, 40, 0.05, 3};              // dark 2.0 s: allowed
  const TLightSummary summary = SummariseLight(frames, limits, 0.5);
  EXPECT_EQ(summary.Slides, 2);
  ASSERT_EQ(summary.Unreadable.size(), 1u);
  EXPECT_EQ(summary.Unreadable[0]->Index, 2);
  ASSERT_EQ(summary.Flat.size(), 1u);
  EXPECT_EQ(summary.Flat[0]->Index, 4);
  ASSERT_EQ(summary.Dark.size(), 1u);
  EXPECT_EQ(summary.Dark[0].First->Index, 8);
  EXPECT_EQ(summary.Dark[0].Last->Index, 12);
  EXPECT_DOUBLE_EQ(summary.Dark[0].Seconds, 2.5);
  EXPECT_FALSE(summary.Passes());
  // A fade over the long stretch and the flat frame: only the slide fails.
  for (int k : {4, 9}) frames[k].Fade = true;
  const TLightSummary faded = SummariseLight(frames, limits, 0.5);
  EXPECT_TRUE(faded.Flat.empty());
  EXPECT_TRUE(faded.Dark.empty()) << "a fade splits the stretch into two short ones";
  EXPECT_EQ(faded.Unreadable.size(), 1u);
  const std::string report = LightReport(frames, limits, 0, 0.5);
  EXPECT_NE(report.find("1 of 2 frames with a slide at 0.50 or more have less than 95% of its text readable\n"
                        "  frame 000002      1.00 s  credits   at 0.50   94.0% of its text reads\n"),
            std::string::npos)
      << report;
}

TEST(Contrast, RelativeLuminanceAndRatiosAsTheWebRuleHasThem) {
  EXPECT_DOUBLE_EQ(RelativeLuminance(0, 0, 0), 0);
  EXPECT_NEAR(RelativeLuminance(255, 255, 255), 1, 1e-12);
  EXPECT_NEAR(RelativeLuminance(128, 128, 128), 0.2158605, 1e-6);
  EXPECT_NEAR(ContrastRatio(1, 0), 21, 1e-12);
  EXPECT_NEAR(ContrastRatio(0, 1), 21, 1e-12);
  EXPECT_NEAR(Luma(255, 0, 0), 0.2126 * 255, 1e-9);
}

namespace {
// A slide of 64 x 64, bottom row first, dark but for a bright block over
// its top-left quarter (rows 32 to 63 of the bottom-up picture).
std::vector<uint8_t> QuarterSlide() {
  std::vector<uint8_t> slide(64 * 64 * 3, 10);
  for (int y = 32; y < 64; ++y)
    for (int x = 0; x < 32; ++x)
      for (int k = 0; k < 3; ++k) slide[(static_cast<size_t>(y) * 64 + x) * 3 + k] = 240;
  return slide;
}

// The same quarter as lines of text: a bright row of the picture, a dark
// one, and so on (lines about seven pixels thick in an 800 x 600 frame).
std::vector<uint8_t> StripedSlide() {
  std::vector<uint8_t> slide = QuarterSlide();
  for (int y = 32; y < 64; ++y)
    if (y % 2 == 1)
      for (int x = 0; x < 32; ++x)
        for (int k = 0; k < 3; ++k) slide[(static_cast<size_t>(y) * 64 + x) * 3 + k] = 10;
  return slide;
}
}  // namespace

// The slide's square is x 325 to 800 and rows 50 to 525 (top first) of an
// 800 x 600 frame, scaled into the 4:3 picture of other frames.
TEST(SlideText, LiesWhereTheSlideIsDrawnAtEveryFrameSize) {
  const TSlideText small(QuarterSlide(), 64, 64, 800, 600);
  EXPECT_TRUE(small.Covers(330, 55));
  EXPECT_TRUE(small.Covers(560, 285));
  EXPECT_FALSE(small.Covers(570, 55)) << "the right half is dark";
  EXPECT_FALSE(small.Covers(330, 300)) << "the bottom half is dark";
  EXPECT_FALSE(small.Covers(320, 55)) << "left of the slide";
  EXPECT_FALSE(small.Covers(330, 45)) << "above the slide";
  EXPECT_NEAR(static_cast<double>(small.Pixels()), 237.5 * 237.5, 500);
  const TSlideText wide(QuarterSlide(), 64, 64, 1920, 1080);  // picture 1440 x 1080 at x 240
  EXPECT_TRUE(wide.Covers(240 + 590, 95));
  EXPECT_FALSE(wide.Covers(240 + 580, 95)) << "left of the slide";
  EXPECT_NEAR(static_cast<double>(wide.Pixels()), 427.5 * 427.5, 1500);
}

// The text's own pixels against the frame just around them: white text on
// black reads, on white it does not, on mid grey it still does (3.9:1), on
// light grey it does not (1.7:1); half the text over each of two
// backgrounds reads by half.
TEST(SlideText, ReadsWhereItStandsAtThreeToOneAgainstWhatIsAround) {
  const TSlideText text(StripedSlide(), 64, 64, 800, 600);
  auto share = [&](uint8_t background, uint8_t lowerBackground) {
    Frame frame(800, 600, background);
    frame.Fill(0, 170, 800, 600, lowerBackground, lowerBackground, lowerBackground);
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x)
        if (text.Covers(x, y)) frame.Fill(x, y, x + 1, y + 1, 255, 255, 255);
    return ReadableTextShare(frame.Rgb.data(), text);
  };
  EXPECT_DOUBLE_EQ(share(0, 0), 1);
  EXPECT_DOUBLE_EQ(share(255, 255), 0);
  EXPECT_DOUBLE_EQ(share(128, 128), 1);
  EXPECT_DOUBLE_EQ(share(200, 200), 0);
  // Rows from 170 on lie over the second background.
  int64_t above = 0;
  for (int y = 0; y < 170; ++y)
    for (int x = 0; x < 800; ++x) above += text.Covers(x, y);
  EXPECT_NEAR(share(0, 255), static_cast<double>(above) / text.Pixels(), 0.03);
  const TSlideText none(std::vector<uint8_t>(64 * 64 * 3, 0), 64, 64, 800, 600);
  EXPECT_EQ(none.Pixels(), 0);
  EXPECT_DOUBLE_EQ(ReadableTextShare(Frame(800, 600).Rgb.data(), none), 1) << "no text, nothing unreadable";
}

TEST(Tone, SpreadLitShareAndMeanOfThePixelsBetweenTheBars) {
  Frame flat(800, 600, 90);
  flat.Fill(0, 0, 800, 75, 255, 255, 255);  // the bars are not counted
  const TTone f = FrameTone(flat.Rgb.data(), 800, 600);
  EXPECT_DOUBLE_EQ(f.P5, 90);
  EXPECT_DOUBLE_EQ(f.P95, 90);
  EXPECT_DOUBLE_EQ(f.Spread(), 0);
  EXPECT_DOUBLE_EQ(f.Lit, 1);
  EXPECT_NEAR(f.Mean, 90, 1e-9);
  Frame halves(800, 600, 0);
  halves.Fill(0, 300, 800, 525, 255, 255, 255);
  const TTone h = FrameTone(halves.Rgb.data(), 800, 600);
  EXPECT_DOUBLE_EQ(h.P5, 0);
  EXPECT_DOUBLE_EQ(h.P95, 255);
  EXPECT_DOUBLE_EQ(h.Lit, 0.5);
  Frame dim(800, 600, 12);  // at the lit level is not lit
  dim.Fill(0, 75, 40, 525, 13, 13, 13);
  EXPECT_DOUBLE_EQ(FrameTone(dim.Rgb.data(), 800, 600).Lit, 0.05);
  EXPECT_DOUBLE_EQ(FrameTone(nullptr, 0, 0).Lit, 0);
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
  EXPECT_EQ(RunLight(dir, "frames --from 1 --fps 2 --worst 1 --flat 0"), 1);
  EXPECT_TRUE(StartsWith(ReadText(dir.Path() + "/out.txt"),
                         "2 of 3 frames above 15.0% full white (1 of them in the white flash)\n"
                         "  frame 000001      1.50 s   30.0%  flash 0.90\n"
                         "  frame 000002      2.00 s   20.0%\n"
                         "The whitest frames outside the white flash:\n"
                         "  frame 000002      2.00 s   20.0%\n"));
  EXPECT_EQ(RunLight(dir, "frames --from 1 --fps 2 --limit 25 --flat 0"), 0) << "only the flash's frame is above 25%";
  EXPECT_EQ(RunLight(dir, "frames --from 1 --fps 2 --limit 25 --table measures.csv"), 0) << "black is dark, not flat";
  EXPECT_TRUE(StartsWith(ReadText(dir.Path() + "/measures.csv"),
                         "frame,time,white,flash,slide,slide_alpha,readable,luma_p5,luma_p95,lit,mean_luma,fade\n"
                         "0,1.0000,0.0000,0.000,,0.000,1.0000,0,0,0.0000,0.00,0\n"));
  // All three frames are less than 100% lit: 1.5 s of them, unless faded.
  EXPECT_EQ(RunLight(dir, "frames --from 1 --fps 2 --limit 25 --dark 100 --dark-seconds 1"), 1);
  EXPECT_NE(ReadText(dir.Path() + "/out.txt").find("1 stretches outside the fades longer than 1.0 s with less than 100% "
                                                   "of the pixels lit\n      1.00 s to     2.00 s (1.50 s)"),
            std::string::npos)
      << ReadText(dir.Path() + "/out.txt");
  EXPECT_EQ(RunLight(dir, "frames --from 1 --fps 2 --limit 25 --dark 100 --dark-seconds 1 --fade 1.4:1.6"), 0);
  EXPECT_EQ(RunLight(dir, "frames --fade 3:1"), 2);

  EXPECT_EQ(RunLight(dir, "frames --track none.vrk"), 2);
  EXPECT_NE(ReadText(dir.Path() + "/err.txt").find("Cannot read the track none.vrk"), std::string::npos);
  EXPECT_EQ(RunLight(dir, "nowhere"), 2);
  EXPECT_EQ(RunLight(dir, "frames --limit 101"), 2);
  dir.Write("frames/frame-000003.png", {1, 2, 3});
  EXPECT_EQ(RunLight(dir, "frames"), 2);
  EXPECT_NE(ReadText(dir.Path() + "/err.txt").find("frame-000003.png"), std::string::npos);
}

// The slide the track shows, read from the content folder: the credits at
// full alpha over black frames (their text as black as around it) do not
// read; at 0.4 they are not held to it.
TEST(LightProgram, ReadsTheSlideTheTrackShowsFromTheContentFolder) {
  TempDir dir;
  auto write = [&](float alpha) {
    std::vector<uint8_t> track;
    AppendInt32(track, 8);
    AppendInt32(track, 4);
    AppendInt32(track, 15);
    for (int c = 0; c < 8; ++c)
      for (int k = 0; k < 4; ++k)
        AppendFloat(track, c == 6 ? 1.0f : c == 7 ? alpha : std::numeric_limits<float>::quiet_NaN());
    dir.Write("demo.vrk", track);
  };
  std::filesystem::create_directory(dir.Path() + "/frames");
  const std::vector<uint8_t> black(800 * 600 * 3, 0);
  std::string reason;
  ASSERT_TRUE(WritePngBottomUp(dir.Path() + "/frames/frame-000000.png", 800, 600, black.data(), reason));
  write(1);
  EXPECT_EQ(RunLight(dir, "frames --flat 0 --dark 0 --data '" VEMLA_STAGE_DIR "/data'"), 1);
  EXPECT_NE(ReadText(dir.Path() + "/out.txt").find("  frame 000000      0.00 s  credits   at 1.00    0.0% of its text reads"),
            std::string::npos)
      << ReadText(dir.Path() + "/out.txt");
  write(0.4f);
  EXPECT_EQ(RunLight(dir, "frames --flat 0 --dark 0 --data '" VEMLA_STAGE_DIR "/data'"), 0);
  write(1);
  EXPECT_EQ(RunLight(dir, "frames --data nowhere"), 2);
  EXPECT_NE(ReadText(dir.Path() + "/err.txt").find("Cannot read the slide"), std::string::npos);
}

// The staged show as its audience sees it: the whole demo, captured at a
// frame a second, keeps every measure: no white-out outside the flash,
// every slide readable over its scene, no wash, no long dark stretch.
TEST(LightProgram, TheStagedShowKeepsEveryMeasure) {
  TempDir dir;
  const std::string capture = "cd '" VEMLA_STAGE_DIR "' && '" VEMLA_PROGRAM "' --capture '" + dir.Path() +
                              "/frames' --fps 1 >/dev/null 2>'" + dir.Path() + "/capture.txt'";
  ASSERT_EQ(std::system(capture.c_str()), 0) << ReadText(dir.Path() + "/capture.txt");
  EXPECT_EQ(RunLight(dir, "frames --fps 1 --track '" VEMLA_STAGE_DIR "/demo.vrk' --data '" VEMLA_STAGE_DIR "/data'"), 0)
      << ReadText(dir.Path() + "/out.txt");
}
