// SIGINT and SIGTERM. During start-up either ends the program at once with
// the status a Unix program gives (130, 143), message boxes included; once
// the main loop runs, a signal only raises a flag that the loops check, so
// the run ends between frames with status 0.
#pragma once

// Installs the handlers; call before the window system starts, so that it
// leaves the signals to us.
void InstallTerminationHandlers();
// From now on a signal asks the loops to stop instead of ending the program.
void EnterMainLoop();
// Back to ending at once, as during start-up and shut-down.
void LeaveMainLoop();
// A signal has asked the loops to stop.
bool TerminationRequested();
// The status a Unix program ends with for the signal that asked: 130 for
// SIGINT (Ctrl+C), 143 for SIGTERM and the rest; 0 before any asked.
int TerminationStatus();
// While a modal message box is up a signal ends the program at once, with
// status 0 from the main loop.
void EnterModalWait();
void LeaveModalWait();
