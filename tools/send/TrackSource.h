// Where the editing client's track comes from: a track file ("*.vrk") read
// as the program reads it, or a timeline compiled as the content tool
// compiles it. A timeline can be watched and compiled again on every change;
// one that does not compile leaves the last good track in place.
#pragma once
#include <optional>
#include <string>

#include "platform/Stream.h"
#include "runtime/VRTReader.h"

bool IsTrackFile(const std::string& name);

// Loads either kind of source into the reader; the error's text when it
// cannot, such as "<name>: line 12: ..." for a timeline.
std::optional<std::string> LoadTrackSource(const std::string& name, TVRTReader& reader);

// Compiles a timeline's text into the reader. On an error the reader keeps
// its track and the error's text comes back.
std::optional<std::string> CompileTimelineInto(const std::string& text, const std::string& name, TVRTReader& reader);

class TTimelineWatch {
 public:
  // Takes the file as it is now as the version already loaded.
  explicit TTimelineWatch(std::string fileName);
  // When the file has changed since the last look, compiles it into the
  // reader and returns true; error then holds the text of a compile that
  // failed. A file that is briefly missing (an editor saving it) is waited for.
  bool Poll(TVRTReader& reader, std::optional<std::string>& error);

 private:
  std::string FileName;
  TFileStamp Seen;
};
