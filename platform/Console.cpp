#include "platform/Console.h"

#include <unistd.h>

#include <cstdio>

namespace {
bool LineOpen = false;
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void ShowProgressLine(const std::string& line) {
  if (StderrIsTerminal()) {
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
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
}
