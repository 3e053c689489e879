// The editors' XML files, through tinyxml2.
#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "NumberText.h"
#include "Rocket.h"
#include "platform/WholeFile.h"

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

namespace {
[[noreturn]] void Fail(int line, const std::string& what) {
  throw RocketError(line, "line " + std::to_string(line) + ": " + what);
}

// An attribute's text, as written; nullptr where the element has none.
const char* Attribute(const XMLElement& element, const char* name, std::string& text) {
  const char* value = element.Attribute(name);
  if (value != nullptr) text = value;
  return value;
}

// A number's attribute text without the white space around it.
const char* NumberAttribute(const XMLElement& element, const char* name, std::string& text) {
  const char* value = Attribute(element, name, text);
  if (value == nullptr) return nullptr;
  const size_t first = text.find_first_not_of(" \t\r\n");
  text = first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
  return value;
}

std::string Described(const XMLElement& element, const char* name) {
  return std::string("<") + element.Name() + "> " + name;
}

// A required or optional whole-number attribute from low to high.
bool WholeAttribute(const XMLElement& element, const char* name, int low, int high, int& out, bool required) {
  std::string text;
  if (NumberAttribute(element, name, text) == nullptr) {
    if (required) Fail(element.GetLineNum(), Described(element, "without its \"") + name + "\"");
    return false;
  }
  // Tempo attributes may be written as decimals; a whole number is wanted.
  double number = 0;
  if (!ReadNumber(text, number) || number != std::floor(number) || number < low || number > high)
    Fail(element.GetLineNum(), Described(element, "") + "\"" + name + "\" is '" + text + "': expected a whole number from " +
                                   std::to_string(low) + " to " + std::to_string(high));
  out = static_cast<int>(number);
  return true;
}

float ValueAttribute(const XMLElement& element, bool offAllowed) {
  std::string text;
  if (NumberAttribute(element, "value", text) == nullptr) Fail(element.GetLineNum(), "<key> without its \"value\"");
  float value = 0;
  if (!ReadNumber(text, value) || std::isinf(value))
    Fail(element.GetLineNum(), "<key> \"value\" is '" + text + "': expected a finite number");
  if (std::isnan(value) && !offAllowed)
    Fail(element.GetLineNum(), "<key> \"value\" is '" + text + "': a project's track has numbers, not off");
  return value;
}

bool IsOn(const std::string& text) { return !text.empty() && text != "0" && text != "false"; }

struct ReadTrack {
  std::string Name;
  int Line;
  std::vector<Key> Keys;  // Line: the key's XML line
};

struct ReadFile {
  RocketDialect Dialect;
  int Line = 1;  // the root's
  int Rows = 0;
  bool HasRows = false, HasTempo = false;
  int RowsPerBeat = RowsPerTrackBeat, BeatsPerMinute = Tempo;
  std::string Music;
  std::vector<ReadTrack> Tracks;
  std::vector<Mark> Marks;
  std::vector<std::string> Notes;
};

void ReadKeys(const XMLElement& track, ReadTrack& out, const ReadFile& file, bool offAllowed) {
  for (const XMLElement* key = track.FirstChildElement("key"); key != nullptr; key = key->NextSiblingElement("key")) {
    Key k{0, 0, Shape::Hold, key->GetLineNum()};
    WholeAttribute(*key, "row", 0, MaxTrackRows, k.Row, true);
    if (k.Row >= file.Rows)
      Fail(k.Line, "key at row " + std::to_string(k.Row) + " is past the file's last row " + std::to_string(file.Rows - 1));
    k.Value = ValueAttribute(*key, offAllowed);
    int shape = 0;
    WholeAttribute(*key, "interpolation", -1000000, 1000000, shape, false);
    if (!RocketShape(shape, k.Curve))
      Fail(k.Line, "unknown shape " + std::to_string(shape) + ": Rocket's are 0 step, 1 linear, 2 smooth, 3 ramp");
    out.Keys.push_back(k);
  }
  std::stable_sort(out.Keys.begin(), out.Keys.end(), [](const Key& a, const Key& b) { return a.Row < b.Row; });
  for (size_t k = 1; k < out.Keys.size(); ++k)
    if (out.Keys[k].Row == out.Keys[k - 1].Row)
      Fail(std::max(out.Keys[k].Line, out.Keys[k - 1].Line),
           "two keys of track '" + out.Name + "' at row " + std::to_string(out.Keys[k].Row) + " (lines " +
               std::to_string(std::min(out.Keys[k].Line, out.Keys[k - 1].Line)) + " and " +
               std::to_string(std::max(out.Keys[k].Line, out.Keys[k - 1].Line)) + ")");
}

// The tracks of a <tracks> or <group> element, groups read as name prefixes.
void ReadTracks(const XMLElement& parent, const std::string& group, ReadFile& file, bool offAllowed) {
  for (const XMLElement* child = parent.FirstChildElement(); child != nullptr; child = child->NextSiblingElement()) {
    const std::string kind = child->Name();
    if (kind != "track" && kind != "group") continue;
    std::string name;
    if (Attribute(*child, "name", name) == nullptr) Fail(child->GetLineNum(), "<" + kind + "> without its \"name\"");
    name = group + name;
    if (kind == "group") {
      ReadTracks(*child, name.size() > group.size() ? name + ":" : group, file, offAllowed);
      continue;
    }
    if (!IsWritableName(name))
      Fail(child->GetLineNum(), "the track name '" + name +
                                    "' cannot be written in a timeline: it has '#', a line break or white space at "
                                    "its ends, or nothing");
    for (const ReadTrack& other : file.Tracks)
      if (other.Name == name)
        Fail(child->GetLineNum(), "a second track '" + name + "' (the first is on line " + std::to_string(other.Line) + ")");
    ReadTrack track{name, child->GetLineNum(), {}};
    std::string muted;
    if (Attribute(*child, "muted", muted) != nullptr && IsOn(muted))
      file.Notes.push_back("track '" + name + "' is muted in the file: the timeline keeps its keys, not the mute");
    ReadKeys(*child, track, file, offAllowed);
    file.Tracks.push_back(std::move(track));
  }
}

void ReadBookmarks(const XMLElement& parent, ReadFile& file) {
  for (const XMLElement* mark = parent.FirstChildElement("bookmark"); mark != nullptr;
       mark = mark->NextSiblingElement("bookmark")) {
    Mark m{0, "bookmark", mark->GetLineNum()};
    WholeAttribute(*mark, "row", 0, MaxTrackRows, m.Row, true);
    if (m.Row >= file.Rows)
      Fail(m.Line, "bookmark at row " + std::to_string(m.Row) + " is past the file's last row " +
                       std::to_string(file.Rows - 1));
    std::string name;
    if (Attribute(*mark, "name", name) != nullptr && !name.empty()) m.Name = name;
    if (!IsWritableName(m.Name))
      Fail(m.Line, "the bookmark name '" + m.Name + "' cannot be written in a timeline");
    file.Marks.push_back(m);
  }
}

ReadFile ReadXml(const std::string& xml, const TrackLayout& layout, bool offAllowed) {
  XMLDocument doc;
  if (doc.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS)
    Fail(std::max(doc.ErrorLineNum(), 1), std::string("the XML does not parse: ") + doc.ErrorName());
  const XMLElement* root = doc.RootElement();
  if (root == nullptr) Fail(1, "the XML has no element");
  ReadFile file;
  file.Line = root->GetLineNum();
  const std::string rootName = root->Name();
  if (rootName != "sync" && rootName != "tracks")
    Fail(file.Line, "<" + rootName + "> is not a Rocket file's root: <sync> (the original editor's) or <tracks>");
  file.Dialect = rootName == "sync" ? RocketDialect::Sync : RocketDialect::Tracks;
  file.Rows = layout.Rows;
  file.HasRows = WholeAttribute(*root, "rows", 1, MaxTrackRows, file.Rows, false);
  file.RowsPerBeat = layout.RowsPerBeat;
  file.BeatsPerMinute = layout.BeatsPerMinute;
  file.HasTempo = WholeAttribute(*root, "rowsPerBeat", 1, MaxRowsPerBeat, file.RowsPerBeat, false);
  file.HasTempo |= WholeAttribute(*root, "beatsPerMin", 1, MaxBeatsPerMinute, file.BeatsPerMinute, false);
  if (Attribute(*root, "musicFilename", file.Music) != nullptr && !file.Music.empty() && !IsWritableName(file.Music))
    Fail(file.Line, "the music file name '" + file.Music + "' cannot be written in a timeline");
  if (file.Dialect == RocketDialect::Sync) {
    for (const XMLElement* tracks = root->FirstChildElement("tracks"); tracks != nullptr;
         tracks = tracks->NextSiblingElement("tracks"))
      ReadTracks(*tracks, "", file, offAllowed);
  } else {
    ReadTracks(*root, "", file, offAllowed);
  }
  ReadBookmarks(*root, file);
  for (const XMLElement* marks = root->FirstChildElement("bookmarks"); marks != nullptr;
       marks = marks->NextSiblingElement("bookmarks"))
    ReadBookmarks(*marks, file);
  std::stable_sort(file.Marks.begin(), file.Marks.end(), [](const Mark& a, const Mark& b) { return a.Row < b.Row; });
  return file;
}

// Key lines with their words in columns, as a timeline is written by hand.
void WriteKeys(const std::vector<Key>& keys, const TrackLayout& grid, std::string& text) {
  size_t positionWidth = 0, valueWidth = 0;
  for (const Key& key : keys) {
    positionWidth = std::max(positionWidth, FormatPosition(key.Row, grid).size());
    valueWidth = std::max(valueWidth, FormatValue(key.Value).size());
  }
  for (const Key& key : keys) {
    std::string line = FormatPosition(key.Row, grid);
    line.resize(positionWidth + 2, ' ');
    line += FormatValue(key.Value);
    if (key.Curve != Shape::Hold) {
      line.resize(positionWidth + 2 + valueWidth + 2, ' ');
      line += ShapeNames[int(key.Curve)];
    }
    text += line + "\n";
  }
}
}  // namespace

RocketImport ImportRocket(const std::string& xml, const TrackLayout* channels) {
  const TrackLayout layout = channels != nullptr ? *channels : ProjectLayout();
  ReadFile file = ReadXml(xml, layout, channels != nullptr);
  RocketImport imported;
  imported.Dialect = file.Dialect;
  imported.Notes = std::move(file.Notes);
  TrackLayout grid = layout;
  grid.RowsPerBeat = file.RowsPerBeat;
  grid.BeatsPerMinute = file.BeatsPerMinute;
  std::string& text = imported.Text;
  if (channels != nullptr) {
    // A demo's own timeline: its grid and length are the demo's.
    if (file.RowsPerBeat != layout.RowsPerBeat || file.BeatsPerMinute != layout.BeatsPerMinute)
      Fail(file.Line, "the file's tempo (" + std::to_string(file.BeatsPerMinute) + " beats a minute, " +
                          std::to_string(file.RowsPerBeat) + " rows a beat) is not the demo's (" +
                          std::to_string(layout.BeatsPerMinute) + ", " + std::to_string(layout.RowsPerBeat) + ")");
    for (const ReadTrack& track : file.Tracks)
      for (const Key& key : track.Keys)
        if (key.Row >= layout.Rows)
          Fail(key.Line, "key at row " + std::to_string(key.Row) + " is past the demo's last row " +
                             std::to_string(layout.Rows - 1));
    for (const Mark& mark : file.Marks)
      if (mark.Row >= layout.Rows)
        Fail(mark.Line, "bookmark at row " + std::to_string(mark.Row) + " is past the demo's last row " +
                            std::to_string(layout.Rows - 1));
  } else {
    if (file.HasTempo)
      text += "tempo " + std::to_string(file.BeatsPerMinute) + " rows " + std::to_string(file.RowsPerBeat) + "\n";
    text += "length " + FormatPosition(file.Rows, grid) + "\n";
  }
  if (!file.Music.empty()) text += "music " + file.Music + "\n";
  if (!file.Marks.empty()) {
    if (!text.empty()) text += "\n";
    for (const Mark& mark : file.Marks) text += "mark " + FormatPosition(mark.Row, grid) + " " + mark.Name + "\n";
  }
  if (channels != nullptr) {
    // In the channels' order, each once.
    std::map<int, const ReadTrack*> byChannel;
    for (const ReadTrack& track : file.Tracks) {
      const int channel = ChannelNumber(track.Name, layout);
      if (channel < 0) Fail(track.Line, "'" + track.Name + "' is not one of the demo's channels");
      const auto [at, added] = byChannel.emplace(channel, &track);
      if (!added)
        Fail(track.Line, "'" + track.Name + "' is the channel of the track on line " + std::to_string(at->second->Line));
    }
    for (const auto& [channel, track] : byChannel) {
      text += (text.empty() ? "" : "\n") + std::string("channel ") + ChannelName(channel, layout) + "\n";
      WriteKeys(track->Keys, grid, text);
    }
    return imported;
  }
  for (const ReadTrack& track : file.Tracks) {
    text += (text.empty() ? "" : "\n") + std::string("track ") + track.Name + "\n";
    WriteKeys(track.Keys, grid, text);
  }
  return imported;
}

std::string ExportRocket(const Timeline& timeline, RocketDialect dialect, std::vector<std::string>* notes) {
  const TrackLayout& layout = timeline.Layout;
  XMLDocument doc;
  doc.InsertEndChild(doc.NewDeclaration());
  XMLElement* root = doc.NewElement(dialect == RocketDialect::Sync ? "sync" : "tracks");
  doc.InsertEndChild(root);
  root->SetAttribute("rows", layout.Rows);
  const bool ownTempo = layout.RowsPerBeat != SongLayout().RowsPerBeat || layout.BeatsPerMinute != Tempo;
  if (dialect == RocketDialect::Tracks) {
    root->SetAttribute("rowsPerBeat", layout.RowsPerBeat);
    root->SetAttribute("beatsPerMin", layout.BeatsPerMinute);
    if (!timeline.Music.empty()) root->SetAttribute("musicFilename", timeline.Music.c_str());
  } else if (notes != nullptr && (ownTempo || !timeline.Music.empty())) {
    notes->push_back("the original editor's files keep no tempo or music: " + std::to_string(layout.BeatsPerMinute) +
                     " beats a minute, " + std::to_string(layout.RowsPerBeat) + " rows a beat" +
                     (timeline.Music.empty() ? "" : " and the music '" + timeline.Music + "'") + " are left out");
  }
  XMLElement* tracks = root;
  if (dialect == RocketDialect::Sync) {
    tracks = doc.NewElement("tracks");
    root->InsertEndChild(tracks);
  }
  for (size_t c = 0; c < timeline.Channels.size(); ++c) {
    XMLElement* track = doc.NewElement("track");
    track->SetAttribute("name", ChannelName(static_cast<int>(c), layout).c_str());
    tracks->InsertEndChild(track);
    for (const Key& key : timeline.Channels[c]) {
      XMLElement* element = doc.NewElement("key");
      element->SetAttribute("row", key.Row);
      element->SetAttribute("value", std::isnan(key.Value) ? "nan" : FormatValue(key.Value).c_str());
      element->SetAttribute("interpolation", RocketShapeNumber(key.Curve));
      track->InsertEndChild(element);
    }
  }
  XMLElement* bookmarks = root;
  if (dialect == RocketDialect::Sync) {
    bookmarks = doc.NewElement("bookmarks");
    root->InsertEndChild(bookmarks);
  }
  std::vector<Mark> marks = timeline.Marks;
  std::stable_sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.Row < b.Row; });
  for (const Mark& mark : marks) {
    XMLElement* element = doc.NewElement("bookmark");
    element->SetAttribute("row", mark.Row);
    element->SetAttribute("name", mark.Name.c_str());
    bookmarks->InsertEndChild(element);
  }
  tinyxml2::XMLPrinter printer;
  doc.Print(&printer);
  return std::string(printer.CStr(), printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0);
}

bool ImportRocketFile(const std::string& path, RocketImport& imported, std::string& reason,
                      const TrackLayout* channels) {
  std::string xml;
  if (!ReadWholeFile(path, xml, reason)) return false;
  try {
    imported = ImportRocket(xml, channels);
  } catch (const RocketError& error) {
    reason = path + ": " + error.what();
    return false;
  }
  return true;
}

bool ExportRocketFile(const std::string& path, const Timeline& timeline, RocketDialect dialect, std::string& reason,
                      std::vector<std::string>* notes) {
  return ReplaceFile(path, ExportRocket(timeline, dialect, notes), false, reason);
}
