// Setting, deleting, moving, scaling and pasting keys.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "Edits.h"
#include "LineWords.h"

namespace {
std::string Join(const std::set<std::string>& notes) {
  std::string text;
  for (const std::string& note : notes) text += (text.empty() ? "" : "; ") + note;
  return text;
}

void SortByRow(Expectation& expected) {
  for (std::vector<Key>& keys : expected.Channels)
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.Row < b.Row; });
}

// A repeated key's offset in its repeat's pattern.
int OffsetOf(const EditDraft& draft, const Key& key) {
  const RepeatBlock& block = draft.Read().Repeats[key.Repeat];
  return key.Row - block.From - key.Repetition * block.Step;
}
}  // namespace

std::string SetKeyEdit(EditDraft& draft, int channel, int row, std::optional<float> value, std::optional<Shape> shape) {
  RequireChannel(draft, channel);
  RequireRow(draft, row);
  if (value && std::isinf(*value)) throw EditRefused("a key's value is a finite number or off");
  if (value && std::isnan(*value) && draft.Layout().Tracks)
    throw EditRefused("a track's key has a number: 'off' is for a demo's channels");
  Expectation expected = draft.Expect();
  const Key* key = draft.Now().KeyAt(channel, row);
  if (key == nullptr) {
    if (!value) throw EditRefused("there is no key at " + Where(draft, channel, row) + " to change");
    ExpectKey(expected.Channels[channel], row, *value, shape.value_or(Shape::Hold));
    PlaceKeyLine(draft, channel, row, NewKeyLine(draft, channel, row, *value, shape.value_or(Shape::Hold)));
    draft.Check(expected);
    return "";
  }
  // A key of a repeat's pattern changes in every repetition.
  const float newValue = value.value_or(key->Value);
  const Shape newShape = shape.value_or(key->Curve);
  const bool valueChanges = !SameValue(newValue, key->Value), shapeChanges = newShape != key->Curve;
  if (!valueChanges && !shapeChanges) return "";
  const int line = key->Line;
  const std::string note = key->Repeat >= 0 ? RepeatNote(draft, key->Repeat) : "";
  for (Key& k : expected.Channels[channel])
    if (k.Line == line) {
      k.Value = newValue;
      k.Curve = newShape;
    }
  draft.Replace(line, RewriteKeyLine(draft, draft.LineText(line), std::nullopt,
                                     valueChanges ? std::optional<float>(newValue) : std::nullopt,
                                     shapeChanges ? std::optional<Shape>(newShape) : std::nullopt));
  draft.Check(expected);
  return note;
}

std::string DeleteKeysEdit(EditDraft& draft, const KeyBlock& block) {
  // A repeat wholly in the block goes, lines and all; a key of a repeat
  // partly in it goes from the pattern, so from every repetition.
  std::set<int> wholeRepeats, lines;
  std::set<std::string> notes;
  for (const BlockKey& found : KeysIn(draft.Read(), block)) {
    const Key* key = found.Found;
    if (key->Repeat >= 0 && HoldsWholeRepeat(draft, block, key->Repeat)) {
      wholeRepeats.insert(key->Repeat);
      continue;
    }
    lines.insert(key->Line);
    if (key->Repeat >= 0) notes.insert(RepeatNote(draft, key->Repeat));
  }
  if (wholeRepeats.empty() && lines.empty()) return "";
  Expectation expected = draft.Expect();
  for (std::vector<Key>& keys : expected.Channels)
    std::erase_if(keys, [&](const Key& k) { return wholeRepeats.count(k.Repeat) > 0 || lines.count(k.Line) > 0; });
  std::map<int, int, std::greater<int>> runs;  // first line -> count, from the last up
  for (int repeat : wholeRepeats) {
    const RepeatBlock& r = draft.Read().Repeats[repeat];
    runs[r.Line] = r.EndLine - r.Line + 1;
    notes.insert("removed the repeat at line " + std::to_string(r.Line));
  }
  for (int line : lines) runs.emplace(line, 1);
  for (const auto& [first, count] : runs) draft.Erase(first, count);
  draft.Check(expected);
  return Join(notes);
}

std::string MoveKeysEdit(EditDraft& draft, const KeyBlock& block, int rows) {
  if (rows == 0) return "";
  const TrackLayout& layout = draft.Layout();
  const Timeline& read = draft.Read();
  // What moves: keys of their own, whole repeats (their start), and lines
  // of patterns (in every repetition).
  struct Own {
    int Channel;
    Key Moved;
    std::string Text;
  };
  std::vector<Own> own;
  std::set<int> wholeRepeats;
  std::map<int, int> patternLines;  // line -> its repeat
  std::set<std::string> notes;
  for (const auto& [channel, key] : KeysIn(draft.Read(), block)) {
    if (key->Repeat < 0) {
      own.push_back(Own{channel, *key, draft.LineText(key->Line)});
      if (key->Row + rows < 0 || key->Row + rows >= layout.Rows)
        throw EditRefused("the move would take the key at line " + std::to_string(key->Line) + " off the track");
    } else if (HoldsWholeRepeat(draft, block, key->Repeat)) {
      wholeRepeats.insert(key->Repeat);
    } else {
      if (OffsetOf(draft, *key) + rows < 0)
        throw EditRefused("the move would take the key at line " + std::to_string(key->Line) +
                          " before the start of its repeat (" + Where(draft, channel, read.Repeats[key->Repeat].From) +
                          ")");
      patternLines[key->Line] = key->Repeat;
      notes.insert(RepeatNote(draft, key->Repeat));
    }
  }
  for (int repeat : wholeRepeats) {
    const RowSpan span = draft.Now().SpanOfRepeat(repeat);
    if (read.Repeats[repeat].From + rows < 0 || span.Last + rows >= layout.Rows)
      throw EditRefused("the move would take the repeat at line " + std::to_string(read.Repeats[repeat].Line) +
                        " off the track");
  }
  if (own.empty() && wholeRepeats.empty() && patternLines.empty()) return "";

  // First the repeats change and the moving keys of their own go ...
  Expectation expected = draft.Expect();
  std::set<int> ownLines;
  for (const Own& o : own) ownLines.insert(o.Moved.Line);
  for (std::vector<Key>& keys : expected.Channels) {
    std::erase_if(keys, [&](const Key& k) { return k.Repeat < 0 && ownLines.count(k.Line) > 0; });
    for (Key& k : keys)
      if (wholeRepeats.count(k.Repeat) > 0 || patternLines.count(k.Line) > 0) k.Row += rows;
  }
  SortByRow(expected);
  for (int repeat : wholeRepeats) {
    const RepeatBlock& r = read.Repeats[repeat];
    draft.Replace(r.Line, WithWord(draft.LineText(r.Line), 5, FormatPosition(r.From + rows, layout)));
  }
  // A pattern's key lines stay in the order of their offsets.
  std::set<int> changedRepeats;
  for (const auto& [line, repeat] : patternLines) changedRepeats.insert(repeat);
  for (int repeat : changedRepeats) {
    std::map<int, std::pair<int, int>> slots;  // line -> (new offset, line it came from)
    const RepeatBlock& r = read.Repeats[repeat];
    for (const Key& k : read.Channels[r.Channel])
      if (k.Repeat == repeat && k.Repetition == 0)
        slots[k.Line] = {OffsetOf(draft, k) + (patternLines.count(k.Line) > 0 ? rows : 0), k.Line};
    std::vector<std::pair<int, int>> order;
    for (const auto& [line, slot] : slots) order.push_back(slot);
    std::stable_sort(order.begin(), order.end(), [](auto a, auto b) { return a.first < b.first; });
    std::vector<std::string> texts;
    for (const auto& [offset, from] : order)
      texts.push_back(patternLines.count(from) > 0
                          ? RewriteKeyLine(draft, draft.LineText(from), offset, std::nullopt, std::nullopt)
                          : draft.LineText(from));
    size_t k = 0;
    for (const auto& [line, slot] : slots) draft.Replace(line, texts[k++]);
  }
  for (auto line = ownLines.rbegin(); line != ownLines.rend(); ++line) draft.Erase(*line);
  draft.Check(expected);

  // ... then each comes back at its new row, comment and all.
  for (const Own& o : own) {
    const int row = o.Moved.Row + rows;
    expected = draft.Expect();
    ExpectKey(expected.Channels[o.Channel], row, o.Moved.Value, o.Moved.Curve);
    PlaceKeyLine(draft, o.Channel, row, RewriteKeyLine(draft, o.Text, row, std::nullopt, std::nullopt));
    draft.Check(expected);
  }
  return Join(notes);
}

std::string ChangeValuesEdit(EditDraft& draft, const KeyBlock& block, const std::function<float(float)>& change) {
  std::map<int, std::pair<int, const Key*>> lines;  // line -> (channel, a key of it)
  for (const auto& [channel, key] : KeysIn(draft.Read(), block))
    if (!std::isnan(key->Value)) lines.emplace(key->Line, std::make_pair(channel, key));
  Expectation expected = draft.Expect();
  std::set<std::string> notes;
  std::vector<std::pair<int, std::string>> rewritten;
  for (const auto& [line, found] : lines) {
    const auto& [channel, key] = found;
    const float value = change(key->Value);
    if (!std::isfinite(value))
      throw EditRefused("the key at " + Where(draft, channel, key->Row) + " would get a value out of range");
    if (SameValue(value, key->Value)) continue;
    for (Key& k : expected.Channels[channel])
      if (k.Line == line) k.Value = value;
    if (key->Repeat >= 0) notes.insert(RepeatNote(draft, key->Repeat));
    rewritten.emplace_back(line, RewriteKeyLine(draft, draft.LineText(line), std::nullopt, value, std::nullopt));
  }
  for (const auto& [line, text] : rewritten) draft.Replace(line, text);
  draft.Check(expected);
  return Join(notes);
}

std::string PasteEdit(EditDraft& draft, const Clip& clip, int channel, int row) {
  RequireChannel(draft, channel);
  RequireRow(draft, row);
  if (clip.Channels <= 0 || clip.Rows <= 0) return "";
  if (channel + clip.Channels > draft.Layout().Channels())
    throw EditRefused("the clip's " + std::to_string(clip.Channels) + " channels do not fit from " +
                      ChannelName(channel, draft.Layout()) + " on");
  if (row + clip.Rows > draft.Layout().Rows) throw EditRefused("the clip's rows run past the track's end");
  std::set<std::string> notes;
  const std::string deleted =
      DeleteKeysEdit(draft, KeyBlock{channel, channel + clip.Channels - 1, row, row + clip.Rows - 1});
  if (!deleted.empty()) notes.insert(deleted);
  for (const Clip::Entry& entry : clip.Keys) {
    const std::string note = SetKeyEdit(draft, channel + entry.Channel, row + entry.Row, entry.Value, entry.Curve);
    if (!note.empty()) notes.insert(note);
  }
  return Join(notes);
}
