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
    {TAction::Quit, "quit (asks about unsaved edits)"},
};
}  // namespace

std::optional<TSendTarget> ParseSendTarget(const std::string& word) {
  TSendTarget target{word, PacketPort};
  const size_t colon = word.rfind(':');
  if (colon != std::string::npos) {
    target.Host = word.substr(0, colon);
    const std::string port = word.substr(colon + 1);
    const char* end = port.data() + port.size();
    const auto [stop, error] = std::from_chars(port.data(), end, target.Port);
    if (port.empty() || error != std::errc() || stop != end || target.Port < 1 || target.Port > MaxPort)
      return std::nullopt;
  }
  if (target.Host.empty()) return std::nullopt;
  return target;
}

std::optional<TUsageError> ParseEditOptions(int argc, const char* const* argv, TEditOptions& options) {
  bool timelineGiven = false;
  for (int k = 1; k < argc; ++k) {
    const std::string word = argv[k];
    if (word == "--help" || word == "-h") {
      options.Help = true;
      return std::nullopt;
    }
    const bool takesValue = word == "--data" || word == "--send" || word == "--script" || word == "--size";
    if (!takesValue) {
      if (word.size() > 1 && word[0] == '-') return TUsageError{"unknown option " + word};
      if (timelineGiven) return TUsageError{"one timeline only, not both " + options.Timeline + " and " + word};
      if (word.empty()) return TUsageError{"the timeline's name is empty"};
      options.Timeline = word;
      timelineGiven = true;
      continue;
    }
    if (k + 1 >= argc || argv[k + 1][0] == '\0') {
      const char* needs = word == "--data"     ? " needs the run directory (it holds demo.vrk and data/)"
                          : word == "--send"   ? " needs a preview's <host>:<port>"
                          : word == "--script" ? " needs a script file"
                                               : " needs a window size in pixels, such as 1280x800";
      return TUsageError{word + needs};
    }
    const std::string value = argv[++k];
    if (word == "--data") {
      options.Data = value;
    } else if (word == "--script") {
      options.Script = value;
    } else if (word == "--send") {
      const std::optional<TSendTarget> target = ParseSendTarget(value);
      if (!target)
        return TUsageError{"--send takes <host>:<port> (port 1 to " + std::to_string(MaxPort) + "), not \"" + value +
                           "\""};
      options.Sends.push_back(*target);
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
  return std::nullopt;
}

std::string EditUsage() {
  return "usage: vemla-edit [<timeline>] [--data <run directory>] [--send <host>:<port>]...\n"
         "                  [--script <file>] [--size <width>x<height>]\n";
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
  return FirstHolding({demo, std::string(VEMLA_SOURCE_DIR) + "/" + demo}, "", lookedAt);
}

std::string FindRunDirectory(const std::string& given, std::string& lookedAt) {
  if (!given.empty()) return FirstHolding({given}, "/demo.vrk", lookedAt);
  return FirstHolding({"build/stage", VEMLA_BUILD_STAGE}, "/demo.vrk", lookedAt);
}
