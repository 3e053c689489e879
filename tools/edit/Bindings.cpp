#include "Bindings.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace {
using A = TAction;
using K = TKey;

// Ctrl, Shift, Alt as written in each row.
constexpr TBinding Table[] = {
    {K::Up, 0, 0, 0, A::Up},
    {K::Down, 0, 0, 0, A::Down},
    {K::Left, 0, 0, 0, A::Left},
    {K::Right, 0, 0, 0, A::Right},
    {K::PageUp, 0, 0, 0, A::PageUp},
    {K::PageDown, 0, 0, 0, A::PageDown},
    {K::Home, 0, 0, 0, A::Home},
    {K::End, 0, 0, 0, A::End},
    {K::Up, 0, 1, 0, A::SelectUp},
    {K::Down, 0, 1, 0, A::SelectDown},
    {K::Left, 0, 1, 0, A::SelectLeft},
    {K::Right, 0, 1, 0, A::SelectRight},
    {K::PageUp, 0, 1, 0, A::SelectPageUp},
    {K::PageDown, 0, 1, 0, A::SelectPageDown},
    {K::Home, 0, 1, 0, A::SelectHome},
    {K::End, 0, 1, 0, A::SelectEnd},
    {K::Enter, 0, 0, 0, A::Enter},
    {K::KeypadEnter, 0, 0, 0, A::Enter},
    {K::O, 0, 0, 0, A::Off},
    {K::I, 0, 0, 0, A::CycleShape},
    {K::Delete, 0, 0, 0, A::Delete},
    {K::Backspace, 0, 0, 0, A::Backspace},
    {K::Escape, 0, 0, 0, A::Escape},
    {K::C, 1, 0, 0, A::Copy},
    {K::X, 1, 0, 0, A::Cut},
    {K::V, 1, 0, 0, A::Paste},
    {K::Up, 1, 0, 0, A::MoveRowUp},
    {K::Down, 1, 0, 0, A::MoveRowDown},
    {K::Up, 1, 1, 0, A::MoveBeatUp},
    {K::Down, 1, 1, 0, A::MoveBeatDown},
    {K::Equals, 1, 0, 0, A::AddCoarse},
    {K::KeypadPlus, 1, 0, 0, A::AddCoarse},
    {K::Minus, 1, 0, 0, A::SubtractCoarse},
    {K::KeypadMinus, 1, 0, 0, A::SubtractCoarse},
    {K::Equals, 1, 1, 0, A::AddFine},
    {K::KeypadPlus, 1, 1, 0, A::AddFine},
    {K::Minus, 1, 1, 0, A::SubtractFine},
    {K::KeypadMinus, 1, 1, 0, A::SubtractFine},
    {K::M, 1, 0, 0, A::Scale},
    {K::I, 1, 0, 0, A::InsertBeat},
    {K::I, 1, 1, 0, A::DeleteBeat},
    {K::B, 0, 0, 0, A::ToggleMark},
    {K::PageUp, 0, 0, 1, A::PreviousMark},
    {K::PageDown, 0, 0, 1, A::NextMark},
    {K::U, 1, 0, 0, A::Unroll},
    {K::Z, 1, 0, 0, A::Undo},
    {K::Y, 1, 0, 0, A::Redo},
    {K::Z, 1, 1, 0, A::Redo},
    {K::Space, 0, 0, 0, A::PlayPause},
    {K::Space, 1, 0, 0, A::PlayLoop},
    {K::L, 1, 0, 0, A::LoopSelection},
    {K::Equals, 0, 0, 1, A::ZoomIn},
    {K::Minus, 0, 0, 1, A::ZoomOut},
    {K::F2, 0, 0, 0, A::TogglePreview},
    {K::T, 1, 0, 0, A::EditText},
    {K::S, 1, 0, 0, A::Save},
    {K::E, 1, 0, 0, A::SaveTracks},
    {K::Q, 1, 0, 0, A::Quit},
};

struct KeyNameEntry {
  TKey Key;
  const char* Name;
};
constexpr KeyNameEntry Names[] = {
    {K::Up, "Up"},
    {K::Down, "Down"},
    {K::Left, "Left"},
    {K::Right, "Right"},
    {K::PageUp, "PageUp"},
    {K::PageDown, "PageDown"},
    {K::Home, "Home"},
    {K::End, "End"},
    {K::Enter, "Enter"},
    {K::Escape, "Escape"},
    {K::Space, "Space"},
    {K::Tab, "Tab"},
    {K::Backspace, "Backspace"},
    {K::Delete, "Delete"},
    {K::Insert, "Insert"},
    {K::Minus, "Minus"},
    {K::Equals, "Equals"},
    {K::Period, "Period"},
    {K::Comma, "Comma"},
    {K::Slash, "Slash"},
    {K::KeypadPlus, "KeypadPlus"},
    {K::KeypadMinus, "KeypadMinus"},
    {K::KeypadEnter, "KeypadEnter"},
    {K::KeypadPeriod, "KeypadPeriod"},
    {K::Ctrl, "Ctrl"},
    {K::Shift, "Shift"},
    {K::Alt, "Alt"},
};
// Other spellings a script may use.
constexpr KeyNameEntry Aliases[] = {
    {K::Enter, "Return"}, {K::Escape, "Esc"},  {K::Delete, "Del"},
    {K::Equals, "Plus"},  {K::PageUp, "PgUp"}, {K::PageDown, "PgDn"},
};

bool SameName(const std::string& a, const char* b) {
  const size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (size_t k = 0; k < n; ++k)
    if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(b[k]))) return false;
  return true;
}

// "A".."Z", "0".."9", "F1".."F12" by their place in TKey.
std::string Generated(TKey key) {
  const int k = static_cast<int>(key);
  if (key >= K::A && key <= K::Z) return std::string(1, static_cast<char>('A' + k - int(K::A)));
  if (key >= K::Digit0 && key <= K::Digit9) return std::string(1, static_cast<char>('0' + k - int(K::Digit0)));
  if (key >= K::F1 && key <= K::F12) return "F" + std::to_string(k - int(K::F1) + 1);
  return {};
}

// Names made once for every key, so that KeyName can hand out pointers.
struct NameTable {
  std::string Of[256];
  NameTable() {
    for (int k = 0; k < 256; ++k) Of[k] = Generated(static_cast<TKey>(k));
    for (const KeyNameEntry& entry : Names) Of[static_cast<int>(entry.Key)] = entry.Name;
  }
};
const NameTable& AllNames() {
  static const NameTable table;
  return table;
}
}  // namespace

TAction ActionForKey(TKey key, bool ctrl, bool shift, bool alt) {
  for (const TBinding& b : Table)
    if (b.Key == key && b.Ctrl == ctrl && b.Shift == shift && b.Alt == alt) return b.Action;
  return TAction::None;
}

std::string ShortcutOf(TAction action) {
  for (const TBinding& b : Table) {
    if (b.Action != action) continue;
    std::string text;
    if (b.Ctrl) text += "Ctrl+";
    if (b.Shift) text += "Shift+";
    if (b.Alt) text += "Alt+";
    return text + KeyName(b.Key);
  }
  return {};
}

const TBinding* BindingsBegin() { return std::begin(Table); }
const TBinding* BindingsEnd() { return std::end(Table); }

const char* KeyName(TKey key) { return AllNames().Of[static_cast<int>(key)].c_str(); }

TKey KeyNamed(const std::string& name) {
  if (name.empty()) return K::None;
  for (int k = 1; k < 256; ++k) {
    const std::string& known = AllNames().Of[k];
    if (!known.empty() && SameName(name, known.c_str())) return static_cast<TKey>(k);
  }
  for (const KeyNameEntry& entry : Aliases)
    if (SameName(name, entry.Name)) return entry.Key;
  return K::None;
}
