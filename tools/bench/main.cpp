// vemla_bench <run directory> <csv file> [--surface WxH] [--native] [workload ...]
// Plays workloads of the demo's own loop on the virtual clock at 800 x 600
// under SDL's offscreen driver, without writing frames, and prints the
// median and 90th-percentile time per frame of each. With --surface each
// frame is also presented on a window surface of that size, fitted into its
// 4:3 rectangle: drawn at 800 x 600 and scaled, or with --native drawn at
// the rectangle's own resolution. Every frame's filled pixels are counted
// too, for the workloads' fill floors.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>

#include "Bench.h"
#include "FillCount.h"
#include "Song.h"
#include "Timeline.h"
#include "platform/GLLibraries.h"
#include "platform/Message.h"
#include "platform/Presentation.h"
#include "platform/WindowBackend.h"
#include "render2d/Overlay2D.h"
#include "runtime/ChannelBindings.h"
#include "runtime/DemoMain.h"
#include "runtime/MainLoop.h"
#include "runtime/Timer.h"
#include "runtime/VRTReader.h"
#include "scenes/Beat.h"
#include "scenes/Clockwork.h"
#include "scenes/VemlaOverlay.h"

namespace fs = std::filesystem;

namespace {
constexpr int WarmUpFrames = 30;
constexpr int MeasuredFrames = 300;
constexpr int64_t Fps = 60;

// Waits for the frame to be finished and notes how long it took since the
// previous one, and how many layers it filled and shaded. The count's wait comes after
// the frame is finished and outside the time.
class TTimingSink final : public TFrameSink {
 public:
  TTimingSink() {
    Clock.Start();
    Counter.BeginFrame();
  }
  ~TTimingSink() override { Counter.EndFrame(); }
  void FinishFrame() override {
    if (Presenting) PresentFrame(MainWindow);
    glFinish();
    const double now = Clock.GetTime();
    Seconds.push_back(now - Last);
    Fills.push_back(Counter.EndFrame());
    Counter.BeginFrame();
    Last = Clock.GetTime();
  }
  void Restart() {
    Seconds.clear();
    Fills.clear();
    Last = Clock.GetTime();
  }
  std::vector<double> Seconds;
  std::vector<TFrameFill> Fills;
  static inline bool Presenting = false;
  static inline TFillCounter Counter;

 private:
  TETimer Clock;
  double Last = 0;
};

// One scene alone: its channel at a value (and any others it needs) from a
// point of the timeline where that scene plays.
struct TSceneWorkload {
  TChannel Scene;
  float Value;
  double From;
  std::vector<std::pair<TChannel, float>> Others = {};
  const char* Name() const { return ChannelBindings[Scene].Name; }
};

const std::vector<TSceneWorkload> SceneWorkloads = {
    {chNest, 0.3f, 20},     {chNestGlow, 0.3f, 28}, {chTunnel, 1, 40},  {chPeaSwarm, 1, 55},
    {chWarpEcho, 0.5f, 3},  {chStampRoom, 1, 95},   {chOverlay, 1, 78}, {chFeedback, 0.5f, 8, {{chPicture, 4}}},
};

// A track of every timeline channel, 200 s long, holding the workload's
// values throughout and off elsewhere.
void MakeTrack(TVRTReader& track, const TSceneWorkload& scene) {
  std::vector<std::vector<float>> channels(TrackChannels,
                                           std::vector<float>(200 * Tempo * RowsPerTrackBeat / 60,
                                                              std::numeric_limits<float>::quiet_NaN()));
  std::fill(channels[scene.Scene].begin(), channels[scene.Scene].end(), scene.Value);
  for (const auto& [channel, value] : scene.Others) std::fill(channels[channel].begin(), channels[channel].end(), value);
  track.LoadChannels(std::move(channels), Tempo, scene.Name());
}

// Every workload starts from the state a run of its own track from the
// start brings to its first frame, so that its camera paths and picture
// choices do not depend on the workloads before it.
TBenchResult PlayFrames(const char* name, TVRTReader& track, double from, int warmUp, int measured) {
  BringFrameStateTo(from, TFrameRate{Fps, 1}, track);
  TTimingSink sink;
  if (warmUp > 0) {
    TVirtualClock warm(from, TFrameRate{Fps, 1}, warmUp);
    RunMainLoop(track, warm, sink);
  }
  sink.Restart();
  TVirtualClock clock(from + warmUp / double(Fps), TFrameRate{Fps, 1}, measured);
  RunMainLoop(track, clock, sink);
  return Summarise(name, sink.Seconds, sink.Fills);
}

TBenchResult PlayReference() {
  TTimingSink sink;
  for (int frame = 0; frame < WarmUpFrames + MeasuredFrames; ++frame) {
    if (frame == WarmUpFrames) sink.Restart();
    DrawReferenceFrame(Pictures[2]);
    sink.FinishFrame();
  }
  return Summarise("reference", sink.Seconds, sink.Fills);
}

struct TBenchOptions {
  fs::path Stage;
  fs::path Csv;
  int SurfaceWidth = 0, SurfaceHeight = 0;
  bool Native = false;
  std::set<std::string> Only;  // none: every workload
  bool Wanted(const std::string& name) const { return Only.empty() || Only.count(name) > 0; }
};

// False (after saying why) when the command line cannot be read.
bool ParseOptions(int argc, char** argv, TBenchOptions& options) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vemla_bench <run directory> <csv file> [--surface WxH] [--native] [workload ...]\n");
    return false;
  }
  options.Stage = fs::absolute(argv[1]);
  options.Csv = fs::absolute(argv[2]);
  for (int k = 3; k < argc; ++k) {
    const std::string word = argv[k];
    if (word == "--native") {
      options.Native = true;
    } else if (word == "--surface" && k + 1 < argc) {
      if (std::sscanf(argv[++k], "%dx%d", &options.SurfaceWidth, &options.SurfaceHeight) != 2 ||
          options.SurfaceWidth <= 0 || options.SurfaceHeight <= 0) {
        std::fprintf(stderr, "--surface takes a size such as 1280x720\n");
        return false;
      }
    } else {
      options.Only.insert(word);
    }
  }
  return true;
}

// The 800 x 600 frame, and with a surface a window of that size on the same
// context that every frame is presented on; the frames keep their 800 x 600
// units. False (after saying why) when the surface cannot be presented on.
bool OpenWindow(const TBenchOptions& options) {
  PreferOffscreenVideo();
  LoadGLLibraries();
  BuildGLWindow(800, 600, 32, MainWindow, "Bench", false);
  if (options.SurfaceWidth > 0) {
    bool failed = false;
    MainWindow.Wnd = MainWindow.DC = CurrentWindowBackend().OpenWindow(
        "Bench", options.SurfaceWidth, options.SurfaceHeight, ScreenMode::Windowed, {}, failed);
    CurrentWindowBackend().MakeCurrent(MainWindow.Wnd, MainWindow.RC);
    if (!StartPresentation(800, 600, options.SurfaceWidth, options.SurfaceHeight,
                           options.Native ? TFrameScale::Native : TFrameScale::Scaled)) {
      std::fprintf(stderr, "no frame-buffer objects: cannot present on a surface\n");
      return false;
    }
    SetVerticalSync(false);
    TTimingSink::Presenting = true;
    const TPixelRect rect = SurfaceRect();
    std::printf("surface %dx%d, picture %dx%d at (%d, %d), drawn at %dx%d\n", options.SurfaceWidth,
                options.SurfaceHeight, rect.Width, rect.Height, rect.X, rect.Y, FramePixelWidth(), FramePixelHeight());
  }
  if (!TTimingSink::Counter.Start()) std::printf("no occlusion queries: layers and floors are not counted\n");
  return true;
}

// Prints a result's line of the table as soon as it is measured.
void Report(const TBenchResult& result, const TBenchResult& reference) {
  std::printf("%s\n", FormatResult(result, reference).c_str());
  std::fflush(stdout);
}

// What a late start or a seek pays before it draws: bringing what frames
// carry to the end of the track at 60 frames a second, timed over 21 seeks.
void ReportSeek(TVRTReader& whole) {
  std::vector<double> ms;
  TETimer clock;
  clock.Start();
  for (int k = 0; k < 21; ++k) {
    const double start = clock.GetTime();
    BringFrameStateTo(whole.EndTime(), TFrameRate{Fps, 1}, whole);
    ms.push_back((clock.GetTime() - start) * 1000);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("seek to the track's end (%.1f s, %lld frames): median %.2f ms, slowest %.2f ms\n", whole.EndTime(),
              static_cast<long long>(TFrameRate{Fps, 1}.FramesBefore(whole.EndTime())), ms[ms.size() / 2], ms.back());
  std::fflush(stdout);
}

// The seek, the reference, the wanted scenes and, if wanted, the whole track.
std::vector<TBenchResult> RunWorkloads(const TBenchOptions& options, TVRTReader& whole) {
  if (options.Wanted("seek")) ReportSeek(whole);
  std::vector<TBenchResult> results;
  const TBenchResult reference = PlayReference();
  std::printf("%s\n", TableHeader().c_str());
  Report(reference, reference);
  results.push_back(reference);
  for (const TSceneWorkload& scene : SceneWorkloads) {
    if (!options.Wanted(scene.Name())) continue;
    TVRTReader track;
    MakeTrack(track, scene);
    results.push_back(PlayFrames(scene.Name(), track, scene.From, WarmUpFrames, MeasuredFrames));
    Report(results.back(), reference);
  }
  if (options.Wanted("whole-track")) {
    const int frames = static_cast<int>(std::ceil(whole.EndTime() * Fps - 1e-6));
    results.push_back(PlayFrames("whole-track", whole, 0, 0, frames));
    Report(results.back(), reference);
  }
  return results;
}

bool WriteCsv(const fs::path& csv, const std::vector<TBenchResult>& results) {
  fs::create_directories(csv.parent_path());
  std::ofstream out(csv);
  out << CsvHeader() << "\n";
  for (const TBenchResult& r : results) out << CsvLine(r, results.front()) << "\n";
  std::printf("written to %s\n", csv.string().c_str());
  return static_cast<bool>(out);
}
}  // namespace

int main(int argc, char** argv) {
  TBenchOptions options;
  if (!ParseOptions(argc, argv, options)) return 2;
  if (!OpenWindow(options)) return 1;
  fs::current_path(options.Stage);
  TVRTReader whole((options.Stage / "demo.vrk").string());
  LoadDemo(TLoadOptions{.LoadingScreen = false, .Music = false});
  return WriteCsv(options.Csv, RunWorkloads(options, whole)) ? 0 : 1;
}
