// The editing client's command line:
//   vemla-send [--host <name>] [--port <n>] [--from <seconds>] [--rate <n>]
//              [--watch] [--once <seconds>] <demo.vrk | timeline>
#pragma once
#include <optional>
#include <string>

#include "runtime/CommandWords.h"
#include "runtime/PacketFraming.h"

struct TSendOptions {
  std::string Host = "127.0.0.1";
  int Port = PacketPort;
  std::string Source;
  double From = 0;
  double Rate = 60;  // packets a second
  bool Watch = false;
  std::optional<double> Once;
  bool Help = false;  // --help: print the usage and the keys, and nothing else
};

// Reads the options; returns the error when they are wrong.
std::optional<TUsageError> ParseSendOptions(int argc, const char* const* argv, TSendOptions& options);
// The usage lines printed with a usage error.
std::string SendUsage();
// The usage, what each option does and the keys, for --help.
std::string SendHelp();
