#include "Timeline.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

#include "NumberText.h"

namespace {

[[noreturn]] void Fail(int line, const std::string& what) {
  throw TimelineError(line, "line " + std::to_string(line) + ": " + what);
}

bool ParseInt(const std::string& s, int& out) {
  if (s.empty() || s.size() > 6) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  out = std::stoi(s);
  return true;
}

// White space as the C locale's isspace has it.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

Shape ParseShape(const std::string& s, int line) {
  Shape shape;
  if (ReadShape(s, shape)) return shape;
  std::string names;
  for (int k = 0; k < ShapeCount; ++k)
    names += std::string(k == 0 ? "" : k + 1 == ShapeCount ? " or " : ", ") + ShapeNames[k];
  Fail(line, "expected " + names + ", got '" + s + "'");
}

[[noreturn]] void PastEnd(int line, int64_t row, int samples) {
  Fail(line, "key at row " + std::to_string(row) + " is past the track's last row " + std::to_string(samples - 1));
}

// Adds the key at the given row. Rows are counted in 64 bits and refused
// past the track, so that a repeat can neither overflow a row nor pile up
// keys that no track could hold: rows rise, so a channel keeps at most one
// key per track row.
void AddKey(Timeline& t, int channel, Key k, int64_t row, int rows) {
  if (row >= rows) PastEnd(k.Line, row, rows);
  k.Row = static_cast<int>(row);
  std::vector<Key>& keys = t.Channels[channel];
  if (!keys.empty() && keys.back().Row >= k.Row)
    Fail(k.Line, "key at row " + std::to_string(k.Row) + " does not come after the channel's key at row " +
                     std::to_string(keys.back().Row) + " (line " + std::to_string(keys.back().Line) + ")");
  keys.push_back(k);
}

}  // namespace

const TrackLayout& SongLayout() {
  static const TrackLayout layout = [] {
    TrackLayout song;
    for (const TChannelBinding& binding : ChannelBindings) song.ChannelNames.emplace_back(binding.Name);
    return song;
  }();
  return layout;
}

TrackLayout ProjectLayout() {
  TrackLayout project = SongLayout();
  project.ChannelNames.clear();
  project.Tracks = true;
  return project;
}

std::vector<LineWord> SplitLineWords(const std::string& line, size_t* comment) {
  const size_t end = std::min(line.find('#'), line.size());
  if (comment != nullptr) *comment = end;
  std::vector<LineWord> words;
  for (size_t k = 0; k < end;) {
    if (IsBlank(line[k])) {
      ++k;
      continue;
    }
    size_t stop = k;
    while (stop < end && !IsBlank(line[stop])) ++stop;
    words.push_back(LineWord{line.substr(k, stop - k), k, stop});
    k = stop;
  }
  return words;
}

int ParsePosition(const std::string& s, int line, const TrackLayout& layout) {
  int parts[3] = {0, 0, 0};
  int n = 0;
  size_t start = 0;
  while (true) {
    size_t colon = s.find(':', start);
    std::string piece = s.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (n == 3 || !ParseInt(piece, parts[n])) Fail(line, "expected a position bar[:beat[:row]], got '" + s + "'");
    ++n;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (parts[1] >= layout.BeatsPerBar)
    Fail(line, "beat " + std::to_string(parts[1]) + " is past the bar's " + std::to_string(layout.BeatsPerBar) +
                   " beats");
  if (parts[2] >= layout.RowsPerBeat)
    Fail(line, "row " + std::to_string(parts[2]) + " is past the beat's " + std::to_string(layout.RowsPerBeat) +
                   " rows");
  return (parts[0] * layout.BeatsPerBar + parts[1]) * layout.RowsPerBeat + parts[2];
}

std::string FormatPosition(int row, const TrackLayout& layout) {
  const int beats = row / layout.RowsPerBeat, rest = row % layout.RowsPerBeat;
  std::string text = std::to_string(beats / layout.BeatsPerBar);
  if (beats % layout.BeatsPerBar != 0 || rest != 0) text += ":" + std::to_string(beats % layout.BeatsPerBar);
  if (rest != 0) text += ":" + std::to_string(rest);
  return text;
}

float ParseValue(const std::string& s, int line) {
  if (s == "off") return std::nanf("");
  std::istringstream in(s);
  float v;
  in >> v;
  if (!in || !in.eof()) Fail(line, "expected a number or 'off', got '" + s + "'");
  return v;
}

std::string FormatValue(float value) {
  if (std::isnan(value)) return "off";
  return ShortestNumber(value);
}

bool RocketShape(int number, Shape& shape) {
  if (number < 0 || number >= ShapeCount) return false;
  shape = static_cast<Shape>(number);
  return true;
}

void AppendRocketKey(const Key& key, bool bigEndian, std::vector<uint8_t>& out) {
  uint32_t bits;
  std::memcpy(&bits, &key.Value, 4);
  for (const uint32_t word : {static_cast<uint32_t>(key.Row), bits})
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(word >> (bigEndian ? 24 - 8 * k : 8 * k)));
  out.push_back(RocketShapeNumber(key.Curve));
}

bool ReadShape(const std::string& s, Shape& shape) {
  for (int k = 0; k < ShapeCount; ++k)
    if (s == ShapeNames[k]) {
      shape = static_cast<Shape>(k);
      return true;
    }
  return false;
}

int ChannelNumber(const std::string& s, const TrackLayout& layout) {
  for (int c = 0; c < layout.Channels(); ++c)
    if (!layout.ChannelNames[c].empty() && s == layout.ChannelNames[c]) return c;
  int n = 0;
  if (!ParseInt(s, n) || n >= layout.Channels()) return -1;
  return n;
}

std::string ChannelName(int channel, const TrackLayout& layout) {
  const std::string& name = layout.ChannelNames[channel];
  return name.empty() ? std::to_string(channel) : name;
}

int TrackNumber(const std::string& name, const TrackLayout& layout) {
  for (int c = 0; c < layout.Channels(); ++c)
    if (layout.ChannelNames[c] == name) return c;
  return -1;
}

TrackGroupName SplitTrackGroup(const std::string& name) {
  const size_t colon = name.find(':');
  if (colon == std::string::npos) return {"", name};
  return {name.substr(0, colon), name.substr(colon + 1)};
}

bool IsWritableName(const std::string& name) {
  size_t comment = 0;
  const std::vector<LineWord> words = SplitLineWords(name, &comment);
  if (words.empty() || comment < name.size() || words.front().Begin != 0 || words.back().End != name.size())
    return false;
  for (char c : name)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f) return false;
  return true;
}

bool IsProjectText(const std::string& text) {
  std::istringstream lines(text);
  std::string raw;
  while (std::getline(lines, raw)) {
    const std::vector<LineWord> words = SplitLineWords(raw);
    if (!words.empty() && (words[0].Text == "channel" || words[0].Text == "track")) return words[0].Text == "track";
  }
  return false;
}

bool SameValue(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

size_t KeysBefore(const std::vector<Key>& keys, int row) {
  return size_t(std::lower_bound(keys.begin(), keys.end(), row, [](const Key& k, int r) { return k.Row < r; }) -
                keys.begin());
}

float SegmentValue(const Key& key, const Key* next, int row) {
  const float to = next != nullptr ? next->Value : key.Value;
  if (key.Curve == Shape::Hold || std::isnan(key.Value) || std::isnan(to)) return key.Value;
  const int end = next != nullptr ? next->Row : row + 1;
  double x = double(row - key.Row) / double(end - key.Row);
  if (key.Curve == Shape::Smooth) x = x * x * (3 - 2 * x);
  if (key.Curve == Shape::Ramp) x = x * x;
  return float(key.Value + (to - key.Value) * x);
}

float ValueAtRow(const std::vector<Key>& keys, int row) {
  const size_t after = KeysBefore(keys, row + 1);
  if (after == 0) return std::nanf("");
  return SegmentValue(keys[after - 1], after == keys.size() ? nullptr : &keys[after], row);
}

float TrackValueAtRow(const std::vector<Key>& keys, int row) {
  if (keys.empty()) return 0;
  if (row < keys.front().Row) return keys.front().Value;
  return ValueAtRow(keys, row);
}

float TimelineValueAt(const Timeline& timeline, int channel, int row) {
  const std::vector<Key>& keys = timeline.Channels[channel];
  return timeline.IsProject() ? TrackValueAtRow(keys, row) : ValueAtRow(keys, row);
}

namespace {
// The statements that set the grid, the length and the music, which come
// before every other: what they read as, checked once the last of them is in.
struct Header {
  bool Done = false;
  std::string Length;  // the "length" position as written, read on the grid the header ends with
};

// The rest of a line from its word `first` on, as a name.
std::string NameFrom(const std::string& raw, const std::vector<LineWord>& words, size_t first) {
  return raw.substr(words[first].Begin, words.back().End - words[first].Begin);
}

void ReadTempo(Timeline& t, const std::vector<std::string>& w, int lineNo, const TrackLayout& given) {
  int bpm = 0, rows = t.Layout.RowsPerBeat;
  if ((w.size() != 2 && w.size() != 4) || (w.size() == 4 && w[2] != "rows"))
    Fail(lineNo, "expected 'tempo <beats a minute> [rows <rows a beat>]'");
  if (!ParseInt(w[1], bpm) || bpm < 1 || bpm > MaxBeatsPerMinute)
    Fail(lineNo, "expected a tempo of 1 to " + std::to_string(MaxBeatsPerMinute) + " beats a minute, got '" + w[1] +
                     "'");
  if (w.size() == 4 && (!ParseInt(w[3], rows) || rows < 1 || rows > MaxRowsPerBeat))
    Fail(lineNo, "expected 1 to " + std::to_string(MaxRowsPerBeat) + " rows a beat, got '" + w[3] + "'");
  if (!t.IsProject() && (bpm != given.BeatsPerMinute || rows != given.RowsPerBeat))
    Fail(lineNo, "a channel timeline plays at its demo's tempo: " + std::to_string(given.BeatsPerMinute) +
                     " beats a minute, " + std::to_string(given.RowsPerBeat) + " rows a beat");
  t.Layout.BeatsPerMinute = bpm;
  t.Layout.RowsPerBeat = rows;
  t.TempoLine = lineNo;
}

// Ends the header: the length read on the grid it set.
void EndHeader(Timeline& t, Header& header, const TrackLayout& given) {
  if (header.Done) return;
  header.Done = true;
  if (t.LengthLine == 0) return;
  const int rows = ParsePosition(header.Length, t.LengthLine, t.Layout);
  if (rows < 1 || rows > MaxTrackRows)
    Fail(t.LengthLine, "a length runs from 1 to " + std::to_string(MaxTrackRows) + " rows; '" + header.Length +
                           "' is " + std::to_string(rows));
  if (!t.IsProject() && rows != given.Rows)
    Fail(t.LengthLine, "a channel timeline is as long as its demo's track: " + FormatPosition(given.Rows, given));
  t.Layout.Rows = rows;
}
}  // namespace

Timeline ParseTimeline(const std::string& text, const TrackLayout& layout) {
  Timeline t;
  t.Layout = layout;
  if (!layout.Tracks && IsProjectText(text)) {
    t.Layout.Tracks = true;
    t.Layout.ChannelNames.clear();
  }
  const bool project = t.IsProject();
  const char* const section = project ? "track" : "channel";
  t.Channels.assign(t.Layout.Channels(), {});
  std::istringstream lines(text);
  std::string raw;
  int lineNo = 0, channel = -1;
  bool inRepeat = false;
  Header header;
  std::vector<Key> pattern;
  while (std::getline(lines, raw)) {
    ++lineNo;
    const std::vector<LineWord> words = SplitLineWords(raw);
    std::vector<std::string> w;
    for (const LineWord& word : words) w.push_back(word.Text);
    if (w.empty()) continue;
    if (w[0] == "tempo" || w[0] == "length" || w[0] == "music") {
      if (header.Done) Fail(lineNo, "'" + w[0] + "' comes before the timeline's sections, keys and marks");
      int& seen = w[0] == "tempo" ? t.TempoLine : w[0] == "length" ? t.LengthLine : t.MusicLine;
      if (seen != 0) Fail(lineNo, "a second '" + w[0] + "' (the first is on line " + std::to_string(seen) + ")");
      if (w[0] == "tempo") {
        ReadTempo(t, w, lineNo, layout);
      } else if (w[0] == "length") {
        if (w.size() != 2) Fail(lineNo, "expected 'length <pos>'");
        header.Length = w[1];
        t.LengthLine = lineNo;
      } else {
        if (w.size() < 2) Fail(lineNo, "expected 'music <file>'");
        t.Music = NameFrom(raw, words, 1);
        t.MusicLine = lineNo;
      }
      continue;
    }
    EndHeader(t, header, layout);
    if (w[0] == "channel" || w[0] == "track") {
      if (inRepeat) Fail(lineNo, "'" + w[0] + "' inside a repeat");
      if (w[0] != section)
        Fail(lineNo, std::string("a timeline has 'channel' sections (a demo's own) or 'track' sections (a project), "
                                 "not both: this one's first section is a '") +
                         section + "' section");
      if (project) {
        if (w.size() < 2) Fail(lineNo, "expected 'track <name>'");
        const std::string name = NameFrom(raw, words, 1);
        channel = TrackNumber(name, t.Layout);
        if (channel < 0) {
          channel = t.Layout.Channels();
          t.Layout.ChannelNames.push_back(name);
          t.Channels.emplace_back();
        }
      } else if (w.size() < 2 || (channel = ChannelNumber(w[1], layout)) < 0) {
        Fail(lineNo, "expected a channel number from 0 to " + std::to_string(layout.Channels() - 1) + " or name");
      }
      t.Sections.push_back(ChannelSection{channel, lineNo});
      continue;
    }
    if (w[0] == "mark") {
      if (inRepeat) Fail(lineNo, "'mark' inside a repeat");
      if (w.size() < 3) Fail(lineNo, "expected 'mark <pos> <name>'");
      const int row = ParsePosition(w[1], lineNo, t.Layout);
      if (row >= t.Layout.Rows)
        Fail(lineNo, "mark at row " + std::to_string(row) + " is past the track's last row " +
                         std::to_string(t.Layout.Rows - 1));
      t.Marks.push_back(Mark{row, NameFrom(raw, words, 2), lineNo});
      continue;
    }
    if (w[0] == "repeat") {
      if (channel < 0) Fail(lineNo, std::string("'repeat' before any '") + section + "'");
      if (inRepeat) Fail(lineNo, "repeats do not nest");
      if (w.size() != 6 || w[2] != "every" || w[4] != "from")
        Fail(lineNo, "expected 'repeat <count> every <pos> from <pos>'");
      RepeatBlock block{channel, 0, 0, 0, lineNo, 0};
      if (!ParseInt(w[1], block.Count) || block.Count < 1) Fail(lineNo, "expected a repeat count of at least 1");
      block.Step = ParsePosition(w[3], lineNo, t.Layout);
      block.From = ParsePosition(w[5], lineNo, t.Layout);
      t.Repeats.push_back(block);
      pattern.clear();
      inRepeat = true;
      continue;
    }
    if (w[0] == "end") {
      if (!inRepeat || w.size() != 1) Fail(lineNo, "'end' without a repeat");
      RepeatBlock& block = t.Repeats.back();
      block.EndLine = lineNo;
      for (int i = 0; i < block.Count; ++i)
        for (Key k : pattern) {
          k.Repeat = static_cast<int>(t.Repeats.size()) - 1;
          k.Repetition = i;
          AddKey(t, channel, k, k.Row + block.From + int64_t{i} * block.Step, t.Layout.Rows);
        }
      inRepeat = false;
      continue;
    }
    if (channel < 0) Fail(lineNo, std::string("key before any '") + section + "'");
    if (w.size() < 2 || w.size() > 3) Fail(lineNo, "expected '<pos> <value|off> [hold|linear|smooth|ramp]'");
    Key k{ParsePosition(w[0], lineNo, t.Layout), ParseValue(w[1], lineNo), Shape::Hold, lineNo};
    if (project && std::isnan(k.Value)) Fail(lineNo, "a track's key has a number: 'off' is for a demo's channels");
    if (w.size() == 3) k.Curve = ParseShape(w[2], lineNo);
    if (inRepeat)
      pattern.push_back(k);
    else
      AddKey(t, channel, k, k.Row, t.Layout.Rows);
  }
  if (inRepeat) Fail(t.Repeats.back().Line, "repeat without 'end'");
  EndHeader(t, header, layout);
  return t;
}

std::vector<std::vector<float>> CompileTimeline(const Timeline& timeline, int samples) {
  std::vector<std::vector<float>> out(timeline.Channels.size(), std::vector<float>(samples, std::nanf("")));
  for (size_t c = 0; c < timeline.Channels.size(); ++c) {
    const std::vector<Key>& keys = timeline.Channels[c];
    // A project's track holds its first key's value before it, and is 0 without keys.
    if (timeline.IsProject())
      std::fill(out[c].begin(), out[c].begin() + (keys.empty() ? samples : std::min(keys[0].Row, samples)),
                keys.empty() ? 0.f : keys[0].Value);
    for (size_t i = 0; i < keys.size(); ++i) {
      const Key& k = keys[i];
      if (k.Row >= samples) PastEnd(k.Line, k.Row, samples);
      const Key* next = i + 1 < keys.size() ? &keys[i + 1] : nullptr;
      const int endRow = next != nullptr ? next->Row : samples;
      for (int r = k.Row; r < endRow && r < samples; ++r) out[c][r] = SegmentValue(k, next, r);
    }
  }
  return out;
}

std::vector<std::vector<float>> CompileSongTrack(const std::string& text) {
  return CompileTimeline(ParseTimeline(text), SongTrackSamples);
}

std::vector<uint8_t> EncodeTrack(const std::vector<std::vector<float>>& channels, int rate) {
  std::vector<uint8_t> out;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
  };
  u32(uint32_t(channels.size()));
  u32(uint32_t(channels.empty() ? 0 : channels[0].size()));
  u32(uint32_t(rate));
  for (const std::vector<float>& ch : channels)
    for (float f : ch) {
      uint32_t bits = InactiveSampleBits;
      if (!std::isnan(f)) std::memcpy(&bits, &f, 4);
      u32(bits);
    }
  return out;
}
