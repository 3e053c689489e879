// The sync editor's command line:
//   vemla-edit [<timeline>] [--data <run directory>] [--send <host>[:<port>]]...
//              [--sync [--listen <address>[:<port>]]]
//              [--script <file>] [--size <width>x<height>] [--help]
// and its jobs on GNU Rocket's files, each done without a window:
//   vemla-edit --import <file.rocket> <timeline>
//   vemla-edit --export <timeline> <file.rocket> [--dialect sync|tracks]
//   vemla-edit --export-tracks <timeline> <base>
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "Rocket.h"
#include "SyncProtocol.h"
#include "runtime/CommandWords.h"

struct TSendTarget {
  std::string Host;
  int Port = 0;
};

enum class TEditJob {
  Edit,          // the editor's window
  Import,        // a Rocket XML file into a timeline
  Export,        // a timeline into a Rocket XML file
  ExportTracks,  // a timeline into the player's track files
};

struct TEditOptions {
  std::string Timeline;  // empty: the demo's (FindTimeline)
  std::string Data;      // empty: the run directory (FindRunDirectory)
  std::vector<TSendTarget> Sends;
  std::string Script;
  int Width = 1280, Height = 800;  // the window's size at the start
  bool Help = false;
  // The demos' sync server (GNU Rocket), and where it listens.
  bool Sync = false;
  TSendTarget Listen{"127.0.0.1", SyncPort};
  // A job instead of the window: from a file to a file.
  TEditJob Job = TEditJob::Edit;
  std::string From, To;
  RocketDialect Dialect = RocketDialect::Sync;
};

// Reads the options; returns the error when they are wrong.
std::optional<TUsageError> ParseEditOptions(int argc, const char* const* argv, TEditOptions& options);
// "host:port" or "host" (with the port given); nothing for anything else.
std::optional<TSendTarget> ParseHostPort(const std::string& word, int port);
// The same with the preview's port.
std::optional<TSendTarget> ParseSendTarget(const std::string& word);
std::string EditUsage();
// The usage, the options and the keys, for --help.
std::string EditHelp();

// The timeline to open: the one given, else the demo's, as
// tools/content/demo.timeline below the current folder (the repository's
// root), demo.timeline in it (a packed build's folder), or in the source
// tree the program was built from. Empty when there is none, with the
// places looked at in lookedAt.
std::string FindTimeline(const std::string& given, std::string& lookedAt);
// The run directory (it holds demo.vrk and data/): the one given, else
// build/stage below the current folder, as run.sh uses it, the current
// folder itself, or the run directory of the build the program came from.
// Empty when there is none, with the places looked at in lookedAt.
std::string FindRunDirectory(const std::string& given, std::string& lookedAt);
