// Words on a command line: numbers, and the error for a command line that
// cannot be read.
#pragma once
#include <optional>
#include <string>

// A command line the program cannot be run with; exit status 2.
struct TUsageError {
  std::string Text;
};

// The whole word as a finite number, or nothing.
std::optional<double> ParseNumber(const char* word);
// A number as messages show it: "2.5", "60".
std::string NumberText(double value);
