#include <emscripten.h>

#include "platform/HostLoop.h"

namespace {
const std::function<bool()>* Frame = nullptr;

void OneFrame() {
  if ((*Frame)()) return;
  // The page hears of the end through the program's exit, once: the exit
  // stops the runtime, and the browser's loop with it, which runs nothing
  // after that. (Cancelling the loop first would have the loop's runner
  // exit the program a second time, telling the page twice.)
  emscripten_force_exit(0);
}
}  // namespace

void RunHostLoop(const std::function<bool()>& frame) {
  Frame = &frame;
  // At the browser's own rate; the caller's frame stays as it is.
  emscripten_set_main_loop(OneFrame, 0, 1);
}

bool HostFramesMayWait() { return false; }
