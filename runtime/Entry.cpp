#include "runtime/Entry.h"

#include <GL/gl.h>

#include <cstdio>
#include <exception>

#include "platform/Directory.h"
#include "platform/EINKeyboard.h"
#include "platform/GLLibraries.h"
#include "platform/Message.h"
#include "platform/Stream.h"
#include "platform/WindowBackend.h"
#include "render2d/Overlay2D.h"
#include "runtime/Capture.h"
#include "runtime/DemoMain.h"
#include "runtime/MainLoop.h"
#include "runtime/VRTReader.h"
#include "runtime/VRTServer.h"
#include "runtime/VideoCapture.h"

namespace {
constexpr int UsageStatus = 2;

int UsageError(const TUsageError& error) {
  ShowMessage("Error", error.Text);
  return UsageStatus;
}

// Plays the frames on the virtual clock into the capture folder or video.
int Capture(const TCaptureOptions& options, TVRTReader& track) {
  TCaptureSpan span;
  if (auto error = CaptureSpan(options, track.EndTime(), span)) return UsageError(*error);
  const bool video = IsVideoPath(options.Folder);
  const std::string target = AbsolutePath(options.Folder);
  if (!video) {
    std::string reason;
    if (!PrepareOutputFolder(target, reason))
      return UsageError({"Cannot write frames into " + options.Folder + ": " + reason});
  }
  LoadDemo(TLoadOptions{.LoadingScreen = false, .Music = false});
  TVirtualClock clock(span.From, options.Fps, span.Count);
  int64_t written = 0;
  if (video) {
    std::string music = AbsolutePath(MusicFileName);
    if (!FileExists(music)) {
      ShowMessage("Capture", "No music at " + music + ": the video has no sound");
      music.clear();
    }
    TVideoSink sink(target, music, span.From, options.Fps, span.Count);
    RunMainLoop(track, clock, sink);
    written = sink.Written();
    if (written == span.Count) sink.Finish();
  } else {
    TCaptureSink sink(target, span.Count);
    RunMainLoop(track, clock, sink);
    sink.Finish();
    written = sink.Written();
  }
  if (written < span.Count) {
    ShowMessage("Error", "Capture stopped after " + std::to_string(written) + " of " + std::to_string(span.Count) +
                             " frames");
    return 1;
  }
  if (video) std::fprintf(stderr, "The video is in %s\n", target.c_str());
  return 0;
}
}  // namespace

int RunDemo(int argc, const char* const* argv) {
  try {
    TCaptureOptions capture;
    if (auto error = ParseCaptureOptions(argc, argv, capture)) return UsageError(*error);
    // Frames that are only written need no screen.
    if (capture.Requested) PreferOffscreenVideo();
    LoadGLLibraries();
    bool fullscreen = !WindowRequested(argc, argv) && !capture.Requested;
    BuildGLWindow(800, 600, 32, MainWindow, "Test", fullscreen);
    CreateKeyboard(MainWindow, false);
    glClearColor(0, 0, 0, 1);
    SetFontBase(BuildFont("Verdana", 12, true));
    int status = 0;
    if (ServerModeRequested(argc, argv)) {
      LoadDemo();
      RunServerMode();
    } else if (capture.Requested) {
      TVRTReader track("demo.vrk");
      status = Capture(capture, track);
    } else {
      TVRTReader track("demo.vrk");
      LoadDemo();
      TTimerClock clock;
      TPresentSink present;
      RunMainLoop(track, clock, present);
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
