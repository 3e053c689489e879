// Capture: reading its options, the span of frames they select, the
// virtual clock with its time of day, and reading frames back.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/Clock.h"
#include "runtime/Capture.h"
#include "runtime/CommandLine.h"
#include "support/GLFixture.h"

namespace {
std::optional<TUsageError> Parse(std::vector<const char*> words, TCaptureOptions& options) {
  words.insert(words.begin(), "vemla");
  TCommandLine line;
  auto error = ParseCommandLine(static_cast<int>(words.size()), words.data(), line);
  options = line.Capture;
  return error;
}

std::string ErrorOf(std::vector<const char*> words) {
  TCaptureOptions options;
  auto error = Parse(std::move(words), options);
  return error ? error->Text : "";
}

int64_t Frames(TCaptureOptions options, double trackEnd) {
  TCaptureSpan span;
  auto error = CaptureSpan(options, trackEnd, span);
  return error ? -1 : span.Count;
}
}  // namespace

TEST(CaptureOptions, ReadFromAnywhereOnTheCommandLine) {
  TCaptureOptions options;
  EXPECT_FALSE(Parse({"-w", "--fps", "30", "--capture", "out", "--to", "2.5", "--from", "1"}, options));
  EXPECT_TRUE(options.Requested);
  EXPECT_EQ(options.Folder, "out");
  EXPECT_EQ(options.From, 1.0);
  EXPECT_EQ(options.To, 2.5);
  EXPECT_EQ(options.Fps.Num, 30);
  EXPECT_EQ(options.Fps.Den, 1);
  TCaptureOptions none;
  EXPECT_FALSE(Parse({"-w", "-vrt"}, none));
  EXPECT_FALSE(none.Requested);
}

TEST(CaptureOptions, ErrorsNameTheProblem) {
  EXPECT_EQ(ErrorOf({"--capture"}), "--capture needs a folder to write the frames to");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--fps"}), "--fps needs a number of frames per second");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--from", "ten"}), "--from takes a number, not \"ten\"");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--to", "5s"}), "--to takes a number, not \"5s\"");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--to", "1e999"}), "--to takes a number, not \"1e999\"");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--to", "nan"}), "--to takes a number, not \"nan\"");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--fps", "0"}), "--fps must be more than 0 and at most 1000, not 0");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--from", "-1"}), "--from must be 0 seconds or more, not -1");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--from", "5", "--to", "3"}), "--from 5 is after --to 3");
  EXPECT_EQ(ErrorOf({"--from", "5"}), "--from, --to and --fps need --capture <folder>");
}

TEST(CaptureOptions, FrameRatesAreExactFractions) {
  auto rate = [](const char* word) {
    const std::optional<TFrameRate> r = ParseFrameRate(word);
    return r ? std::to_string(r->Num) + "/" + std::to_string(r->Den) : std::string("none");
  };
  EXPECT_EQ(rate("60000/1001"), "60000/1001");
  EXPECT_EQ(rate("50"), "50/1");
  EXPECT_EQ(rate("29.97"), "2997/100");
  EXPECT_EQ(rate("0.5"), "1/2");
  EXPECT_EQ(rate("120/4"), "30/1") << "reduced";
  for (const char* bad : {"", "/", "30/", "/2", "30/0", "0/1", "-30", "3e1", "2.", "1.2.3", "30/1/1", "29.9700001",
                          "2000000/1", "30 "})
    EXPECT_EQ(rate(bad), "none") << '"' << bad << '"';
  EXPECT_EQ(FrameRateText({60000, 1001}), "60000/1001");
  EXPECT_EQ(FrameRateText({30, 1}), "30");

  TCaptureOptions options;
  EXPECT_FALSE(Parse({"--capture", "out", "--fps", "60000/1001"}, options));
  EXPECT_EQ(options.Fps.Num, 60000);
  EXPECT_EQ(options.Fps.Den, 1001);
  EXPECT_EQ(ErrorOf({"--capture", "out", "--fps", "fast"}),
            "--fps takes a number of frames per second, such as 50 or 29.97, or a fraction such as 60000/1001, not "
            "\"fast\"");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--fps", "-5"}), "--fps must be more than 0 and at most 1000, not -5");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--fps", "2001/2"}), "--fps must be more than 0 and at most 1000, not 2001/2");
}

TEST(CaptureOptions, LosslessIsForVideos) {
  TCaptureOptions options;
  EXPECT_FALSE(Parse({"--capture", "out.MKV", "--lossless"}, options));
  EXPECT_TRUE(options.Lossless);
  const std::string error =
      "--lossless is for a video capture (.mp4 or .mkv); frames and sound files lose nothing anyway";
  EXPECT_EQ(ErrorOf({"--lossless"}), error);
  EXPECT_EQ(ErrorOf({"--capture", "frames", "--lossless"}), error);
  EXPECT_EQ(ErrorOf({"--lossless", "--capture", "out.wav"}), error);
}

TEST(CaptureOptions, SizesWithinTheRangeForFramesAndVideos) {
  TCaptureOptions options;
  EXPECT_FALSE(Parse({"--size", "1920x1080", "--capture", "out.mp4"}, options));
  EXPECT_EQ(options.Width, 1920);
  EXPECT_EQ(options.Height, 1080);
  EXPECT_FALSE(Parse({"--capture", "frames", "--size", "321X241"}, options)) << "odd sizes are fine as PNG";
  EXPECT_EQ(options.Width, 321);
  EXPECT_FALSE(Parse({"--capture", "m.mkv", "--lossless", "--size", "3840x2160"}, options));
  TCaptureOptions none;
  EXPECT_FALSE(Parse({"--capture", "out"}, none));
  EXPECT_EQ(none.Width, 800);
  EXPECT_EQ(none.Height, 600);
  EXPECT_FALSE(none.SizeGiven);

  const std::string form = "--size takes a width and height in pixels, such as 1440x1080, not ";
  for (const char* bad : {"", "1920", "1920x", "x1080", "1920x1080x1", "1920*1080", " 1920x1080", "1920x1080 ",
                          "-800x600", "800x-600", "1e3x600", "000000800x600"})
    EXPECT_EQ(ErrorOf({"--capture", "out", "--size", bad}), form + "\"" + bad + "\"") << '"' << bad << '"';
  const std::string range = "--size must be from 320x240 to 3840x2160, not ";
  for (const char* outside : {"0x0", "319x240", "320x239", "3841x2160", "3840x2161", "99999x99999", "00100x00100"})
    EXPECT_EQ(ErrorOf({"--capture", "out", "--size", outside}), range + outside);
  EXPECT_EQ(ErrorOf({"--capture", "out"}), "");
  EXPECT_EQ(ErrorOf({"--capture", "out", "--size"}), "--size needs a frame size in pixels, such as 1440x1080");
  EXPECT_EQ(ErrorOf({"--size", "1440x1080"}), "--size needs --capture <folder or video>");
  EXPECT_EQ(ErrorOf({"--capture", "m.wav", "--size", "1440x1080"}),
            "--size is for frames or a video; a sound file has no pictures");
  EXPECT_EQ(ErrorOf({"--capture", "m.mp4", "--size", "1441x1080"}),
            "--size 1441x1080: an H.264 video takes an even width and height (or --lossless)");
}

TEST(CaptureLayout, PictureInTheLargestCentredFourByThree) {
  const TCaptureLayout plain = CaptureLayout(800, 600);
  EXPECT_EQ(plain.Picture.X, 0);
  EXPECT_EQ(plain.Picture.Width, 800);
  const TCaptureLayout wide = CaptureLayout(1920, 1080);
  EXPECT_EQ(wide.Width, 1920);
  EXPECT_EQ(wide.Picture.X, 240);
  EXPECT_EQ(wide.Picture.Y, 0);
  EXPECT_EQ(wide.Picture.Width, 1440);
  EXPECT_EQ(wide.Picture.Height, 1080);
  const TCaptureLayout tall = CaptureLayout(1000, 1000);
  EXPECT_EQ(tall.Picture.Y, 125);
  EXPECT_EQ(tall.Picture.Height, 750);
}

// Frame k of a fractional rate is at k x den / num from the start, however
// far into the run: no step is added up.
TEST(CaptureClock, FractionalRatesDoNotDrift) {
  const TFrameRate ntsc{60000, 1001};
  EXPECT_EQ(ntsc.FrameTime(600000), 10010.0) << "exactly, where adding up 1001 / 60000 would have drifted";
  TVirtualClock clock(10, ntsc, 1000000);
  clock.Frame = 600000;
  EXPECT_EQ(clock.Elapsed(), 10020.0f);
  EXPECT_FLOAT_EQ(clock.Delta(), 1001.0f / 60000.0f);

  TCaptureOptions options;
  options.Requested = true;
  options.Fps = {60000, 1001};
  options.From = 0;
  options.To = 2;
  EXPECT_EQ(Frames(options, 146.75), 120) << "2 s at 59.94: 119.88 frames, the last starting before the end";
  options.To = 1001.0 / 60000.0 * 120;
  EXPECT_EQ(Frames(options, 1e9), 120) << "an end on a frame's start is not a frame";
}

TEST(CaptureSpan, CountsFramesFromTheStartToTheTrackEnd) {
  TCaptureOptions options;
  options.Requested = true;
  EXPECT_EQ(Frames(options, 146.75), 8805);  // 0 to 146.75 s at 60
  options.From = 2.5;
  options.To = 2.5;
  EXPECT_EQ(Frames(options, 146.75), 1) << "one frame at a single time";
  options.From = 0;
  options.To = 1;
  EXPECT_EQ(Frames(options, 146.75), 60);
  options.Fps = {24, 1};
  EXPECT_EQ(Frames(options, 146.75), 24);
  options.To = 1.01;
  EXPECT_EQ(Frames(options, 146.75), 25) << "a frame that starts before the end";
  // An end past the track's end stops at the track's end.
  options.Fps = {1, 1};
  options.From = 140;
  options.To = 1000;
  EXPECT_EQ(Frames(options, 146.75), 7);
}

TEST(CaptureSpan, RefusesSpansThatHoldNoFrame) {
  TCaptureOptions options;
  options.Requested = true;
  options.From = 150;
  TCaptureSpan span;
  auto error = CaptureSpan(options, 146.75, span);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Text, "--from 150 is after the end of the track (146.75 s)");
  // A track with no end needs an end of its own.
  options.From.reset();
  error = CaptureSpan(options, -1, span);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Text, "the track never ends: give the capture an end with --to");
  options.To = 2;
  EXPECT_FALSE(CaptureSpan(options, -1, span));
  EXPECT_EQ(span.Count, 120);
}

TEST(VirtualClock, FramesAtFixedStepsWithATimeOfDayFromTheFrameTime) {
  {
    TVirtualClock clock(61.5, TFrameRate{4, 1}, 3);
    EXPECT_FALSE(clock.Finished());
    EXPECT_FLOAT_EQ(clock.Elapsed(), 61.5f);
    EXPECT_FLOAT_EQ(clock.Delta(), 0.25f);
    TimeOfDay now = CurrentUtcTimeOfDay();
    EXPECT_EQ(now.Hour, 0);
    EXPECT_EQ(now.Minute, 1);
    EXPECT_EQ(now.Second, 1);
    EXPECT_EQ(now.Millisecond, 500);
    EXPECT_FLOAT_EQ(clock.Elapsed(), 61.75f);
    EXPECT_EQ(CurrentUtcTimeOfDay().Millisecond, 750);
    clock.Elapsed();
    EXPECT_TRUE(clock.Finished());
  }
  // Afterwards the time of day is the system's again.
  EXPECT_TRUE(CurrentUtcTimeOfDay().Millisecond >= 0);
  {
    TVirtualClock hours(3 * 3600 + 0.05, TFrameRate{60, 1}, 1);
    hours.Elapsed();
    TimeOfDay now = CurrentUtcTimeOfDay();
    EXPECT_EQ(now.Hour, 3);
    EXPECT_EQ(now.Millisecond, 50);
  }
}

TEST(CaptureFiles, SixDigitNamesFromZero) {
  EXPECT_EQ(CaptureFileName(0), "frame-000000.png");
  EXPECT_EQ(CaptureFileName(8805), "frame-008805.png");
}

// Frames read back a frame late come out whole, in order, each the frame it
// was when finished, and the last one is not lost.
class FrameReadBackTest : public GLTest {};

TEST_F(FrameReadBackTest, EveryFrameComesOutOnceInOrder) {
  auto finish = [](float grey) {
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  };
  std::vector<uint8_t> direct, late;
  std::vector<uint8_t> firsts;
  {
    const TCaptureLayout layout = CaptureLayout(800, 600);
    TFrameReadBack readBack(layout);
    for (int k = 1; k <= 3; ++k) {
      finish(k / 4.0f);
      ReadBackFrame(layout, direct);
      if (readBack.Push(late)) {
        ASSERT_EQ(late.size(), direct.size());
        firsts.push_back(late[0]);
      }
    }
    // Drawing goes on over the last frame before it is taken.
    finish(1);
    ASSERT_TRUE(readBack.Drain(late));
    firsts.push_back(late[0]);
    EXPECT_FALSE(readBack.Drain(late)) << "nothing left after the last";
  }
  ASSERT_EQ(firsts.size(), 3u);
  EXPECT_NEAR(firsts[0], 64, 1);
  EXPECT_NEAR(firsts[1], 128, 1);
  EXPECT_NEAR(firsts[2], 191, 1);
  glClearColor(0, 0, 0, 1);
}

// A picture narrower than its frame lands in the middle, read at once or a
// frame late, with black on both sides, frame after frame.
TEST_F(FrameReadBackTest, PicturesLandInTheMiddleWithBlackAround) {
  const TCaptureLayout layout = CaptureLayout(1000, 600);
  ASSERT_EQ(layout.Picture.X, 100);
  auto grey = [&](const std::vector<uint8_t>& rgb, int x, int y) {
    return static_cast<int>(rgb[(static_cast<size_t>(y) * 1000 + x) * 3]);
  };
  std::vector<uint8_t> direct, late;
  TFrameReadBack readBack(layout);
  for (int k = 1; k <= 2; ++k) {
    glClearColor(k / 4.0f, k / 4.0f, k / 4.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ReadBackFrame(layout, direct);
    readBack.Push(late);
  }
  ASSERT_TRUE(readBack.Drain(late));
  for (const std::vector<uint8_t>* frame : {&direct, &late}) {
    ASSERT_EQ(frame->size(), 1000u * 600 * 3);
    for (int y : {0, 300, 599}) {
      EXPECT_EQ(grey(*frame, 0, y), 0);
      EXPECT_EQ(grey(*frame, 99, y), 0);
      EXPECT_NEAR(grey(*frame, 100, y), 128, 1);
      EXPECT_NEAR(grey(*frame, 899, y), 128, 1);
      EXPECT_EQ(grey(*frame, 900, y), 0);
      EXPECT_EQ(grey(*frame, 999, y), 0);
    }
  }
  glClearColor(0, 0, 0, 1);
}
