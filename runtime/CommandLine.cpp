#include "runtime/CommandLine.h"

#include "runtime/CommandWords.h"
#include "runtime/VideoCapture.h"

namespace {
constexpr double MaxFps = 1000;

// Options followed by a value, with what their value is.
struct TValueOption {
  const char* Name;
  const char* Missing;  // the error when no value follows
};
const TValueOption ValueOptions[] = {
    {"--capture", "--capture needs a folder to write the frames to"},
    {"--from", "--from needs a number of seconds"},
    {"--to", "--to needs a number of seconds"},
    {"--fps", "--fps needs a number of frames per second"},
    {"--start", "--start needs a number of seconds"},
    {"--size", "--size needs a frame size in pixels, such as 1440x1080"},
    {"--still", "--still needs a number of seconds"},
};

const TValueOption* FindValueOption(const std::string& word) {
  for (const TValueOption& option : ValueOptions)
    if (word == option.Name) return &option;
  return nullptr;
}

// --size's value: "<width>x<height>" within the sizes a capture takes.
std::optional<TUsageError> ReadSize(const std::string& value, TCaptureOptions& capture) {
  const std::optional<TPixelSize> size = ParsePixelSize(value);
  const std::string range = std::to_string(MinCaptureWidth) + "x" + std::to_string(MinCaptureHeight) + " to " +
                            std::to_string(MaxCaptureWidth) + "x" + std::to_string(MaxCaptureHeight);
  if (!size) return TUsageError{"--size takes a width and height in pixels, such as 1440x1080, not \"" + value + "\""};
  if (size->Width < MinCaptureWidth || size->Width > MaxCaptureWidth || size->Height < MinCaptureHeight ||
      size->Height > MaxCaptureHeight)
    return TUsageError{"--size must be from " + range + ", not " + value};
  capture.Width = size->Width;
  capture.Height = size->Height;
  capture.SizeGiven = true;
  return std::nullopt;
}

// A number option's value: a finite number of seconds (0 or more) or of
// frames per second.
std::optional<TUsageError> ReadNumberText(const std::string& word, const std::string& value, TCommandLine& line,
                                      bool& spanGiven) {
  const std::optional<double> parsed = ParseNumber(value.c_str());
  if (word == "--fps") {
    const std::optional<TFrameRate> rate = ParseFrameRate(value.c_str());
    const TUsageError outOfRange{"--fps must be more than 0 and at most " + NumberText(MaxFps) + ", not " + value};
    if (!rate) {
      if (parsed && (*parsed <= 0 || *parsed > MaxFps)) return outOfRange;
      return TUsageError{"--fps takes a number of frames per second, such as 50 or 29.97, or a fraction such as "
                         "60000/1001, not \"" + value + "\""};
    }
    if (rate->PerSecond() > MaxFps) return outOfRange;
    line.Capture.Fps = *rate;
    spanGiven = true;
    return std::nullopt;
  }
  if (!parsed) return TUsageError{word + " takes a number, not \"" + value + "\""};
  if (*parsed < 0) return TUsageError{word + " must be 0 seconds or more, not " + value};
  if (word == "--start") {
    line.Start = *parsed;
  } else if (word == "--still") {
    line.Still = *parsed;
  } else {
    (word == "--from" ? line.Capture.From : line.Capture.To) = *parsed;
    spanGiven = true;
  }
  return std::nullopt;
}
}  // namespace

std::optional<TUsageError> ParseCommandLine(int argc, const char* const* argv, TCommandLine& line) {
  line.Server = ServerModeRequested(argc, argv);
  line.Windowed = WindowRequested(argc, argv);
  bool spanGiven = false;
  bool startGiven = false;
  for (int k = 1; k < argc; ++k) {
    const std::string word = argv[k] != nullptr ? argv[k] : "";
    if (word.empty() || word[0] != '-' || word == "-vrt" || word == "-w") continue;
    if (const TValueOption* option = FindValueOption(word)) {
      if (k + 1 >= argc || argv[k + 1] == nullptr) return TUsageError{option->Missing};
      const std::string value = argv[++k];
      if (word == "--capture") {
        if (value.empty()) return TUsageError{option->Missing};
        line.Capture.Requested = true;
        line.Capture.Folder = value;
        continue;
      }
      if (word == "--size") {
        if (auto error = ReadSize(value, line.Capture)) return error;
        continue;
      }
      startGiven = startGiven || word == "--start";
      if (auto error = ReadNumberText(word, value, line, spanGiven)) return error;
    } else if (word == "--lossless") {
      line.Capture.Lossless = true;
    } else if (word == "--desktop") {
      line.Desktop = true;
    } else if (word == "--no-vsync") {
      line.Vsync = false;
    } else if (word == "--stats") {
      line.Stats = true;
    } else if (word == "--help") {
      line.Help = true;
    } else if (word == "--version") {
      line.Version = true;
    } else {
      return TUsageError{"Unknown option " + word + "; see --help"};
    }
  }
  const TCaptureOptions& capture = line.Capture;
  if (spanGiven && !capture.Requested) return TUsageError{"--from, --to and --fps need --capture <folder>"};
  if (capture.From && capture.To && *capture.From > *capture.To)
    return TUsageError{"--from " + NumberText(*capture.From) + " is after --to " + NumberText(*capture.To)};
  if (startGiven && capture.Requested) return TUsageError{"--start is for playing; a capture begins at --from"};
  if (line.Still && (capture.Requested || line.Server || startGiven))
    return TUsageError{"--still shows one frame on its own; it goes with neither --capture, --start nor -vrt"};
  if (capture.Lossless && !IsVideoPath(capture.Folder))
    return TUsageError{"--lossless is for a video capture (.mp4 or .mkv); frames and sound files lose nothing anyway"};
  if (capture.SizeGiven && !capture.Requested) return TUsageError{"--size needs --capture <folder or video>"};
  if (capture.SizeGiven && IsSoundPath(capture.Folder))
    return TUsageError{"--size is for frames or a video; a sound file has no pictures"};
  // H.264 in 4:2:0 halves the colour both ways and takes only even sizes.
  if (IsVideoPath(capture.Folder) && !capture.Lossless && (capture.Width % 2 != 0 || capture.Height % 2 != 0))
    return TUsageError{"--size " + std::to_string(capture.Width) + "x" + std::to_string(capture.Height) +
                       ": an H.264 video takes an even width and height (or --lossless)"};
  return std::nullopt;
}

std::string UsageText() {
  return "Usage: vemla [options]\n"
         "Plays the Vemla demo full screen with its music, until the track ends or Escape is pressed.\n"
         "Full screen asks the display for 800 x 600; where it cannot switch, the picture fills\n"
         "the largest 4:3 rectangle of the screen, black around it.\n"
         "\n"
         "Options:\n"
         "  -w                  play in a window (it can be resized and maximised)\n"
         "  -vrt                preview target for the parameter editor, on TCP port 1024\n"
         "                      (-w and -vrt count only as the first or second word)\n"
         "  --desktop           full screen at the desktop's resolution, without a mode switch\n"
         "  --no-vsync          present frames as soon as they are drawn, not with the display\n"
         "  --start <seconds>   begin at that point of the track, the music with it\n"
         "  --stats             print the frames per second and the slowest frame once a second\n"
         "  --still <seconds>   show the one frame at that time, without sound, and stop (the\n"
         "                      browser page's ?t=)\n"
         "  --capture <target>  write every frame without a window or sound: as PNG\n"
         "                      files into a folder, or into a video when the name ends in .mp4\n"
         "                      or .mkv (with the music); a name ending in .wav or .flac takes\n"
         "                      only the music of the span\n"
         "  --lossless          the video loses nothing: FFV1 and FLAC in .mkv, the pictures\n"
         "                      byte for byte; H.264 at qp 0 (yuv444p) and AAC in .mp4\n"
         "  --size <W>x<H>      the captured frames' size in pixels (default 800x600, from 320x240\n"
         "                      to 3840x2160), drawn at that size: the picture in the largest\n"
         "                      centred 4:3 rectangle, black around it (1440x1080, 1920x1080)\n"
         "  --from <seconds>    where the capture begins (default 0)\n"
         "  --to <seconds>      where the capture ends (default the end of the track)\n"
         "  --fps <n>           frames per second of the capture (default 60): a number (50, 29.97)\n"
         "                      or a fraction (60000/1001)\n"
         "  --help              print this text\n"
         "  --version           print the version\n"
         "\n"
         "Keys:\n"
         "  Escape              end the demo\n"
         "\n"
         "Files, read from the folder the demo is started in:\n"
         "  demo.vrk            the parameter track\n"
         "  data/               the models, pictures and music (data/vemla/sound.mp3)\n"
         "./run.sh builds the demo and starts it in build/stage/, which holds both.\n";
}
