// What the operating system offers elsewhere, as far as a browser page has
// it: no terminal (stderr goes to the page's console), no memory settings,
// no programs to start, no signals.
#include "platform/Console.h"
#include "platform/Memory.h"
#include "platform/Process.h"
#include "platform/Termination.h"

bool StderrIsTerminal() { return false; }
bool StderrErasesLines() { return false; }
bool StdinIsTerminal() { return false; }
bool StartRawKeys() { return false; }
void EndRawKeys() {}
std::string WaitForTypedBytes(int) { return {}; }
bool MessageBoxesSeen() { return false; }
void LeaveConsoleOfItsOwn() {}

void KeepFreedMemoryForReuse() {}

std::string WhereToGetProgram(const std::string&) { return "a page in a browser cannot start programs"; }
TPipedProcess::~TPipedProcess() = default;
bool TPipedProcess::Start(const std::vector<std::string>&, const std::string&, std::string& reason) {
  reason = "a page in a browser cannot start programs";
  return false;
}
bool TPipedProcess::Write(const void*, size_t) { return false; }
int TPipedProcess::Finish() {
  Pid = Input = -1;
  return -1;
}

void InstallTerminationHandlers() {}
void EnterMainLoop() {}
void LeaveMainLoop() {}
bool TerminationRequested() { return false; }
int TerminationStatus() { return 0; }
void EnterModalWait() {}
void LeaveModalWait() {}
