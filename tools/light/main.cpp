// vemla_light <frames> [--track <file>] [--data <folder>] [--from <seconds>]
//             [--fps <n>] [--limit <percent>] [--readable <percent>]
//             [--flat <spread>] [--dark <percent>] [--dark-seconds <s>]
//             [--fade <from>:<to>]... [--worst <n>] [--table <file.csv>]
// Measures a frame capture (a folder of frame-NNNNNN.png, as --capture
// writes it) as its audience sees it, frame by frame with their times:
// - white-outs: each frame's share of inner pixels at full white; frames
//   outside the white flash above --limit (15%) fail;
// - slides: where the track shows a slide at an alpha of 0.5 or more, the
//   share of its text that reads against the frame around it (the slides
//   are read from the content folder, data unless --data); less than
//   --readable (95%) fails;
// - flatness: the spread of the inner pixels' luma (5th to 95th
//   percentile); a wash (even its darkest 5% lit) outside the flash and
//   the fades spread less than --flat (48 of 255) fails;
// - darkness: the share of the inner pixels lit and the mean luma; a
//   stretch outside the fades longer than --dark-seconds (2) with less than
//   --dark (10%) lit fails.
// The track (demo.vrk unless given) tells the flash and the slides; --from
// and --fps must be those of the capture; --fade names a stretch that
// fades on purpose (repeatable). --table writes every frame's measures as
// comma-separated values. Exit status 0 when every measure keeps its
// limit, 1 when one does not, 2 when the frames, the track or a slide
// cannot be read.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <tuple>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Legibility.h"
#include "Light.h"
#include "platform/PngFile.h"
#include "platform/Stream.h"
#include "platform/WholeFile.h"
#include "render2d/JPEG.h"
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
  std::string Data = "data";
  std::string Table;
  double From = 0;
  TFrameRate Fps;
  TLightLimits Limits{.FlatSpread = 48};
  std::vector<std::pair<double, double>> Fades;
  int Worst = 10;
};

int Usage(const std::string& why) {
  std::fprintf(stderr,
               "%s\nusage: vemla_light <frames> [--track <file>] [--data <folder>] [--from <seconds>] [--fps <n>]\n"
               "       [--limit <percent>] [--readable <percent>] [--flat <spread>] [--dark <percent>]\n"
               "       [--dark-seconds <s>] [--fade <from>:<to>]... [--worst <n>] [--table <file.csv>]\n",
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
    const bool percent = number && *number >= 0 && *number <= 100;
    if (word == "--track") {
      options.Track = value;
    } else if (word == "--data") {
      options.Data = value;
    } else if (word == "--table") {
      options.Table = value;
    } else if (word == "--fade") {
      const size_t colon = value.find(':');
      const std::optional<double> from = ParseNumber(value.substr(0, colon).c_str());
      const std::optional<double> to =
          colon == std::string::npos ? std::nullopt : ParseNumber(value.substr(colon + 1).c_str());
      if (!from || !to || *to < *from) return "--fade takes <from>:<to> in seconds, not " + value;
      options.Fades.emplace_back(*from, *to);
    } else if (word == "--readable" && percent) {
      options.Limits.Readable = *number / 100;
    } else if (word == "--flat" && number && *number >= 0 && *number <= 255) {
      options.Limits.FlatSpread = *number;
    } else if (word == "--dark" && percent) {
      options.Limits.DarkLit = *number / 100;
    } else if (word == "--dark-seconds" && number && *number >= 0) {
      options.Limits.DarkSeconds = *number;
    } else if (word == "--fps") {
      const std::optional<TFrameRate> rate = ParseFrameRate(value.c_str());
      if (!rate) return "--fps takes a number or a fraction, not " + value;
      options.Fps = *rate;
    } else if (word == "--from" && number && *number >= 0) {
      options.From = *number;
    } else if (word == "--limit" && percent) {
      options.Limits.White = *number / 100;
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

// The slides' pictures, read once each; the text of each at a frame size,
// placed once for each size met.
class TSlides {
 public:
  explicit TSlides(std::string data) : Data(std::move(data)) {}
  // The slide's text in a frame of that size; nullptr, with the reason,
  // when its picture cannot be read.
  const TSlideText* Text(int slide, int width, int height, std::string& reason) {
    TPixelBuffer& picture = Pictures[slide];
    if (picture.Pixels.empty()) {
      const std::string path = Data + "/" + PlatformPath(SlideFiles[slide]);
      std::string bytes;
      TImageFailure failure;
      if (!ReadWholeFile(path, bytes, reason)) return nullptr;
      if (!DecodeJPEG(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), path, picture, failure)) {
        reason = failure.Text;
        return nullptr;
      }
      // As RGB, bottom row first.
      if (picture.Format == pfRGBA) {
        std::vector<uint8_t> rgb;
        for (size_t k = 0; k < picture.Pixels.size(); k += 4) rgb.insert(rgb.end(), &picture.Pixels[k], &picture.Pixels[k + 3]);
        picture.Pixels.swap(rgb);
        picture.Format = pfRGB;
      }
    }
    for (const auto& [key, text] : Placed)
      if (key == std::make_tuple(slide, width, height)) return &text;
    Placed.emplace_back(std::make_tuple(slide, width, height),
                        TSlideText(picture.Pixels, picture.Width, picture.Height, width, height));
    return &Placed.back().second;
  }

 private:
  std::string Data;
  TPixelBuffer Pictures[4];
  std::deque<std::pair<std::tuple<int, int, int>, TSlideText>> Placed;
};
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
  TSlides slides(options.Data);
  for (const auto& [index, path] : files) {
    int width = 0, height = 0;
    std::string reason;
    if (!ReadPngFile(path.string(), width, height, rgb, reason))
      return Usage("Cannot read " + path.string() + ": " + reason);
    TLightFrame frame;
    frame.Index = index;
    frame.Time = options.From + options.Fps.FrameTime(index);
    frame.White = WhiteShare(rgb.data(), width, height);
    frame.Tone = FrameTone(rgb.data(), width, height);
    // A track of fewer channels leaves the rest off.
    for (float& c : Channels) c = InactiveChannel();
    track.Sample(static_cast<float>(frame.Time));
    frame.Flash = FlashVisible(Channels[chFlash]);
    if (frame.Flash) frame.FlashStrength = Channels[chFlash];
    const int slot = ChannelSet(Channels[chPicture]) ? PictureSlot(Channels[chPicture]) : -1;
    if (slot >= 0 && slot < 4 && ChannelSet(Channels[chPictureAlpha])) {
      frame.Slide = slot;
      frame.SlideAlpha = Channels[chPictureAlpha];
      const TSlideText* text = slides.Text(slot, width, height, reason);
      if (text == nullptr) return Usage("Cannot read the slide " + std::string(SlideFiles[slot]) + ": " + reason);
      frame.Readable = ReadableTextShare(rgb.data(), *text);
    }
    for (const auto& [from, to] : options.Fades) frame.Fade |= frame.Time >= from && frame.Time <= to;
    frames.push_back(frame);
  }
  const double frameSeconds = options.Fps.FrameTime(1);
  std::fputs(LightReport(frames, options.Limits, options.Worst, frameSeconds).c_str(), stdout);
  if (!options.Table.empty()) {
    std::string reason;
    if (!ReplaceFile(options.Table, LightTable(frames), false, reason))
      return Usage("Cannot write " + options.Table + ": " + reason);
  }
  return SummariseLight(frames, options.Limits, frameSeconds).Passes() ? 0 : 1;
}
