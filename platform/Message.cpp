#include "platform/Message.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Console.h"
#include "platform/Termination.h"

namespace {
bool Recording = false;
std::vector<ShownMessage> Recorded;

// A box needs a real display: not the offscreen or dummy drivers, and a
// desktop where someone sees it.
bool DisplayAvailable() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) driver = std::getenv("SDL_VIDEODRIVER");
  if (driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
    return false;
  return MessageBoxesSeen();
}
}  // namespace

void ReportMessage(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  if (Recording) Recorded.push_back({caption, text});
}

void ShowMessage(const std::string& caption, const std::string& text) {
  ReportMessage(caption, text);
  if (Recording || !DisplayAvailable()) return;
  EnterModalWait();
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr);
  LeaveModalWait();
}

void ShowNotice(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  if (Recording) Recorded.push_back({"", text});
}

void StartRecordingMessages() {
  Recording = true;
  Recorded.clear();
}

void StopRecordingMessages() { Recording = false; }

const std::vector<ShownMessage>& RecordedMessages() { return Recorded; }

void ClearRecordedMessages() { Recorded.clear(); }
