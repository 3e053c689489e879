// vemla_bench <run directory> <csv file> [--surface WxH] [--native] [workload ...]
// Plays workloads of the demo's own loop on the virtual clock at 800 x 600
// under SDL's offscreen driver, without writing frames, and prints the
// median and 90th-percentile time per frame of each. With --surface each
// frame is also presented on a window surface of that size, fitted into its
// 4:3 rectangle: drawn at 800 x 600 and scaled, or with --native drawn at
// the rectangle's own resolution. Every frame's filled pixels are counted
// too, for the workloads' fill floors.
#include <GL/gl.h>

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
constexpr double Fps = 60;

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

struct TSceneWorkload {
  const char* Name;
  std::vector<std::pair<int, float>> Channels;
  double From;
};

// A track of every timeline channel, 200 s long, holding the given values
// throughout and off elsewhere.
void MakeTrack(TVRTReader& track, const char* name, const std::vector<std::pair<int, float>>& values) {
  std::vector<std::vector<float>> channels(TrackChannels,
                                           std::vector<float>(200 * Tempo * RowsPerTrackBeat / 60,
                                                              std::numeric_limits<float>::quiet_NaN()));
  for (const auto& [channel, value] : values) std::fill(channels[channel].begin(), channels[channel].end(), value);
  track.LoadChannels(std::move(channels), Tempo, name);
}

// Every workload starts from the state the program starts with, so that its
// camera paths and picture choices do not depend on the workloads before it.
void ResetScenes() {
  ResetBeat();
  CameraEye = MakeVec3(600, 400, 100);
  OverlayIndexA = 1;
  OverlayIndexB = 4;
}

TBenchResult PlayFrames(const char* name, TVRTReader& track, double from, int warmUp, int measured) {
  ResetScenes();
  TTimingSink sink;
  if (warmUp > 0) {
    TVirtualClock warm(from, Fps, warmUp);
    RunMainLoop(track, warm, sink);
  }
  sink.Restart();
  TVirtualClock clock(from + warmUp / Fps, Fps, measured);
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
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vemla_bench <run directory> <csv file> [workload ...]\n");
    return 2;
  }
  const fs::path stage = fs::absolute(argv[1]);
  const fs::path csv = fs::absolute(argv[2]);
  int surfaceWidth = 0, surfaceHeight = 0;
  bool native = false;
  std::set<std::string> only;
  for (int k = 3; k < argc; ++k) {
    const std::string word = argv[k];
    if (word == "--native") {
      native = true;
    } else if (word == "--surface" && k + 1 < argc) {
      if (std::sscanf(argv[++k], "%dx%d", &surfaceWidth, &surfaceHeight) != 2 || surfaceWidth <= 0 ||
          surfaceHeight <= 0) {
        std::fprintf(stderr, "--surface takes a size such as 1280x720\n");
        return 2;
      }
    } else {
      only.insert(word);
    }
  }
  auto wanted = [&](const std::string& name) { return only.empty() || only.count(name) > 0; };

  PreferOffscreenVideo();
  LoadGLLibraries();
  BuildGLWindow(800, 600, 32, MainWindow, "Bench", false);
  if (surfaceWidth > 0) {
    // A window of the surface's size on the same context; the frames keep
    // their 800 x 600 units.
    bool failed = false;
    MainWindow.Wnd = MainWindow.DC =
        CurrentWindowBackend().OpenWindow("Bench", surfaceWidth, surfaceHeight, ScreenMode::Windowed, {}, failed);
    CurrentWindowBackend().MakeCurrent(MainWindow.Wnd, MainWindow.RC);
    if (!StartPresentation(800, 600, surfaceWidth, surfaceHeight,
                           native ? TFrameScale::Native : TFrameScale::Scaled)) {
      std::fprintf(stderr, "no frame-buffer objects: cannot present on a surface\n");
      return 1;
    }
    SetVerticalSync(false);
    TTimingSink::Presenting = true;
    const TPixelRect rect = SurfaceRect();
    std::printf("surface %dx%d, picture %dx%d at (%d, %d), drawn at %dx%d\n", surfaceWidth, surfaceHeight,
                rect.Width, rect.Height, rect.X, rect.Y, FramePixelWidth(), FramePixelHeight());
  }
  if (!TTimingSink::Counter.Start()) std::printf("no occlusion queries: layers and floors are not counted\n");
  fs::current_path(stage);
  TVRTReader whole((stage / "demo.vrk").string());
  LoadDemo(TLoadOptions{.LoadingScreen = false, .Music = false});

  const std::vector<TSceneWorkload> scenes = {
      {"nest", {{8, 0.3f}}, 20},           {"nest-glow", {{2, 0.3f}}, 28},   {"tunnel", {{9, 1}}, 40},
      {"pea-swarm", {{3, 1}}, 55},         {"warp-echo", {{4, 0.5f}}, 3},    {"stamp-room", {{5, 1}}, 95},
      {"overlay", {{1, 1}}, 78},           {"feedback", {{10, 0.5f}, {6, 4}}, 8},
  };

  std::vector<TBenchResult> results;
  const TBenchResult reference = PlayReference();
  std::printf("%s\n", TableHeader().c_str());
  std::printf("%s\n", FormatResult(reference, reference).c_str());
  std::fflush(stdout);
  results.push_back(reference);
  for (const TSceneWorkload& scene : scenes) {
    if (!wanted(scene.Name)) continue;
    TVRTReader track;
    MakeTrack(track, scene.Name, scene.Channels);
    results.push_back(PlayFrames(scene.Name, track, scene.From, WarmUpFrames, MeasuredFrames));
    std::printf("%s\n", FormatResult(results.back(), reference).c_str());
    std::fflush(stdout);
  }
  if (wanted("whole-track")) {
    const int frames = static_cast<int>(std::ceil(whole.EndTime() * Fps - 1e-6));
    results.push_back(PlayFrames("whole-track", whole, 0, 0, frames));
    std::printf("%s\n", FormatResult(results.back(), reference).c_str());
  }

  fs::create_directories(csv.parent_path());
  std::ofstream out(csv);
  out << CsvHeader() << "\n";
  for (const TBenchResult& r : results) out << CsvLine(r, reference) << "\n";
  std::printf("written to %s\n", csv.string().c_str());
  return out ? 0 : 1;
}
