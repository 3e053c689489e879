#include "Script.h"

#include <charconv>

#include "Bindings.h"

namespace {
constexpr int MaxWait = 600000;
constexpr int MaxBenchFrames = 100000;
constexpr int MaxWindowSide = 16384;
constexpr int MaxCoordinate = 100000;
constexpr int MaxWheelClicks = 1000;

struct Words {
  std::vector<std::string> List;
  std::string Rest;  // the line after its first word and one space
};

Words Split(const std::string& line) {
  Words words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) break;
    size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    if (words.List.empty()) words.Rest = end < line.size() ? line.substr(end + 1) : "";
    words.List.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

int Number(const std::string& word, int low, int high, int line, const std::string& what) {
  int value = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  if (error != std::errc() || stop != end || value < low || value > high)
    throw EScriptError(
        line, what + " from " + std::to_string(low) + " to " + std::to_string(high) + ", not \"" + word + "\"");
  return value;
}

void Expect(const Words& words, size_t count, int line, const std::string& usage) {
  if (words.List.size() != count) throw EScriptError(line, "it is written \"" + usage + "\"");
}

// "Ctrl+Shift+I": the key and its modifiers.
void ReadCombo(const std::string& combo, TScriptStep& step) {
  size_t at = 0;
  for (;;) {
    const size_t plus = combo.find('+', at);
    const std::string part = combo.substr(at, plus == std::string::npos ? std::string::npos : plus - at);
    if (plus == std::string::npos) {
      step.Pressed = KeyNamed(part);
      if (step.Pressed == TKey::None)
        throw EScriptError(step.Line, "no key is called \"" + part +
                                          "\" (keys are named like Down, PageUp, Enter, "
                                          "A, 5, F2, Minus, Equals)");
      return;
    }
    const TKey modifier = KeyNamed(part);
    if (modifier == TKey::Ctrl)
      step.Ctrl = true;
    else if (modifier == TKey::Shift)
      step.Shift = true;
    else if (modifier == TKey::Alt)
      step.Alt = true;
    else
      throw EScriptError(step.Line, "\"" + part + "\" is not Ctrl, Shift or Alt, in \"" + combo + "\"");
    at = plus + 1;
  }
}

TScriptStep ReadStep(const std::string& line, int number) {
  const Words words = Split(line);
  const std::string& verb = words.List[0];
  TScriptStep step;
  step.Line = number;
  auto coordinate = [&](size_t k) { return Number(words.List[k], 0, MaxCoordinate, number, "a position is pixels"); };
  if (verb == "key") {
    step.Type = TScriptStep::Key;
    Expect(words, 2, number, "key <combo>");
    ReadCombo(words.List[1], step);
  } else if (verb == "text") {
    step.Type = TScriptStep::Text;
    if (words.Rest.empty()) throw EScriptError(number, "text needs the characters to type");
    step.Words = words.Rest;
  } else if (verb == "wait") {
    step.Type = TScriptStep::Wait;
    Expect(words, 2, number, "wait <milliseconds>");
    step.Count = Number(words.List[1], 0, MaxWait, number, "wait takes milliseconds");
  } else if (verb == "move" || verb == "click") {
    step.Type = verb == "move" ? TScriptStep::Move : TScriptStep::Click;
    const bool button = step.Type == TScriptStep::Click && words.List.size() == 4;
    Expect(words, button ? 4 : 3, number,
           verb + " <x> <y>" + (step.Type == TScriptStep::Click ? " [right|middle]" : ""));
    step.X = coordinate(1);
    step.Y = coordinate(2);
    if (button) {
      if (words.List[3] == "right")
        step.Button = 1;
      else if (words.List[3] == "middle")
        step.Button = 2;
      else if (words.List[3] != "left")
        throw EScriptError(number, "a button is left, right or middle, not \"" + words.List[3] + "\"");
    }
  } else if (verb == "drag") {
    step.Type = TScriptStep::Drag;
    Expect(words, 5, number, "drag <x0> <y0> <x1> <y1>");
    step.X = coordinate(1);
    step.Y = coordinate(2);
    step.X2 = coordinate(3);
    step.Y2 = coordinate(4);
  } else if (verb == "wheel") {
    step.Type = TScriptStep::Wheel;
    Expect(words, 4, number, "wheel <x> <y> <clicks>");
    step.X = coordinate(1);
    step.Y = coordinate(2);
    step.Count = Number(words.List[3], -MaxWheelClicks, MaxWheelClicks, number, "the wheel turns");
  } else if (verb == "shot" || verb == "frame") {
    step.Type = verb == "shot" ? TScriptStep::Shot : TScriptStep::Frame;
    if (words.Rest.empty()) throw EScriptError(number, verb + " needs a file name");
    step.Words = words.Rest;
  } else if (verb == "resize") {
    step.Type = TScriptStep::Resize;
    Expect(words, 3, number, "resize <width> <height>");
    step.Width = Number(words.List[1], 1, MaxWindowSide, number, "a window's width is pixels");
    step.Height = Number(words.List[2], 1, MaxWindowSide, number, "a window's height is pixels");
  } else if (verb == "bench") {
    step.Type = TScriptStep::Bench;
    Expect(words, 2, number, "bench <frames>");
    step.Count = Number(words.List[1], 1, MaxBenchFrames, number, "bench draws");
  } else if (verb == "quit") {
    step.Type = TScriptStep::Quit;
    Expect(words, 1, number, "quit");
  } else {
    throw EScriptError(number, "no step is called \"" + verb +
                                   "\" (key, text, wait, move, click, drag, wheel, shot, frame, resize, bench, quit)");
  }
  return step;
}
}  // namespace

EScriptError::EScriptError(int line, const std::string& what)
    : std::runtime_error("line " + std::to_string(line) + ": " + what), Line(line) {}

std::vector<TScriptStep> ParseScript(const std::string& text) {
  std::vector<TScriptStep> steps;
  size_t at = 0;
  int number = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find('\0') != std::string::npos) throw EScriptError(number, "a script is text: this line holds a NUL");
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    steps.push_back(ReadStep(line.substr(first), number));
  }
  return steps;
}

std::string TypedCharacter(TKey key, bool shift) {
  const int k = static_cast<int>(key);
  if (key >= TKey::A && key <= TKey::Z)
    return std::string(1, static_cast<char>((shift ? 'A' : 'a') + k - int(TKey::A)));
  if (key >= TKey::Digit0 && key <= TKey::Digit9)
    return shift ? "" : std::string(1, static_cast<char>('0' + k - int(TKey::Digit0)));
  switch (key) {
    case TKey::Space: return " ";
    case TKey::Minus: return shift ? "_" : "-";
    case TKey::Equals: return shift ? "+" : "=";
    case TKey::Period: return shift ? ">" : ".";
    case TKey::Comma: return shift ? "<" : ",";
    case TKey::Slash: return shift ? "?" : "/";
    case TKey::KeypadPlus: return "+";
    case TKey::KeypadMinus: return "-";
    case TKey::KeypadPeriod: return ".";
    default: return "";
  }
}
