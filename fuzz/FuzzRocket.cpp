// libFuzzer target for reading GNU Rocket's XML files. The input is a file,
// read as a project and as this demo's own timeline: either it is refused
// with a message that starts with "line N: " for a line of the input, or
// its text reads as a timeline; that timeline written in both dialects
// reads back as the same keys, marks, length (and in the other editor's
// dialect, tempo and music; a demo's own timeline, its demo's tempo).
#include <string>

#include "MessageLine.h"
#include "Rocket.h"

namespace {
void Require(bool condition) {
  if (!condition) __builtin_trap();
}

bool SameKeys(const std::vector<Key>& a, const std::vector<Key>& b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k)
    if (a[k].Row != b[k].Row || a[k].Curve != b[k].Curve || !SameValue(a[k].Value, b[k].Value)) return false;
  return true;
}

bool SameTimeline(const Timeline& a, const Timeline& b, bool tempo, bool music) {
  if (a.Channels.size() != b.Channels.size() || a.Layout.Rows != b.Layout.Rows || a.Marks.size() != b.Marks.size())
    return false;
  if (tempo && (a.Layout.RowsPerBeat != b.Layout.RowsPerBeat || a.Layout.BeatsPerMinute != b.Layout.BeatsPerMinute))
    return false;
  if (music && a.Music != b.Music) return false;
  for (size_t c = 0; c < a.Channels.size(); ++c)
    if (ChannelName(int(c), a.Layout) != ChannelName(int(c), b.Layout) || !SameKeys(a.Channels[c], b.Channels[c]))
      return false;
  for (size_t m = 0; m < a.Marks.size(); ++m)
    if (a.Marks[m].Row != b.Marks[m].Row || a.Marks[m].Name != b.Marks[m].Name) return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string xml(reinterpret_cast<const char*>(data), size);
  long lines = 1;
  for (char c : xml) lines += c == '\n';
  for (const TrackLayout* channels : {static_cast<const TrackLayout*>(nullptr), &SongLayout()}) {
    const TrackLayout layout = channels != nullptr ? *channels : ProjectLayout();
    RocketImport imported;
    try {
      imported = ImportRocket(xml, channels);
    } catch (const RocketError& e) {
      const long line = LineOfMessage(e.what());
      Require(line >= 1 && line <= lines && line == e.Line);
      continue;
    }
    Timeline first;
    try {
      first = ParseTimeline(imported.Text, layout);
    } catch (const TimelineError&) {
      Require(false);
    }
    for (RocketDialect dialect : {RocketDialect::Sync, RocketDialect::Tracks}) {
      const RocketImport again = ImportRocket(ExportRocket(first, dialect), channels);
      const Timeline second = ParseTimeline(again.Text, layout);
      // The original editor's files keep no tempo and no music: a demo's own
      // timeline has its demo's tempo whatever the file says.
      const bool other = dialect == RocketDialect::Tracks;
      Require(SameTimeline(first, second, other || channels != nullptr, other));
    }
  }
  return 0;
}
