#include "platform/Beep.h"

#include <cstdio>

#include "platform/Console.h"

void WarningBeep() {
  if (!StderrIsTerminal()) return;
  std::fputc('\a', stderr);
  std::fflush(stderr);
}
