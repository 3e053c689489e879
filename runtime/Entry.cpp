#include "runtime/Entry.h"

#include <GL/gl.h>

#include <exception>
#include <memory>

#include "platform/DirectInput8.h"
#include "platform/EINKeyboard.h"
#include "platform/GLLibraries.h"
#include "platform/Message.h"
#include "platform/SharedState.h"
#include "render2d/Overlay2D.h"
#include "runtime/DemoMain.h"
#include "runtime/Timer.h"
#include "runtime/VRTServer.h"

void RunMainLoop(TVRTReader& track, TETimer& timer) {
  while (!KeyDown(DIK_ESCAPE) && !RunEnded && !QuitRequested()) {
    float t = timer.Elapsed();
    FrameDelta = timer.Delta;
    track.Sample(t);
    RenderFrame();
  }
}

int RunDemo(int argc, const char* const* argv) {
  try {
    LoadGLLibraries();
    bool fullscreen = !WindowRequested(argc, argv);
    BuildGLWindow(800, 600, 32, MainWindow, "Test", fullscreen);
    CreateKeyboard(MainWindow, false);
    glClearColor(0, 0, 0, 1);
    SetFontBase(BuildFont("Verdana", 12, true));
    if (ServerModeRequested(argc, argv)) {
      LoadDemo();
      RunServerMode();
    } else {
      TVRTReader track("demo.vrk");
      LoadDemo();
      TETimer timer;
      timer.Start();
      RunMainLoop(track, timer);
    }
    FreeKeyboard();
    UnloadGLLibraries();
    return 0;
  } catch (const std::exception& error) {
    // An error that leaves the start-up ends the program after its report.
    ShowMessage("Error", error.what());
    return 1;
  }
}
