#include "EditOptions.h"

#include <charconv>

#include "Bindings.h"
#include "platform/Directory.h"
#include "platform/Stream.h"
#include "runtime/PacketFraming.h"

namespace {
constexpr int MaxPort = 65535;
constexpr int MinWindowWidth = 640, MinWindowHeight = 480;

// What the bound actions do, for the help, in the table's order.
struct TActionText {
  TAction Action;
  const char* Text;
};
constexpr TActionText ActionTexts[] = {
    {TAction::Up, "cursor a grid line up (Shift: select)"},
    {TAction::Down, "cursor a grid line down (Shift: select)"},
    {TAction::Left, "cursor a channel left (Shift: select)"},
    {TAction::Right, "cursor a channel right (Shift: select)"},
    {TAction::PageUp, "a bar up (Shift: select)"},
    {TAction::PageDown, "a bar down (Shift: select)"},
    {TAction::Home, "to the start (Shift: select)"},
    {TAction::End, "to the end (Shift: select)"},
    {TAction::Enter, "set the typed number (digits, \".\", \"-\") as a key; alone: the value there"},
    {TAction::Off, "set an \"off\" key"},
    {TAction::CycleShape, "the key's next shape (hold, linear, smooth, ...)"},
    {TAction::Delete, "delete the keys under the cursor or in the selection"},
    {TAction::Escape, "drop the typed number, then the selection"},
    {TAction::Copy, "copy the block"},
    {TAction::Cut, "cut the block"},
    {TAction::Paste, "paste the block at the cursor (any channel)"},
    {TAction::MoveRowUp, "move the keys a row earlier"},
    {TAction::MoveRowDown, "move the keys a row later"},
    {TAction::MoveBeatUp, "move the keys a beat earlier"},
    {TAction::MoveBeatDown, "move the keys a beat later"},
    {TAction::AddCoarse, "add 0.1 to the values (Ctrl+Shift: 0.01)"},
    {TAction::SubtractCoarse, "take 0.1 from the values (Ctrl+Shift: 0.01)"},
    {TAction::Scale, "multiply the values by the scale field"},
    {TAction::InsertBeat, "insert a beat at the cursor in every channel"},
    {TAction::DeleteBeat, "delete the beat at the cursor in every channel"},
    {TAction::ToggleMark, "set or clear a mark at the cursor (named in the mark field)"},
    {TAction::PreviousMark, "to the previous mark"},
    {TAction::NextMark, "to the next mark"},
    {TAction::Unroll, "unroll the repeat under the cursor into plain keys"},
    {TAction::Undo, "undo"},
    {TAction::Redo, "redo (also Ctrl+Shift+Z)"},
    {TAction::PlayPause, "play from the cursor or pause"},
    {TAction::PlayLoop, "play the loop range"},
    {TAction::LoopSelection, "loop the selection's rows (else the bar); again: no loop"},
    {TAction::ZoomIn, "finer grid (Alt+Minus: coarser; Ctrl+wheel in a panel)"},
    {TAction::TogglePreview, "show or hide the preview"},
    {TAction::EditText, "edit the timeline as text"},
    {TAction::Save, "save"},
    {TAction::SaveTracks, "with --sync: ask the connected demos to save their tracks"},
    {TAction::Quit, "quit (asks about unsaved edits)"},
};
}  // namespace

std::optional<TSendTarget> ParseHostPort(const std::string& word, int port) {
  TSendTarget target{word, port};
  const size_t colon = word.rfind(':');
  if (colon != std::string::npos) {
    target.Host = word.substr(0, colon);
    const std::string digits = word.substr(colon + 1);
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, target.Port);
    if (digits.empty() || error != std::errc() || stop != end || target.Port < 1 || target.Port > MaxPort)
      return std::nullopt;
  }
  if (target.Host.empty()) return std::nullopt;
  return target;
}

std::optional<TSendTarget> ParseSendTarget(const std::string& word) { return ParseHostPort(word, PacketPort); }

namespace {
// The words an option takes after it: 0 for a switch or an unknown word.
int ValuesOf(const std::string& word) {
  if (word == "--import" || word == "--export" || word == "--export-tracks") return 2;
  if (word == "--data" || word == "--send" || word == "--script" || word == "--size" || word == "--listen" ||
      word == "--dialect")
    return 1;
  return 0;
}

// What an option needs when its words are missing.
std::string Needs(const std::string& word) {
  if (word == "--data") return " needs the run directory (it holds demo.vrk and data/)";
  if (word == "--send") return " needs a preview's <host>:<port>";
  if (word == "--script") return " needs a script file";
  if (word == "--size") return " needs a window size in pixels, such as 1280x800";
  if (word == "--listen") return " needs the address demos connect to, such as 0.0.0.0 (every one) or 127.0.0.1:1338";
  if (word == "--dialect") return " needs sync or tracks";
  if (word == "--import") return " needs the Rocket file and the timeline to write: --import <file.rocket> <timeline>";
  if (word == "--export") return " needs the timeline and the Rocket file to write: --export <timeline> <file.rocket>";
  return " needs the timeline and the track files' base: --export-tracks <timeline> <base>";
}

TEditJob JobOf(const std::string& word) {
  return word == "--import"   ? TEditJob::Import
         : word == "--export" ? TEditJob::Export
                              : TEditJob::ExportTracks;
}
}  // namespace

std::optional<TUsageError> ParseEditOptions(int argc, const char* const* argv, TEditOptions& options) {
  bool timelineGiven = false, listenGiven = false, dialectGiven = false;
  std::string job;         // the job's option, as written
  std::string editorWord;  // the first word that belongs to the editor's window
  for (int k = 1; k < argc; ++k) {
    const std::string word = argv[k];
    if (word == "--help" || word == "-h") {
      options.Help = true;
      return std::nullopt;
    }
    const int values = ValuesOf(word);
    if (values == 0) {
      if (word == "--sync") {
        options.Sync = true;
        if (editorWord.empty()) editorWord = word;
        continue;
      }
      if (word.size() > 1 && word[0] == '-') return TUsageError{"unknown option " + word};
      if (timelineGiven) return TUsageError{"one timeline only, not both " + options.Timeline + " and " + word};
      if (word.empty()) return TUsageError{"the timeline's name is empty"};
      options.Timeline = word;
      timelineGiven = true;
      if (editorWord.empty()) editorWord = word;
      continue;
    }
    for (int v = 1; v <= values; ++v)
      if (k + v >= argc || argv[k + v][0] == '\0') return TUsageError{word + Needs(word)};
    const std::string value = argv[++k];
    if (values == 2) {
      if (!job.empty()) return TUsageError{"one job at a time, not both " + job + " and " + word};
      job = word;
      options.Job = JobOf(word);
      options.From = value;
      options.To = argv[++k];
      continue;
    }
    if (word == "--dialect") {
      if (value == "sync")
        options.Dialect = RocketDialect::Sync;
      else if (value == "tracks")
        options.Dialect = RocketDialect::Tracks;
      else
        return TUsageError{"--dialect takes sync (the original editor's <sync> files) or tracks (<tracks> files), not \"" +
                           value + "\""};
      dialectGiven = true;
      continue;
    }
    if (editorWord.empty()) editorWord = word;
    if (word == "--data") {
      options.Data = value;
    } else if (word == "--script") {
      options.Script = value;
    } else if (word == "--send" || word == "--listen") {
      const std::optional<TSendTarget> target = word == "--send" ? ParseSendTarget(value) : ParseHostPort(value, SyncPort);
      if (!target)
        return TUsageError{word + " takes <host>:<port> (port 1 to " + std::to_string(MaxPort) + "), not \"" + value +
                           "\""};
      if (word == "--send") {
        options.Sends.push_back(*target);
      } else {
        options.Listen = *target;
        listenGiven = true;
      }
    } else {
      const std::optional<TPixelSize> size = ParsePixelSize(value);
      if (!size)
        return TUsageError{"--size takes a width and height in pixels, such as 1280x800, not \"" + value + "\""};
      if (size->Width < MinWindowWidth || size->Height < MinWindowHeight)
        return TUsageError{"--size must be at least " + std::to_string(MinWindowWidth) + "x" +
                           std::to_string(MinWindowHeight) + ", not " + value};
      options.Width = size->Width;
      options.Height = size->Height;
    }
  }
  if (!job.empty() && !editorWord.empty())
    return TUsageError{job + " does its job without the editor's window: it takes no " + editorWord};
  if (dialectGiven && options.Job != TEditJob::Export) return TUsageError{"--dialect goes with --export"};
  if (listenGiven && !options.Sync) return TUsageError{"--listen goes with --sync"};
  return std::nullopt;
}

std::string EditUsage() {
  return "usage: vemla-edit [<timeline>] [--data <run directory>] [--send <host>:<port>]...\n"
         "                  [--sync [--listen <address>[:<port>]]] [--script <file>] [--size <width>x<height>]\n"
         "       vemla-edit --import <file.rocket> <timeline>\n"
         "       vemla-edit --export <timeline> <file.rocket> [--dialect sync|tracks]\n"
         "       vemla-edit --export-tracks <timeline> <base>\n";
}

std::string EditHelp() {
  std::string text =
      "The sync editor: edits a timeline (the demo's track as text) with the demo's frame,\n"
      "its music and the live previews following the cursor.\n\n" +
      EditUsage() +
      "\n"
      "  <timeline>          the timeline to edit (tools/content/demo.timeline)\n"
      "  --data <dir>        the run directory with data/ (build/stage, as run.sh uses)\n"
      "  --send <host:port>  also send the channels to a running \"vemla -vrt\" (repeatable)\n"
      "  --script <file>     play a script of keys and actions (tools/edit/Script.h)\n"
      "  --size <W>x<H>      the window's size at the start (1280x800)\n"
      "  --sync              serve demos synchronised with GNU Rocket (TCP port 1338): each\n"
      "                      gets the timeline's tracks, every edit, the cursor and play\n"
      "  --listen <address>  where --sync listens: 127.0.0.1 (this machine), 0.0.0.0 (any),\n"
      "                      with :<port> for another port\n"
      "  --import <file.rocket> <timeline>\n"
      "                      write a Rocket editor's XML file as a timeline, and exit\n"
      "  --export <timeline> <file.rocket>\n"
      "                      write the timeline as a Rocket editor's XML file, and exit;\n"
      "                      --dialect sync (the original editor's, the default) or tracks\n"
      "  --export-tracks <timeline> <base>\n"
      "                      write the player's track files <base>_<track>.track, and exit\n"
      "\nKeys:\n";
  for (const TActionText& entry : ActionTexts) {
    std::string keys = ShortcutOf(entry.Action);
    keys.resize(std::max<size_t>(keys.size() + 2, 20), ' ');
    text += "  " + keys + entry.Text + "\n";
  }
  return text;
}

namespace {
// The first place that holds the file (the place itself when file is
// empty), made absolute; each place looked at is listed.
std::string FirstHolding(const std::vector<std::string>& places, const std::string& file, std::string& lookedAt) {
  lookedAt.clear();
  for (const std::string& place : places) {
    const std::string path = AbsolutePath(place);
    if (FileExists(path + file)) return path;
    lookedAt += (lookedAt.empty() ? "" : ", ") + path;
  }
  return {};
}
}  // namespace

std::string FindTimeline(const std::string& given, std::string& lookedAt) {
  const std::string demo = "tools/content/demo.timeline";
  if (!given.empty()) return FirstHolding({given}, "", lookedAt);
  // The repository's root; a packed build's folder, which holds the
  // timeline beside the programs; the source tree the program came from.
  std::vector<std::string> places = {demo, "demo.timeline"};
  if (!std::string(VEMLA_SOURCE_DIR).empty()) places.push_back(std::string(VEMLA_SOURCE_DIR) + "/" + demo);
  return FirstHolding(places, "", lookedAt);
}

std::string FindRunDirectory(const std::string& given, std::string& lookedAt) {
  if (!given.empty()) return FirstHolding({given}, "/demo.vrk", lookedAt);
  // As run.sh uses it; the current folder (a packed build's); the build's.
  std::vector<std::string> places = {"build/stage", "."};
  if (!std::string(VEMLA_BUILD_STAGE).empty()) places.push_back(VEMLA_BUILD_STAGE);
  return FirstHolding(places, "/demo.vrk", lookedAt);
}
