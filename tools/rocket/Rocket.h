// GNU Rocket's files: the editors' XML files read into a timeline's text
// and written from a read timeline, and the player's binary track files.
//
// The XML comes in two dialects, told apart by the root element:
//
//   the original editor's   <sync rows="R">
//                             <tracks>
//                               <track name="N">
//                                 <key row="r" value="v" interpolation="i"/>
//                             <bookmarks><bookmark row="r"/></bookmarks>
//   the other editor's      <tracks rows="R" rowsPerBeat="16" beatsPerMin="125"
//                                   musicFilename="M">
//                             <bookmark row="r"/>
//                             <track name="N" ...><key .../></track>
//                             <group name="G"><track name="N">...</group>
//
// Interpolation numbers are Rocket's (RocketShapeNumber: 0 step, 1 linear,
// 2 smooth, 3 ramp). A mark is a bookmark; its name goes in a "name"
// attribute, which editors without names pass over, and a bookmark without
// one is read as a mark named "bookmark". A track in a <group> is read as
// "G:N", and written so (the other editor groups names at ':'). Tempo,
// rows a beat and music are the other editor's attributes; the original
// editor's files keep none, and writing them there says so in a note.
// A track's "muted" attribute is read as a note: the timeline keeps the
// keys, not the mute. A "repeat" is written as the keys it makes.
//
// The player's track files (ExportTrackFiles) are "<base>_<name>.track",
// one a track, the name escaped (EscapeTrackName), little-endian:
//   int32 key count, then for each key in row order:
//   int32 row, float32 value (IEEE), uint8 interpolation number.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Timeline.h"

enum class RocketDialect {
  Sync,    // the original editor's: root <sync>
  Tracks,  // the other editor's: root <tracks>
};

// A Rocket file that cannot be read; the message starts with "line N: ".
class RocketError : public std::runtime_error {
 public:
  RocketError(int line, const std::string& what) : std::runtime_error(what), Line(line) {}
  int Line;  // the line at fault, from 1
};

struct RocketImport {
  std::string Text;  // the timeline
  RocketDialect Dialect = RocketDialect::Sync;
  std::vector<std::string> Notes;  // what the timeline does not keep
};

// The file's timeline: a project, its tracks in the file's order; or with
// channels, that demo's own timeline (every track one of its channels, by
// name or number; "nan" values are "off"). Raises RocketError for XML that
// does not parse, a missing or malformed attribute, an unknown shape, a key
// or bookmark past the file's rows, two keys on a row, a name a timeline
// cannot hold.
RocketImport ImportRocket(const std::string& xml, const TrackLayout* channels = nullptr);
// The timeline (as read, with its layout) in a dialect: every channel or
// track, with its keys as the timeline reads them (an "off" value is
// "nan"), the marks as bookmarks. Notes says what the dialect cannot keep.
std::string ExportRocket(const Timeline& timeline, RocketDialect dialect, std::vector<std::string>* notes = nullptr);

// The same from and to files, written atomically; false with the reason
// (for a file that does not read: "<path>: line N: ...").
bool ImportRocketFile(const std::string& path, RocketImport& imported, std::string& reason,
                      const TrackLayout* channels = nullptr);
bool ExportRocketFile(const std::string& path, const Timeline& timeline, RocketDialect dialect, std::string& reason,
                      std::vector<std::string>* notes = nullptr);

// A track name in a file name: letters, digits, '_' and '.' stay; every
// other byte (the group's ':', '-' itself, spaces, UTF-8) becomes '-' and
// its two upper-case hex digits, so that names and escapes map one to one.
std::string EscapeTrackName(const std::string& name);
// The name back; false for text no name escapes to.
bool UnescapeTrackName(const std::string& escaped, std::string& name);
// "<base>_<escaped name>.track".
std::string TrackFilePath(const std::string& base, const std::string& name);
// A track file's bytes, and its keys back (false with the reason).
std::vector<uint8_t> EncodeTrackFile(const std::vector<Key>& keys);
bool DecodeTrackFile(const std::string& bytes, std::vector<Key>& keys, std::string& reason);
// Writes every channel's or track's file, atomically each; false with the
// reason at the first that cannot be written.
bool ExportTrackFiles(const Timeline& timeline, const std::string& base, std::string& reason);
