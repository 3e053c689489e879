// Ctrl+C, Ctrl+Break and the console being closed, through a console control
// handler. They end the program as SIGINT (Ctrl+C) and SIGTERM (the others)
// do on Unix, with the same statuses.
#include <windows.h>

#include <csignal>

#include "platform/Termination.h"

namespace {
volatile LONG LoopRunning = 0;
volatile LONG ModalWait = 0;
volatile LONG Requested = 0;

// The system ends the program once the handler of a closed console returns;
// it is kept waiting a while so that the main loop can end its run first.
constexpr DWORD CloseGraceMs = 4000;

BOOL WINAPI OnConsoleControl(DWORD event) {
  const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
  if (LoopRunning != 0 && ModalWait == 0) {
    InterlockedExchange(&Requested, signal);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
      for (DWORD waited = 0; waited < CloseGraceMs && LoopRunning != 0; waited += 50) Sleep(50);
    }
    return TRUE;
  }
  // The handler runs on a thread of its own; the program is ended at once,
  // without waiting for locks the main thread may hold.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(LoopRunning != 0 ? 0 : 128 + signal));
  return TRUE;
}
}  // namespace

void InstallTerminationHandlers() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

void EnterMainLoop() { InterlockedExchange(&LoopRunning, 1); }
void LeaveMainLoop() { InterlockedExchange(&LoopRunning, 0); }
bool TerminationRequested() { return Requested != 0; }
int TerminationStatus() { return Requested != 0 ? 128 + Requested : 0; }
void EnterModalWait() { InterlockedExchange(&ModalWait, 1); }
void LeaveModalWait() { InterlockedExchange(&ModalWait, 0); }
