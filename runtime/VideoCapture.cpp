#include "runtime/VideoCapture.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/Directory.h"

namespace {
std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

// The last line ffmpeg wrote to its log that says why it stopped. A line
// ending in "--" announces a detail it did not write ("Error initializing
// output stream 0:1 -- "); the reason is then on a line before it.
std::string LastReason(const std::string& file) {
  std::ifstream in(file);
  std::string line, last;
  while (std::getline(in, line)) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    if (!line.empty() && (line.size() < 2 || line.compare(line.size() - 2, 2, "--") != 0)) last = line;
  }
  return last;
}

// Why ffmpeg stopped: the last reason in its log, or else its exit status.
std::string FailureReason(const std::string& log, int status) {
  const std::string why = LastReason(log);
  return why.empty() ? "exit status " + std::to_string(status) : why;
}

// ffmpeg quiet but for its errors, overwriting its output.
std::vector<std::string> QuietEncoder() { return {"ffmpeg", "-hide_banner", "-nostats", "-loglevel", "error", "-y"}; }
}  // namespace

bool IsVideoPath(const std::string& path) {
  const std::string lower = Lower(path);
  return EndsWith(lower, ".mp4") || EndsWith(lower, ".mkv");
}

bool IsSoundPath(const std::string& path) {
  const std::string lower = Lower(path);
  return EndsWith(lower, ".wav") || EndsWith(lower, ".flac");
}

std::vector<std::string> MusicSpanArguments(const std::string& music, double from, double seconds) {
  // Decoded from the start and cut by the sample: a seek in the compressed
  // music would land where its frames allow.
  return {"-i", music, "-af", "atrim=start=" + Number(from) + ":end=" + Number(from + seconds) + ",asetpts=PTS-STARTPTS"};
}

std::vector<std::string> EncoderCommand(const TVideoJob& job) {
  const double duration = job.Fps.FrameTime(job.Frames);
  std::vector<std::string> command = QuietEncoder();
  // The frames, top row first, on standard input.
  command.insert(command.end(), {"-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size",
                                 std::to_string(job.Width) + "x" + std::to_string(job.Height), "-framerate",
                                 FrameRateText(job.Fps), "-i", "pipe:0"});
  // The stretch of the music the frames show: frame k starts at From + k / Fps.
  if (!job.Music.empty())
    for (const std::string& word : MusicSpanArguments(job.Music, job.From, duration)) command.push_back(word);
  command.insert(command.end(), {"-map", "0:v:0"});
  if (!job.Lossless)
    command.insert(command.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p"});
  else if (job.Matroska)
    // RGB as it is, every frame a key frame, with a checksum per slice.
    command.insert(command.end(), {"-c:v", "ffv1", "-level", "3", "-g", "1", "-slicecrc", "1", "-pix_fmt", "bgr0"});
  else
    command.insert(command.end(), {"-c:v", "libx264", "-preset", "veryfast", "-qp", "0", "-pix_fmt", "yuv444p"});
  if (!job.Music.empty()) {
    command.insert(command.end(), {"-map", "1:a:0"});
    if (job.Lossless && job.Matroska)
      command.insert(command.end(), {"-c:a", "flac"});
    else
      command.insert(command.end(), {"-c:a", "aac", "-b:a", "192k"});
  }
  command.push_back("-t");
  command.push_back(Number(duration));
  if (job.Matroska) {
    for (const char* word : {"-f", "matroska"}) command.push_back(word);
  } else {
    // The index at the front, so that players start before the whole file is there.
    for (const char* word : {"-movflags", "+faststart", "-f", "mp4"}) command.push_back(word);
  }
  command.push_back(job.Output);
  return command;
}

namespace {
// The folder of a path and the temporary name beside it; false with the
// reason when the folder cannot be written.
bool PrepareBeside(const std::string& path, std::string& temporary, std::string& reason) {
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  temporary = folder + "/." + name + ".partial";
  return PrepareOutputFolder(folder, reason);
}

// Renames the finished file into place; false with the reason when it cannot.
bool MoveIntoPlace(const std::string& temporary, const std::string& path, std::string& reason) {
  if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  reason = std::strerror(errno);
  std::remove(temporary.c_str());
  return false;
}
}  // namespace

void WriteMusicSpan(const std::string& path, const std::string& music, double from, double seconds) {
  std::string temporary, reason;
  if (!PrepareBeside(path, temporary, reason)) throw ECaptureError("Cannot write " + path + ": " + reason);
  const std::string log = ScratchFilePath("vemla-encoder") + ".log";
  std::vector<std::string> command = QuietEncoder();
  for (const std::string& word : MusicSpanArguments(music, from, seconds)) command.push_back(word);
  if (EndsWith(Lower(path), ".flac"))
    command.insert(command.end(), {"-c:a", "flac", "-f", "flac"});
  else
    command.insert(command.end(), {"-c:a", "pcm_s16le", "-f", "wav"});
  command.push_back(temporary);
  TPipedProcess encoder;
  if (!encoder.Start(command, log, reason)) {
    std::remove(log.c_str());
    throw ECaptureError("Cannot start ffmpeg to write " + path + ": " + reason + " (" + WhereToGetProgram("ffmpeg") +
                        ")");
  }
  const int status = encoder.Finish();
  if (status != 0) {
    const std::string why = FailureReason(log, status);
    std::remove(temporary.c_str());
    std::remove(log.c_str());
    throw ECaptureError("ffmpeg failed to write " + path + ": " + why);
  }
  std::remove(log.c_str());
  if (!MoveIntoPlace(temporary, path, reason))
    throw ECaptureError("Cannot rename the finished file to " + path + ": " + reason);
}

TVideoSink::TVideoSink(const std::string& path, const std::string& music, double from, TFrameRate fps, int64_t frames,
                       bool lossless, const TCaptureLayout& layout)
    : TCaptureTarget(frames, layout), Path(path) {
  std::string reason;
  if (!PrepareBeside(path, Temporary, reason)) throw ECaptureError("Cannot write " + path + ": " + reason);
  // The encoder's log lies elsewhere: where the video cannot be written for
  // lack of space, the log that says so could not be either.
  Log = ScratchFilePath("vemla-encoder") + ".log";
  TVideoJob job;
  job.Output = Temporary;
  job.Matroska = EndsWith(Lower(path), ".mkv");
  job.Music = music;
  job.From = from;
  job.Fps = fps;
  job.Frames = frames;
  job.Lossless = lossless;
  job.Width = layout.Width;
  job.Height = layout.Height;
  if (!Encoder.Start(EncoderCommand(job), Log, reason)) {
    std::remove(Log.c_str());
    throw ECaptureError("Cannot start ffmpeg to encode " + path + ": " + reason + " (" + WhereToGetProgram("ffmpeg") +
                        ")");
  }
}

TVideoSink::~TVideoSink() {
  if (Done) return;
  Encoder.Finish();
  std::remove(Temporary.c_str());
  std::remove(Log.c_str());
}

void TVideoSink::Fail(const std::string& what, int status) {
  Progress.Interrupt();
  const std::string why = FailureReason(Log, status);
  std::remove(Temporary.c_str());
  std::remove(Log.c_str());
  Done = true;
  throw ECaptureError(what + " " + Path + ": " + why);
}

void TVideoSink::FinishRun(bool stopped) {
  if (stopped) return;
  TakeLast();
  if (Written() == Progress.Total) Complete();
}

void TVideoSink::Take(const std::vector<uint8_t>& rgb) {
  // The encoder takes the top row first.
  const size_t row = static_cast<size_t>(Layout.Width) * 3;
  Flipped.resize(rgb.size());
  for (int y = 0; y < Layout.Height; ++y)
    std::memcpy(&Flipped[static_cast<size_t>(y) * row], &rgb[static_cast<size_t>(Layout.Height - 1 - y) * row], row);
  if (!Encoder.Write(Flipped.data(), Flipped.size())) Fail("ffmpeg stopped while encoding", Encoder.Finish());
}

void TVideoSink::Complete() {
  const int status = Encoder.Finish();
  if (status != 0) Fail("ffmpeg failed to encode", status);
  std::remove(Log.c_str());
  Done = true;
  std::string why;
  if (!MoveIntoPlace(Temporary, Path, why)) throw ECaptureError("Cannot rename the finished video to " + Path + ": " + why);
  Progress.Finish();
}
