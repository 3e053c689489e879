#include "platform/Termination.h"

#include <csignal>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t LoopRunning = 0;
volatile std::sig_atomic_t ModalWait = 0;
volatile std::sig_atomic_t Requested = 0;

void OnTerminationSignal(int signal) {
  if (LoopRunning != 0 && ModalWait == 0) {
    Requested = signal;
    return;
  }
  _exit(LoopRunning != 0 ? 0 : 128 + signal);
}
}  // namespace

void InstallTerminationHandlers() {
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void EnterMainLoop() { LoopRunning = 1; }
void LeaveMainLoop() { LoopRunning = 0; }
bool TerminationRequested() { return Requested != 0; }
int TerminationStatus() { return Requested != 0 ? 128 + Requested : 0; }
void EnterModalWait() { ModalWait = 1; }
void LeaveModalWait() { ModalWait = 0; }
