#include "Timeline.h"

#include <cmath>
#include <cstring>
#include <sstream>

namespace {

[[noreturn]] void Fail(int line, const std::string& what) {
  throw TimelineError("line " + std::to_string(line) + ": " + what);
}

bool ParseInt(const std::string& s, int& out) {
  if (s.empty() || s.size() > 6) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  out = std::stoi(s);
  return true;
}

// A channel's number (0 to TrackChannels - 1) or its name ("nest-glow").
bool ParseChannel(const std::string& s, int& out) {
  if (const TChannelBinding* binding = FindChannel(s)) {
    out = binding->Number;
    return true;
  }
  int n = 0;
  if (!ParseInt(s, n) || n >= TrackChannels) return false;
  out = n;
  return true;
}

// "bar", "bar:beat" or "bar:beat:row", in sixteenths.
int ParsePosition(const std::string& s, int line) {
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
  if (parts[1] >= BeatsPerBar) Fail(line, "beat " + std::to_string(parts[1]) + " is past the bar's four beats");
  if (parts[2] >= RowsPerTrackBeat)
    Fail(line, "row " + std::to_string(parts[2]) + " is past the beat's " + std::to_string(RowsPerTrackBeat) + " rows");
  return (parts[0] * BeatsPerBar + parts[1]) * RowsPerTrackBeat + parts[2];
}

float ParseValue(const std::string& s, int line) {
  if (s == "off") return std::nanf("");
  std::istringstream in(s);
  float v;
  in >> v;
  if (!in || !in.eof()) Fail(line, "expected a number or 'off', got '" + s + "'");
  return v;
}

Shape ParseShape(const std::string& s, int line) {
  if (s == "hold") return Shape::Hold;
  if (s == "linear") return Shape::Linear;
  if (s == "smooth") return Shape::Smooth;
  Fail(line, "expected hold, linear or smooth, got '" + s + "'");
}

struct Repeat {
  int Count = 0, Step = 0, From = 0, Line = 0;
  std::vector<Key> Keys;
};

[[noreturn]] void PastEnd(int line, int64_t row, int samples) {
  Fail(line, "key at row " + std::to_string(row) + " is past the track's last row " + std::to_string(samples - 1));
}

// Adds the key at the given row. Rows are counted in 64 bits and refused
// past the song's track, so that a repeat can neither overflow a row nor
// pile up keys that no track could hold: rows rise, so a channel keeps at
// most one key per track row.
void AddKey(Timeline& t, int channel, Key k, int64_t row) {
  if (row >= SongTrackSamples) PastEnd(k.Line, row, SongTrackSamples);
  k.Row = static_cast<int>(row);
  std::vector<Key>& keys = t.Channels[channel];
  if (!keys.empty() && keys.back().Row >= k.Row)
    Fail(k.Line, "key at row " + std::to_string(k.Row) + " does not come after the channel's key at row " +
                     std::to_string(keys.back().Row) + " (line " + std::to_string(keys.back().Line) + ")");
  keys.push_back(k);
}

}  // namespace

Timeline ParseTimeline(const std::string& text) {
  Timeline t;
  std::istringstream lines(text);
  std::string raw;
  int lineNo = 0, channel = -1;
  bool inRepeat = false;
  Repeat rep;
  while (std::getline(lines, raw)) {
    ++lineNo;
    size_t hash = raw.find('#');
    if (hash != std::string::npos) raw.resize(hash);
    std::istringstream words(raw);
    std::vector<std::string> w;
    for (std::string s; words >> s;) w.push_back(s);
    if (w.empty()) continue;
    if (w[0] == "channel") {
      if (inRepeat) Fail(lineNo, "'channel' inside a repeat");
      if (w.size() < 2 || !ParseChannel(w[1], channel))
        Fail(lineNo, "expected a channel number from 0 to " + std::to_string(TrackChannels - 1) + " or name");
      continue;
    }
    if (w[0] == "repeat") {
      if (channel < 0) Fail(lineNo, "'repeat' before any 'channel'");
      if (inRepeat) Fail(lineNo, "repeats do not nest");
      if (w.size() != 6 || w[2] != "every" || w[4] != "from")
        Fail(lineNo, "expected 'repeat <count> every <pos> from <pos>'");
      rep = Repeat{};
      if (!ParseInt(w[1], rep.Count) || rep.Count < 1) Fail(lineNo, "expected a repeat count of at least 1");
      rep.Step = ParsePosition(w[3], lineNo);
      rep.From = ParsePosition(w[5], lineNo);
      rep.Line = lineNo;
      inRepeat = true;
      continue;
    }
    if (w[0] == "end") {
      if (!inRepeat || w.size() != 1) Fail(lineNo, "'end' without a repeat");
      for (int i = 0; i < rep.Count; ++i)
        for (const Key& k : rep.Keys) AddKey(t, channel, k, k.Row + rep.From + int64_t{i} * rep.Step);
      inRepeat = false;
      continue;
    }
    if (channel < 0) Fail(lineNo, "key before any 'channel'");
    if (w.size() < 2 || w.size() > 3) Fail(lineNo, "expected '<pos> <value|off> [hold|linear|smooth]'");
    Key k{ParsePosition(w[0], lineNo), ParseValue(w[1], lineNo), Shape::Hold, lineNo};
    if (w.size() == 3) k.Curve = ParseShape(w[2], lineNo);
    if (inRepeat)
      rep.Keys.push_back(k);
    else
      AddKey(t, channel, k, k.Row);
  }
  if (inRepeat) Fail(rep.Line, "repeat without 'end'");
  return t;
}

std::vector<std::vector<float>> CompileTimeline(const Timeline& timeline, int samples) {
  std::vector<std::vector<float>> out(TrackChannels, std::vector<float>(samples, std::nanf("")));
  for (int c = 0; c < TrackChannels; ++c) {
    const std::vector<Key>& keys = timeline.Channels[c];
    for (size_t i = 0; i < keys.size(); ++i) {
      const Key& k = keys[i];
      if (k.Row >= samples) PastEnd(k.Line, k.Row, samples);
      int endRow = i + 1 < keys.size() ? keys[i + 1].Row : samples;
      float next = i + 1 < keys.size() ? keys[i + 1].Value : k.Value;
      bool blend = k.Curve != Shape::Hold && !std::isnan(k.Value) && !std::isnan(next);
      for (int r = k.Row; r < endRow && r < samples; ++r) {
        float v = k.Value;
        if (blend) {
          double x = double(r - k.Row) / double(endRow - k.Row);
          if (k.Curve == Shape::Smooth) x = x * x * (3 - 2 * x);
          v = float(k.Value + (next - k.Value) * x);
        }
        out[c][r] = v;
      }
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
