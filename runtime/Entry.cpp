#include "runtime/Entry.h"

#include <GL/gl.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

#include "platform/Console.h"
#include "platform/Directory.h"
#include "platform/EINKeyboard.h"
#include "platform/GLLibraries.h"
#include "platform/Message.h"
#include "platform/Presentation.h"
#include "platform/Stream.h"
#include "platform/Termination.h"
#include "platform/WindowBackend.h"
#include "render2d/Overlay2D.h"
#include "render2d/RenderTexture.h"
#include "runtime/Capture.h"
#include "runtime/CommandLine.h"
#include "runtime/DemoMain.h"
#include "runtime/MainLoop.h"
#include "runtime/VRTReader.h"
#include "runtime/VRTServer.h"
#include "runtime/VideoCapture.h"

namespace {
constexpr int UsageStatus = 2;
constexpr const char* TrackFileName = "demo.vrk";

// A command line the program cannot follow is answered on stderr alone:
// whoever typed it is at a terminal.
int UsageError(const TUsageError& error) {
  ShowNotice(error.Text);
  return UsageStatus;
}

// The track, read from the folder the program was started in. Without it the
// run cannot start: besides the error, say where it was looked for and how
// the demo is meant to be started.
bool OpenTrack(std::optional<TVRTReader>& track) {
  const std::string where = AbsolutePath(TrackFileName);
  try {
    track.emplace(TrackFileName);
    return true;
  } catch (const EFOpenError& error) {
    ShowMessage("Error", error.what());
    ShowNotice("Looked for " + where +
               ". The demo reads demo.vrk and data/ from the folder it is started in: start it with ./run.sh, "
               "or from build/stage/ (cd build/stage && ../vemla).");
    return false;
  } catch (const EReadError& error) {
    // A track cut short inside its header says which file it was.
    ShowMessage("Error", "Cannot read the parameter track " + std::string(TrackFileName) + ": " + error.what());
    return false;
  }
}

// Runs the main loop with a signal stopping it between frames rather than
// ending the program, so that the run ends whole.
void RunStoppableLoop(TVRTReader& track, TFrameClock& clock, TFrameSink& sink) {
  EnterMainLoop();
  RunMainLoop(track, clock, sink);
  LeaveMainLoop();
}

// Count frames on the virtual clock from `from` at `rate`, what frames carry
// to the next first brought there as a run from the start brings it: a
// capture's frames and a still's one frame come this one way.
void PlayVirtualFrames(TVRTReader& track, double from, TFrameRate rate, int64_t count, TFrameSink& sink) {
  BringFrameStateTo(from, rate, track);
  TVirtualClock clock(from, rate, count);
  RunStoppableLoop(track, clock, sink);
}

// The frame folder or the video the capture writes, with the music where
// there is some.
std::unique_ptr<TCaptureTarget> OpenCaptureTarget(const std::string& target, bool video, const TCaptureSpan& span,
                                                  const TCaptureOptions& options) {
  const TCaptureLayout layout = CaptureLayout(options.Width, options.Height);
  if (!video) return std::make_unique<TCaptureSink>(target, options.Folder, span.Count, layout);
  std::string music = AbsolutePath(MusicFileName);
  if (!FileExists(music)) {
    ShowMessage("Capture", "No music at " + music + ": the video has no sound");
    music.clear();
  }
  return std::make_unique<TVideoSink>(target, music, span.From, options.Fps, span.Count, options.Lossless, layout);
}

// Frames of another size than 800 x 600 are drawn at the size of their
// picture, so that the scenes' detail is sharper rather than scaled up; the
// window stays as it is, unseen. False, once said why, when the driver
// cannot draw anywhere but into the window.
bool DrawCaptureFramesAtSize(const TCaptureOptions& options) {
  if (!options.SizeGiven || IsSoundPath(options.Folder)) return true;
  if (StartPresentation(800, 600, options.Width, options.Height, TFrameScale::Native)) return true;
  ShowMessage("Error", "Cannot capture frames of " + std::to_string(options.Width) + " x " +
                           std::to_string(options.Height) +
                           ": this OpenGL driver draws only into the window (it has no frame-buffer objects)");
  return false;
}

// Writes the span's stretch of the music, without drawing a frame.
int CaptureMusic(const std::string& target, const TCaptureSpan& span, const TCaptureOptions& options) {
  // The music lies where loading finds it: below "data" if there is one.
  ChangeDirectory("data");
  const std::string music = AbsolutePath(MusicFileName);
  if (!FileExists(music)) {
    ShowMessage("Error", "No music at " + music + ": there is no sound to write");
    return 1;
  }
  WriteMusicSpan(target, music, span.From, options.Fps.FrameTime(span.Count));
  std::fprintf(stderr, "The sound is in %s\n", target.c_str());
  return 0;
}

// Plays the frames on the virtual clock into the capture folder or video.
int Capture(const TCaptureOptions& options, TVRTReader& track) {
  TCaptureSpan span;
  if (auto error = CaptureSpan(options, track.EndTime(), span)) return UsageError(*error);
  if (IsSoundPath(options.Folder)) return CaptureMusic(AbsolutePath(options.Folder), span, options);
  const bool video = IsVideoPath(options.Folder);
  const std::string target = AbsolutePath(options.Folder);
  if (!video) {
    std::string reason;
    if (!PrepareOutputFolder(target, reason))
      return UsageError({"Cannot write frames into " + options.Folder + ": " + reason});
  }
  LoadDemo(TLoadOptions{.LoadingScreen = false, .Music = false});
  // From here a signal stops the capture between frames, so that what it
  // leaves behind is whole: the frames written so far, or no video at all.
  const std::unique_ptr<TCaptureTarget> sink = OpenCaptureTarget(target, video, span, options);
  PlayVirtualFrames(track, span.From, options.Fps, span.Count, *sink);
  sink->FinishRun(TerminationRequested());
  const int64_t written = sink->Written();
  if (written < span.Count && TerminationRequested()) {
    ShowMessage("Capture", "Stopped by a signal after " + std::to_string(written) + " of " +
                               std::to_string(span.Count) + " frames: " + sink->LeftBehind());
    return TerminationStatus();
  }
  if (written < span.Count) {
    ShowMessage("Error", "Capture stopped after " + std::to_string(written) + " of " + std::to_string(span.Count) +
                             " frames");
    return 1;
  }
  if (const std::string done = sink->Completed(); !done.empty()) std::fprintf(stderr, "%s\n", done.c_str());
  return 0;
}
}  // namespace

int RunDemo(int argc, const char* const* argv) {
  // Before the window system starts, which then leaves the signals to us.
  InstallTerminationHandlers();
  LeaveConsoleOfItsOwn();
  try {
    TCommandLine line;
    if (auto error = ParseCommandLine(argc, argv, line)) return UsageError(*error);
    if (line.Help) {
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    }
    if (line.Version) {
      std::printf("Vemla %s\n", VemlaVersion);
      return 0;
    }
    const TCaptureOptions& capture = line.Capture;
    // Frames that are only written need no screen.
    if (capture.Requested) PreferOffscreenVideo();
    LoadGLLibraries();
    const bool fullscreen = !line.Windowed && !capture.Requested;
    if (!BuildGLWindow(800, 600, 32, MainWindow, "Test", fullscreen, line.Desktop)) {
      // The window's own message has said why; with no GL context nothing
      // can be drawn, so the start-up ends here.
      UnloadGLLibraries();
      return 1;
    }
    if (!capture.Requested) SetVerticalSync(line.Vsync);
    if (capture.Requested && !DrawCaptureFramesAtSize(capture)) {
      UnloadGLLibraries();
      return 1;
    }
    CreateKeyboard(MainWindow, false);
    glClearColor(0, 0, 0, 1);
    // The font's pixels grow with a frame drawn at a larger size.
    SetFontBase(BuildFont("Verdana", FramePixels(12), true));
    int status = 0;
    std::optional<TVRTReader> track;
    if (line.Server) {
      LoadDemo();
      RunServerMode();
    } else if (!OpenTrack(track)) {
      status = 1;
    } else if (capture.Requested) {
      status = Capture(capture, *track);
    } else if (line.Still) {
      // The one frame at that time on the virtual clock, shown and left.
      LoadDemo(TLoadOptions{.LoadingScreen = false, .Music = false});
      TPresentSink present;
      PlayVirtualFrames(*track, *line.Still, TFrameRate{}, 1, present);
    } else {
      LoadDemo(TLoadOptions{.MusicStart = line.Start});
      // A played show's frames come as fast as they are drawn; the state
      // is brought to its start as at 60 frames a second.
      BringFrameStateTo(line.Start, TFrameRate{}, *track);
      TTimerClock clock(line.Start);
      TPresentSink present;
      TStatsSink stats(clock, present);
      RunStoppableLoop(*track, clock, line.Stats ? static_cast<TFrameSink&>(stats) : present);
    }
    FreeKeyboard();
    UnloadGLLibraries();
    return status;
  } catch (const std::exception& error) {
    // An error that leaves the start-up ends the program after its report.
    ShowMessage("Error", error.what());
    return 1;
  }
}
