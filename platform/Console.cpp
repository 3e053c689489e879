#include "platform/Console.h"

#include <cstdio>

namespace {
bool LineOpen = false;
size_t LineLength = 0;
}  // namespace

void ShowProgressLine(const std::string& line) {
  if (StderrIsTerminal()) {
    if (StderrErasesLines()) {
      std::fprintf(stderr, "\r%s\033[K", line.c_str());
    } else {
      // The rest of an older, longer line is blanked by hand.
      const size_t blank = LineLength > line.size() ? LineLength - line.size() : 0;
      std::fprintf(stderr, "\r%s%s", line.c_str(), std::string(blank, ' ').c_str());
    }
    LineLength = line.size();
    LineOpen = true;
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
  std::fflush(stderr);
}

void EndProgressLine() {
  if (!LineOpen) return;
  std::fputc('\n', stderr);
  std::fflush(stderr);
  LineOpen = false;
  LineLength = 0;
}
