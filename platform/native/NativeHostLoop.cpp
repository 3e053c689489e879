#include "platform/HostLoop.h"

void RunHostLoop(const std::function<bool()>& frame) {
  while (frame()) {
  }
}

bool HostFramesMayWait() { return true; }
