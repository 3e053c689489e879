// Small services of Windows that several of its backends need: the system's
// text for an error code, the program's own folder, whether a file is there.
#pragma once
#include <string>

// The system's message for a Win32 or Windows Sockets error code, without
// its closing full stop and line break.
std::string SystemMessage(unsigned long code);
// The folder holding the running program, ending in a backslash; empty when
// the system cannot tell.
std::string ProgramFolder();
// Whether path names a file (not a folder).
bool IsFile(const std::string& path);
