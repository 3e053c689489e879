// vemla_light <frames> [--track <file>] [--from <seconds>] [--fps <n>]
//             [--limit <percent>] [--worst <n>]
// Measures a frame capture (a folder of frame-NNNNNN.png, as --capture
// writes it) for white-outs: each frame's share of inner pixels at full
// white, the frames above the limit (15% unless given) with their times,
// and the whitest frames. The track (demo.vrk unless given) tells which
// frames fall in the white flash, which are bright on purpose; --from and
// --fps must be those of the capture. Exit status 0 when no frame outside
// the flash is above the limit, 1 when some are, 2 when the frames or the
// track cannot be read.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Light.h"
#include "platform/PngFile.h"
#include "platform/SharedState.h"
#include "runtime/Capture.h"
#include "runtime/ChannelBindings.h"
#include "runtime/CommandWords.h"
#include "runtime/DemoMain.h"
#include "runtime/VRTReader.h"

namespace fs = std::filesystem;

namespace {
struct TLightOptions {
  std::string Frames;
  std::string Track = "demo.vrk";
  double From = 0;
  TFrameRate Fps;
  double Limit = 0.15;
  int Worst = 10;
};

int Usage(const std::string& why) {
  std::fprintf(stderr,
               "%s\nusage: vemla_light <frames> [--track <file>] [--from <seconds>] [--fps <n>] "
               "[--limit <percent>] [--worst <n>]\n",
               why.c_str());
  return 2;
}

std::optional<std::string> ParseOptions(int argc, char** argv, TLightOptions& options) {
  for (int k = 1; k < argc; ++k) {
    const std::string word = argv[k];
    if (word.rfind("--", 0) != 0) {
      if (!options.Frames.empty()) return "one frames folder only, not also " + word;
      options.Frames = word;
      continue;
    }
    if (k + 1 >= argc) return word + " needs a value";
    const std::string value = argv[++k];
    const std::optional<double> number = ParseNumber(value.c_str());
    if (word == "--track") {
      options.Track = value;
    } else if (word == "--fps") {
      const std::optional<TFrameRate> rate = ParseFrameRate(value.c_str());
      if (!rate) return "--fps takes a number or a fraction, not " + value;
      options.Fps = *rate;
    } else if (word == "--from" && number && *number >= 0) {
      options.From = *number;
    } else if (word == "--limit" && number && *number >= 0 && *number <= 100) {
      options.Limit = *number / 100;
    } else if (word == "--worst" && number && *number >= 0 && *number <= 100000) {
      options.Worst = static_cast<int>(*number);
    } else {
      return "cannot take " + word + " " + value;
    }
  }
  if (options.Frames.empty()) return "no frames folder";
  return std::nullopt;
}

// The capture's frames in order, with their numbers.
std::vector<std::pair<int64_t, fs::path>> FrameFiles(const std::string& folder, std::error_code& error) {
  std::vector<std::pair<int64_t, fs::path>> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    // Names as the capture writes them, and no others.
    if (name.size() < 12 || name.rfind("frame-", 0) != 0) continue;
    const std::string digits = name.substr(6, 6);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    const int64_t index = std::stoll(digits);
    if (name == CaptureFileName(index)) files.emplace_back(index, entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}
}  // namespace

int main(int argc, char** argv) {
  TLightOptions options;
  if (auto error = ParseOptions(argc, argv, options)) return Usage(*error);
  TVRTReader track;
  try {
    track.LoadFromFile(options.Track);
  } catch (const std::exception& error) {
    return Usage("Cannot read the track " + options.Track + ": " + error.what());
  }
  std::error_code listError;
  const auto files = FrameFiles(options.Frames, listError);
  if (listError) return Usage("Cannot read " + options.Frames + ": " + listError.message());
  if (files.empty()) return Usage("No frame-NNNNNN.png in " + options.Frames);
  std::vector<TLightFrame> frames;
  std::vector<uint8_t> rgb;
  for (const auto& [index, path] : files) {
    int width = 0, height = 0;
    std::string reason;
    if (!ReadPngFile(path.string(), width, height, rgb, reason))
      return Usage("Cannot read " + path.string() + ": " + reason);
    TLightFrame frame;
    frame.Index = index;
    frame.Time = options.From + options.Fps.FrameTime(index);
    frame.White = WhiteShare(rgb.data(), width, height);
    track.Sample(static_cast<float>(frame.Time));
    frame.Flash = FlashVisible(Channels[chFlash]);
    if (frame.Flash) frame.FlashStrength = Channels[chFlash];
    frames.push_back(frame);
  }
  std::fputs(LightReport(frames, options.Limit, options.Worst).c_str(), stdout);
  const TLightSummary summary = SummariseLight(frames, options.Limit);
  return summary.Above > summary.AboveInFlash ? 1 : 0;
}
