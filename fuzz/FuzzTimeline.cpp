// libFuzzer target for the timeline compiler: any text gives either an error
// whose message starts with "line N: " for a line of the text, or the song's
// track with every key inside it.
#include <string>

#include "Timeline.h"

namespace {
void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// The number after "line " at the start of the message, or -1.
long LineOf(const std::string& message) {
  if (message.rfind("line ", 0) != 0) return -1;
  size_t end = message.find(": ", 5);
  if (end == std::string::npos || end == 5 || end > 16) return -1;
  for (size_t k = 5; k < end; ++k)
    if (message[k] < '0' || message[k] > '9') return -1;
  return std::stol(message.substr(5, end - 5));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  long lines = 1;
  for (char c : text) lines += c == '\n';
  try {
    const Timeline timeline = ParseTimeline(text);
    for (const std::vector<Key>& keys : timeline.Channels)
      for (const Key& k : keys) Require(k.Row >= 0 && k.Line >= 1 && k.Line <= lines);
    const std::vector<std::vector<float>> track = CompileTimeline(timeline, SongTrackSamples);
    Require(track.size() == TrackChannels);
    for (const std::vector<float>& channel : track) Require(channel.size() == SongTrackSamples);
    for (const std::vector<Key>& keys : timeline.Channels)
      for (const Key& k : keys) Require(k.Row < SongTrackSamples);
  } catch (const TimelineError& e) {
    const long line = LineOf(e.what());
    Require(line >= 1 && line <= lines);
  }
  return 0;
}
