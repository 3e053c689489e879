#include <emscripten.h>

#include "platform/HostLoop.h"

namespace {
const std::function<bool()>* Frame = nullptr;

void OneFrame() {
  if ((*Frame)()) return;
  emscripten_cancel_main_loop();
  // The page hears of the end through the program's exit.
  emscripten_force_exit(0);
}
}  // namespace

void RunHostLoop(const std::function<bool()>& frame) {
  Frame = &frame;
  // At the browser's own rate; the caller's frame stays as it is.
  emscripten_set_main_loop(OneFrame, 0, 1);
}

bool HostFramesMayWait() { return false; }
