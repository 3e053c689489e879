// GNU Rocket's files as the editor reads and writes them (tools/rocket):
// the command line's jobs (--import, --export, --export-tracks), done
// without a window, and the same from the File menu. Each says what it did,
// or why it could not with the file and line at fault.
#pragma once
#include <string>
#include <vector>

#include "EditOptions.h"
#include "Rocket.h"
#include "Timeline.h"

struct TFileJob {
  bool Done = false;
  std::string Said;                // what was done, or why not
  std::vector<std::string> Notes;  // what the file written or read does not keep
};

// "the original editor's <sync> XML" or "the <tracks> XML".
std::string DialectName(RocketDialect dialect);

// A Rocket XML file as a timeline's text: into a channel timeline (the
// demo's own: every track one of its channels) where channels is given,
// else a project.
TFileJob ImportRocketText(const std::string& rocket, const TrackLayout* channels, std::string& text);
// The timeline as a Rocket XML file in the dialect.
TFileJob ExportRocketTimeline(const Timeline& timeline, const std::string& rocket, RocketDialect dialect);
// The timeline as the player's track files, <base>_<track>.track.
TFileJob ExportTrackTimeline(const Timeline& timeline, const std::string& base);

// The command line's job (options.Job is not Edit): the timeline read or
// written as a file (an import replaces the timeline atomically, keeping
// the file it replaces as "<timeline>~", and takes the tracks as channels
// where that file reads as a channel timeline, the demo's own). What it did, or why not, is said
// on stderr. The exit status: 0 done, 1 not.
int RunEditJob(const TEditOptions& options);
