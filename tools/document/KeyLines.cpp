// Finding, writing and placing key lines, for the edits.
#include <algorithm>

#include "Edits.h"
#include "LineWords.h"

namespace {
// The line a key is written on, or for a repeated one, its repeat's line.
int StatementLine(const EditDraft& draft, const Key& key) {
  return key.Repeat < 0 ? key.Line : draft.Read().Repeats[key.Repeat].Line;
}
}  // namespace

std::string RepeatNote(const EditDraft& draft, int repeat) {
  const RepeatBlock& block = draft.Read().Repeats[repeat];
  return "changed the pattern of the repeat at line " + std::to_string(block.Line) + ", which all its " +
         std::to_string(block.Count) + " repetitions follow";
}

bool HoldsWholeRepeat(const EditDraft& draft, const KeyBlock& block, int repeat) {
  const RowSpan span = draft.Now().SpanOfRepeat(repeat);
  const int channel = draft.Read().Repeats[repeat].Channel;
  return span.Keys > 0 && block.Holds(channel, span.First) && block.Holds(channel, span.Last);
}

std::string RewriteKeyLine(EditDraft& draft, const std::string& line, std::optional<int> position,
                           std::optional<float> value, std::optional<Shape> shape) {
  LineParts parts = CutLine(line);
  if (position) SetWord(parts, 0, FormatPosition(*position, draft.Layout()), draft.KeyColumns()[1]);
  if (value) SetWord(parts, 1, FormatValue(*value), draft.KeyColumns()[2]);
  if (shape) {
    if (parts.Words.size() == 3 && *shape == Shape::Hold)
      RemoveLastWord(parts);
    else if (parts.Words.size() == 3)
      SetWord(parts, 2, ShapeNames[int(*shape)]);
    else if (*shape != Shape::Hold)
      AppendWord(parts, ShapeNames[int(*shape)], draft.KeyColumns()[2]);
  }
  return JoinLine(parts);
}

std::string NewKeyLine(EditDraft& draft, int channel, int row, float value, Shape shape) {
  std::vector<std::string> words = {FormatPosition(row, draft.Layout()), FormatValue(value)};
  if (shape != Shape::Hold) words.push_back(ShapeNames[int(shape)]);
  // Indented as the channel's nearest key.
  const std::vector<Key>& keys = draft.Read().Channels[channel];
  const size_t next = KeysBefore(keys, row);
  std::string lead;
  if (!keys.empty()) lead = CutLine(draft.LineText(StatementLine(draft, keys[next > 0 ? next - 1 : next]))).Lead;
  return LayOutLine(lead, words, draft.KeyColumns());
}

int AttachedStart(const EditDraft& draft, int line) {
  int start = line;
  while (start > 1) {
    const std::string& above = draft.LineText(start - 1);
    if (IsBlankLine(above) || !SplitLineWords(above).empty()) break;  // not a comment alone
    --start;
  }
  return start == 1 ? line : start;
}

void PlaceKeyLine(EditDraft& draft, int channel, int row, const std::string& text) {
  const Timeline& read = draft.Read();
  const std::vector<Key>& keys = read.Channels[channel];
  const auto next = keys.begin() + ptrdiff_t(KeysBefore(keys, row));
  if (next != keys.end() && next->Row == row) throw EditRefused(Where(draft, channel, row) + " has a key already");
  for (size_t r = 0; r < read.Repeats.size(); ++r) {
    const RowSpan span = draft.Now().SpanOfRepeat(int(r));
    if (read.Repeats[r].Channel == channel && span.Keys > 0 && span.First <= row && row <= span.Last)
      throw EditRefused(Where(draft, channel, row) + " lies inside the repeat at line " +
                        std::to_string(read.Repeats[r].Line) + ", whose keys run from " +
                        FormatPosition(span.First, draft.Layout()) + " to " + FormatPosition(span.Last, draft.Layout()) +
                        ": a key of its own there cannot keep the channel's keys in order; change the repeat's "
                        "pattern, or unroll it first");
  }
  if (next != keys.begin()) {
    const Key& previous = next[-1];
    draft.Insert((previous.Repeat < 0 ? previous.Line : read.Repeats[previous.Repeat].EndLine) + 1, {text});
    return;
  }
  if (next != keys.end()) {
    draft.Insert(StatementLine(draft, *next), {text});
    return;
  }
  for (const ChannelSection& section : read.Sections)
    if (section.Channel == channel) {
      draft.Insert(section.Line + 1, {text});
      return;
    }
  // A new section, before the first of a later channel, else at the end,
  // set apart by blank lines.
  int at = draft.LineCount() + 1;
  for (const ChannelSection& section : read.Sections)
    if (section.Channel > channel) {
      at = AttachedStart(draft, section.Line);
      break;
    }
  const char* keyword = draft.Layout().Tracks ? "track " : "channel ";
  std::vector<std::string> lines = {keyword + ChannelName(channel, draft.Layout()), text};
  if (at > 1 && !IsBlankLine(draft.LineText(at - 1))) lines.insert(lines.begin(), "");
  if (at <= draft.LineCount() && !IsBlankLine(draft.LineText(at))) lines.push_back("");
  draft.Insert(at, lines);
}

void ExpectKey(std::vector<Key>& keys, int row, float value, Shape shape) {
  const auto at = keys.begin() + ptrdiff_t(KeysBefore(keys, row));
  if (at != keys.end() && at->Row == row) {
    at->Value = value;
    at->Curve = shape;
  } else {
    keys.insert(at, Key{row, value, shape, 0});
  }
}
