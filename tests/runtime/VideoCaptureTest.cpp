// The program capturing to a video through ffmpeg, and its failures: no
// ffmpeg, an ffmpeg that fails, a path that cannot be written, a full disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "runtime/VideoCapture.h"
#include "support/RunDirectory.h"

namespace fs = std::filesystem;

namespace {
class VideoRun : public ::testing::Test {
 protected:
  void SetUp() override { Dir.UseStagedTrack(); }

  // ffprobe's stream fields of the file, each with its value per stream.
  std::map<std::string, std::vector<std::string>> Probe(const std::string& file) {
    std::map<std::string, std::vector<std::string>> fields;
    if (Dir.Shell("ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,pix_fmt,r_frame_rate,"
                  "nb_frames,duration -of default=noprint_wrappers=1 " + file + " >probe.txt") != 0)
      return fields;
    std::istringstream probe(Dir.Read("probe.txt"));
    for (std::string line; std::getline(probe, line);) {
      const size_t eq = line.find('=');
      if (eq != std::string::npos) fields[line.substr(0, eq)].push_back(line.substr(eq + 1));
    }
    return fields;
  }

  RunDirectory Dir{VEMLA_PROGRAM, VEMLA_STAGE_DIR};
};
}  // namespace

TEST(VideoPath, Mp4AndMkvInAnyCase) {
  EXPECT_TRUE(IsVideoPath("out.mp4"));
  EXPECT_TRUE(IsVideoPath("/tmp/Demo.MKV"));
  EXPECT_FALSE(IsVideoPath("frames"));
  EXPECT_FALSE(IsVideoPath("mp4"));
  EXPECT_FALSE(IsVideoPath("out.mp4/"));
}

TEST_F(VideoRun, TwoSecondsAreH264WithTheirAudioAndRepeatFrameForFrame) {
  ASSERT_EQ(Dir.Run("--capture v/a.mp4 --from 30 --to 32"), 0) << Dir.Read("err.txt");
  EXPECT_EQ(Dir.Files("v"), std::vector<std::string>{"a.mp4"}) << "nothing left beside the video";
  auto fields = Probe("v/a.mp4");
  ASSERT_EQ(fields["codec_type"], (std::vector<std::string>{"video", "audio"}));
  EXPECT_EQ(fields["codec_name"], (std::vector<std::string>{"h264", "aac"}));
  EXPECT_EQ(fields["width"][0], "800");
  EXPECT_EQ(fields["height"][0], "600");
  EXPECT_EQ(fields["pix_fmt"][0], "yuv420p");
  EXPECT_EQ(fields["r_frame_rate"][0], "60/1");
  EXPECT_EQ(fields["nb_frames"][0], "120");
  EXPECT_NEAR(std::stod(fields["duration"][1]), 2.0, 1.0 / 60);
  // The same span again: the same decoded frames.
  ASSERT_EQ(Dir.Run("--capture v/b.mp4 --from 30 --to 32"), 0) << Dir.Read("err.txt");
  ASSERT_EQ(Dir.Shell("ffmpeg -v error -i v/a.mp4 -map 0:v -f framemd5 a.md5 && "
                  "ffmpeg -v error -i v/b.mp4 -map 0:v -f framemd5 b.md5"),
            0);
  EXPECT_EQ(Dir.Read("a.md5"), Dir.Read("b.md5"));
  EXPECT_NE(Dir.Read("a.md5").find("0,        119,"), std::string::npos);
}

// A second at 1440 x 1080: the size asked for, every frame.
TEST_F(VideoRun, AVideoTakesTheSizeAskedFor) {
  ASSERT_EQ(Dir.Run("--capture v/h.mp4 --size 1440x1080 --from 52 --to 53"), 0) << Dir.Read("err.txt");
  auto fields = Probe("v/h.mp4");
  ASSERT_EQ(fields["codec_type"], (std::vector<std::string>{"video", "audio"}));
  EXPECT_EQ(fields["width"][0], "1440");
  EXPECT_EQ(fields["height"][0], "1080");
  EXPECT_EQ(fields["nb_frames"][0], "60");
}

// 2 s at 59.94 frames a second: 119.88 frames, so 120, and the rate written
// as the fraction it is.
TEST_F(VideoRun, AFractionalRateIsWrittenExactly) {
  ASSERT_EQ(Dir.Run("--capture v/n.mp4 --from 30 --to 32 --fps 60000/1001"), 0) << Dir.Read("err.txt");
  auto fields = Probe("v/n.mp4");
  ASSERT_EQ(fields["codec_type"], (std::vector<std::string>{"video", "audio"}));
  EXPECT_EQ(fields["r_frame_rate"][0], "60000/1001");
  EXPECT_EQ(fields["nb_frames"][0], "120");
  EXPECT_NEAR(std::stod(fields["duration"][0]), 120 * 1001.0 / 60000, 1e-3);
}

// The lossless master decodes to the frames of the PNG capture, byte for
// byte; its sound is FLAC. The MP4 lossless is H.264 in full colour.
TEST_F(VideoRun, LosslessVideosKeepThePictures) {
  ASSERT_EQ(Dir.Run("--capture v/m.mkv --lossless --from 52 --to 52.5 --fps 10"), 0) << Dir.Read("err.txt");
  ASSERT_EQ(Dir.Run("--capture frames --from 52 --to 52.5 --fps 10"), 0) << Dir.Read("err.txt");
  auto fields = Probe("v/m.mkv");
  ASSERT_EQ(fields["codec_name"], (std::vector<std::string>{"ffv1", "flac"}));
  // framemd5's last column is the frame's hash; the time columns differ.
  ASSERT_EQ(Dir.Shell("ffmpeg -v error -i v/m.mkv -map 0:v -pix_fmt rgb24 -f framemd5 - | grep -v '^#' | "
                      "awk '{print $NF}' >mkv.md5 && "
                      "ffmpeg -v error -i frames/frame-%06d.png -pix_fmt rgb24 -f framemd5 - | grep -v '^#' | "
                      "awk '{print $NF}' >png.md5"),
            0);
  const std::string png = Dir.Read("png.md5");
  EXPECT_EQ(std::count(png.begin(), png.end(), '\n'), 5);
  EXPECT_EQ(Dir.Read("mkv.md5"), png);

  ASSERT_EQ(Dir.Run("--capture v/m.mp4 --lossless --from 52 --to 52.2"), 0) << Dir.Read("err.txt");
  fields = Probe("v/m.mp4");
  ASSERT_EQ(fields["codec_name"], (std::vector<std::string>{"h264", "aac"}));
  EXPECT_EQ(fields["pix_fmt"][0], "yuv444p");
}

// A sound file holds the span's stretch of the music to the sample: 2 s are
// 88200 samples at 44100 a second; 60 frames at 59.94 are 1.001 s.
TEST_F(VideoRun, SoundFilesHoldTheSpansMusicToTheSample) {
  auto samples = [&](const std::string& file) {
    if (Dir.Shell("ffprobe -v error -show_entries stream=codec_name,sample_rate,duration_ts "
                  "-of default=noprint_wrappers=1 " + file + " >sound.txt") != 0)
      return std::string("no probe");
    return Dir.Read("sound.txt");
  };
  ASSERT_EQ(Dir.Run("--capture s/m.wav --from 30 --to 32"), 0) << Dir.Read("err.txt");
  EXPECT_EQ(samples("s/m.wav"), "codec_name=pcm_s16le\nsample_rate=44100\nduration_ts=88200\n");
  ASSERT_EQ(Dir.Run("--capture s/n.flac --from 1 --to 2 --fps 60000/1001"), 0) << Dir.Read("err.txt");
  EXPECT_EQ(Dir.Files("s"), (std::vector<std::string>{"m.wav", "n.flac"})) << "nothing left beside them";
  ASSERT_EQ(Dir.Shell("ffmpeg -v error -i s/n.flac -f s16le - | wc -c >bytes.txt"), 0);
  EXPECT_EQ(std::stol(Dir.Read("bytes.txt")), 44144L * 2 * 2) << "round(2.001 x 44100) - 44100 stereo samples";
}

TEST_F(VideoRun, FailuresSayWhyEndWithStatusOneAndLeaveNoFile) {
  fs::create_directory(Dir.Path("v"));
  // No ffmpeg on the search path.
  EXPECT_EQ(Dir.Run("--capture v/x.mp4 --from 1 --to 1.5", "PATH=/nonexistent"), 1);
  EXPECT_NE(Dir.Read("err.txt").find("Cannot start ffmpeg"), std::string::npos) << Dir.Read("err.txt");
  EXPECT_TRUE(Dir.Files("v").empty());
  // An ffmpeg that fails at once.
  fs::create_directory(Dir.Path("bin"));
  {
    std::ofstream fake(Dir.Path("bin/ffmpeg"));
    fake << "#!/bin/sh\necho 'no encoder here' >&2\nexit 1\n";
  }
  fs::permissions(Dir.Path("bin/ffmpeg"), fs::perms::owner_all);
  EXPECT_EQ(Dir.Run("--capture v/x.mkv --from 1 --to 1.5", "PATH=\"$PWD/bin:$PATH\""), 1);
  EXPECT_NE(Dir.Read("err.txt").find("no encoder here"), std::string::npos) << Dir.Read("err.txt");
  EXPECT_TRUE(Dir.Files("v").empty());
  // A folder that cannot be made.
  Dir.Shell("echo x > plain-file");
  EXPECT_EQ(Dir.Run("--capture plain-file/x.mp4 --from 1 --to 1.5"), 1);
  EXPECT_NE(Dir.Read("err.txt").find("Cannot write"), std::string::npos) << Dir.Read("err.txt");
  EXPECT_FALSE(fs::exists(Dir.Path("plain-file/x.mp4")));
}

TEST_F(VideoRun, AFullDiskIsReportedWithTheSystemsReason) {
  // The encoder's output lands on /dev/full, where every write fails as on
  // a full disk; its log is elsewhere and can say so.
  fs::create_directory(Dir.Path("v"));
  fs::create_symlink("/dev/full", Dir.Path("v/.x.mp4.partial"));
  EXPECT_EQ(Dir.Run("--capture v/x.mp4 --from 1 --to 1.5"), 1);
  EXPECT_NE(Dir.Read("err.txt").find("No space left on device"), std::string::npos) << Dir.Read("err.txt");
  EXPECT_TRUE(Dir.Files("v").empty());
  EXPECT_TRUE(fs::exists("/dev/full"));
}
