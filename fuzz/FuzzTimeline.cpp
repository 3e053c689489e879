// libFuzzer target for the timeline compiler: any text gives either an error
// whose message starts with "line N: " for a line of the text, or the song's
// track (a project's tracks, for a text of tracks) with every key inside it.
#include <string>

#include "MessageLine.h"
#include "Timeline.h"

namespace {
void Require(bool condition) {
  if (!condition) __builtin_trap();
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
    // A project (a timeline of tracks) has its own; this demo's has its channels.
    Require(track.size() == (timeline.IsProject() ? timeline.Layout.ChannelNames.size() : TrackChannels));
    Require(timeline.Channels.size() == track.size());
    for (const std::vector<float>& channel : track) Require(channel.size() == SongTrackSamples);
    for (const std::vector<Key>& keys : timeline.Channels)
      for (const Key& k : keys) Require(k.Row < SongTrackSamples);
  } catch (const TimelineError& e) {
    const long line = LineOfMessage(e.what());
    Require(line >= 1 && line <= lines);
  }
  return 0;
}
