// The sync editor's command line:
//   vemla-edit [<timeline>] [--data <run directory>] [--send <host>[:<port>]]...
//              [--script <file>] [--size <width>x<height>] [--help]
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "runtime/CommandWords.h"

struct TSendTarget {
  std::string Host;
  int Port = 0;
};

struct TEditOptions {
  std::string Timeline;  // empty: the demo's (FindTimeline)
  std::string Data;      // empty: the run directory (FindRunDirectory)
  std::vector<TSendTarget> Sends;
  std::string Script;
  int Width = 1280, Height = 800;  // the window's size at the start
  bool Help = false;
};

// Reads the options; returns the error when they are wrong.
std::optional<TUsageError> ParseEditOptions(int argc, const char* const* argv, TEditOptions& options);
// "host:port" or "host" (the preview's port); nothing for anything else.
std::optional<TSendTarget> ParseSendTarget(const std::string& word);
std::string EditUsage();
// The usage, the options and the keys, for --help.
std::string EditHelp();

// The timeline to open: the one given, else the demo's, as
// tools/content/demo.timeline below the current folder (the repository's
// root) or in the source tree the program was built from. Empty when there
// is none, with the places looked at in lookedAt.
std::string FindTimeline(const std::string& given, std::string& lookedAt);
// The run directory (it holds demo.vrk and data/): the one given, else
// build/stage below the current folder, as run.sh uses it, or the run
// directory of the build the program came from. Empty when there is none,
// with the places looked at in lookedAt.
std::string FindRunDirectory(const std::string& given, std::string& lookedAt);
