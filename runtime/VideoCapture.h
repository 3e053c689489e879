// Capture to a video file with the music: the frames go as raw RGB through a
// pipe to the ffmpeg program, which encodes H.264 (yuv420p) with the span's
// stretch of the music as AAC; lossless, FFV1 with FLAC in Matroska or
// H.264 at qp 0 (yuv444p) with AAC in MP4. Capture to a sound file takes
// only that stretch of the music, as WAV or FLAC. Each file is written under
// a temporary name beside the one asked for and renamed only once ffmpeg has
// succeeded.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Process.h"
#include "runtime/Capture.h"

// Whether the capture target names a video file (".mp4" or ".mkv").
bool IsVideoPath(const std::string& path);
// Whether the capture target names a sound file (".wav" or ".flac").
bool IsSoundPath(const std::string& path);

struct TVideoJob {
  std::string Output;  // the file ffmpeg writes (the temporary name)
  bool Matroska = false;
  std::string Music;  // empty: no sound
  double From = 0;
  TFrameRate Fps;
  int64_t Frames = 0;
  bool Lossless = false;
  int Width = 800;  // the frames' size in pixels
  int Height = 600;
};

// The ffmpeg command line for the job.
std::vector<std::string> EncoderCommand(const TVideoJob& job);

// The ffmpeg words that take the span's stretch of the music, from the
// first frame's time for the frames' duration: the same samples for the
// video and for a sound file.
std::vector<std::string> MusicSpanArguments(const std::string& music, double from, double seconds);

// Writes the stretch of the music as a WAV (16-bit) or FLAC file; raises
// ECaptureError when it cannot.
void WriteMusicSpan(const std::string& path, const std::string& music, double from, double seconds);

class TVideoSink final : public TCaptureTarget {
 public:
  // Starts ffmpeg for the span; raises ECaptureError when the file cannot be
  // made there or ffmpeg cannot be started.
  TVideoSink(const std::string& path, const std::string& music, double from, TFrameRate fps, int64_t frames,
             bool lossless, const TCaptureLayout& layout);
  // Removes the temporary file unless the video was completed.
  ~TVideoSink() override;
  // Hands ffmpeg the frame still being read back, unless a signal stopped
  // the run (it may have ended ffmpeg too, and the video is not kept then
  // anyway). With every frame in, lets ffmpeg finish and renames the file;
  // raises ECaptureError when ffmpeg fails.
  void FinishRun(bool stopped) override;
  std::string LeftBehind() const override { return "nothing was kept"; }
  std::string Completed() const override { return "The video is in " + Path; }

 private:
  // Ends ffmpeg's run with its exit status (or the last line it logged) as
  // the reason, and removes what it wrote.
  [[noreturn]] void Fail(const std::string& what, int status);
  void Take(const std::vector<uint8_t>& rgb) override;
  void Complete();

  std::string Path;
  std::string Temporary;
  std::string Log;
  TPipedProcess Encoder;
  std::vector<uint8_t> Flipped;
  bool Done = false;
};
