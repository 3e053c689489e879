// A progress line on standard error: rewritten in place on a terminal, one
// plain line per update otherwise (a log file or a pipe).
#pragma once
#include <string>

bool StderrIsTerminal();
void ShowProgressLine(const std::string& line);
// Ends a progress line left open on a terminal.
void EndProgressLine();
