// The console on POSIX terminals: termios for raw keys, poll for typed
// bytes, the environment for a desktop that shows message boxes.
#include "platform/Console.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {
bool RawKeys = false;
termios SavedTerminal{};

// A signal that ends the program while the keys are raw puts the terminal
// back first, then ends it as the signal would have.
void RestoreTerminalAndEnd(int signal) {
  tcsetattr(STDIN_FILENO, TCSANOW, &SavedTerminal);
  ::signal(signal, SIG_DFL);
  raise(signal);
}
}  // namespace

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

// Every terminal this system has reads the escape.
bool StderrErasesLines() { return true; }

bool StdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool StartRawKeys() {
  if (RawKeys) return true;
  if (!StdinIsTerminal() || tcgetattr(STDIN_FILENO, &SavedTerminal) != 0) return false;
  termios raw = SavedTerminal;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return false;
  for (int ending : {SIGTERM, SIGHUP, SIGQUIT}) signal(ending, RestoreTerminalAndEnd);
  RawKeys = true;
  return true;
}

void EndRawKeys() {
  if (!RawKeys) return;
  tcsetattr(STDIN_FILENO, TCSANOW, &SavedTerminal);
  for (int ending : {SIGTERM, SIGHUP, SIGQUIT}) signal(ending, SIG_DFL);
  RawKeys = false;
}

std::string WaitForTypedBytes(int milliseconds) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  if (poll(&input, 1, milliseconds < 0 ? 0 : milliseconds) <= 0 || (input.revents & POLLIN) == 0) return {};
  char bytes[64];
  const ssize_t got = read(STDIN_FILENO, bytes, sizeof bytes);
  return got > 0 ? std::string(bytes, static_cast<size_t>(got)) : std::string();
}

bool MessageBoxesSeen() { return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr; }

// A terminal is never opened for a program on its own here.
void LeaveConsoleOfItsOwn() {}
