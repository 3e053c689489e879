#include "platform/Beep.h"

#include <unistd.h>

#include <cstdio>

void WarningBeep() {
  if (isatty(STDERR_FILENO) == 0) return;
  std::fputc('\a', stderr);
  std::fflush(stderr);
}
