// The command line: every option the program takes, read in one place, and
// the usage text that --help prints.
#pragma once
#include <optional>
#include <string>

#include "runtime/Capture.h"

constexpr const char* VemlaVersion = "1.0.0";

struct TCommandLine {
  bool Server = false;    // "-vrt" as word 0, 1 or 2
  bool Windowed = false;  // "-w" as word 0, 1 or 2
  bool Desktop = false;   // --desktop
  bool Vsync = true;      // --no-vsync clears it
  bool Stats = false;     // --stats
  bool Help = false;      // --help
  bool Version = false;   // --version
  double Start = 0;       // --start <seconds>
  std::optional<double> Still;  // --still <seconds>
  TCaptureOptions Capture;
};

// Reads the words after the program's name. "-vrt" and "-w" count only as
// words 0, 1 and 2 and are passed over later; words that do not begin with
// "-" are passed over. Any other "-" word that is no option, a missing or
// bad value, and options that do not go together are an error (exit 2).
std::optional<TUsageError> ParseCommandLine(int argc, const char* const* argv, TCommandLine& line);

// What --help prints.
std::string UsageText();
