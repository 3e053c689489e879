// The console: a progress line on standard error, rewritten in place on a
// terminal and one plain line per update otherwise (a log file or a pipe);
// and keys typed into a terminal on standard input, one at a time.
#pragma once
#include <string>

bool StderrIsTerminal();
// Whether the terminal on standard error reads "erase to the end of the
// line" (ESC [ K), asking for it where that must be switched on.
bool StderrErasesLines();
void ShowProgressLine(const std::string& line);
// Ends a progress line left open on a terminal.
void EndProgressLine();

bool StdinIsTerminal();
// Makes the terminal on standard input hand over each key as it is typed,
// without echo and without the signals of Ctrl+C and Ctrl+Z (they arrive as
// the bytes 3 and 26). False when standard input is not a terminal.
bool StartRawKeys();
// Gives the terminal back the settings StartRawKeys found. A SIGTERM, SIGHUP
// or SIGQUIT while the keys are raw gives them back too before it ends the
// program.
void EndRawKeys();
// Waits up to milliseconds for typed bytes and returns all that are there;
// empty when none came in that time.
std::string WaitForTypedBytes(int milliseconds);

// Whether a message box would reach someone: a desktop to show it on, and
// on some systems a run whose errors are not being collected from standard
// error instead.
bool MessageBoxesSeen();

// A console that the system opened for this program alone, as when it is
// started from a desktop rather than a command line, is given back, so that
// only the program's own window shows; its messages then come in boxes. A
// console shared with a command line, or output sent elsewhere, stays.
void LeaveConsoleOfItsOwn();
