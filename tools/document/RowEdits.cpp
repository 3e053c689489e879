// Rows inserted into or deleted from every channel at once: the keys, the
// repeats' starts and the marks after them move, a step a channel and one
// for the marks; a repeat the rows would cut through is refused (unrolled,
// it could move).
#include <algorithm>
#include <map>

#include "Edits.h"
#include "LineWords.h"

namespace {
// Where the rows go: count > 0 inserts count rows at Row, count < 0 deletes
// -count rows from it (at most to the track's end).
struct RowShift {
  int Row, Count, Cut;
  // Where a row goes; nullopt for a deleted row.
  std::optional<int> Of(int r) const {
    if (r < Row) return r;
    if (Count > 0) return r + Count;
    if (r < Row + Cut) return std::nullopt;
    return r - Cut;
  }
};

EditRefused PastEnd(int line) {
  return EditRefused("the inserted rows would push line " + std::to_string(line) + " past the track's end");
}

// The channel's key lines and repeats moved; its keys as expected after.
void ShiftChannel(EditDraft& draft, int channel, const RowShift& shift) {
  const TrackLayout& layout = draft.Layout();
  const Timeline& read = draft.Read();
  Expectation expected = draft.Expect();
  std::map<int, std::string> rewritten;
  std::vector<int> erased;
  std::map<int, int> repeatShift;
  for (size_t r = 0; r < read.Repeats.size(); ++r) {
    const RepeatBlock& block = read.Repeats[r];
    const RowSpan span = draft.Now().SpanOfRepeat(int(r));
    if (block.Channel != channel || (span.Keys > 0 && span.Last < shift.Row)) continue;
    int from = block.From;
    if (span.Keys == 0) {
      from = shift.Of(block.From).value_or(shift.Row);
    } else if (span.First >= shift.Row + shift.Cut) {
      from = block.From + (shift.Count > 0 ? shift.Count : -shift.Cut);
      if (from < 0)
        throw EditRefused("the repeat at line " + std::to_string(block.Line) + " starts before the deleted rows");
      if (span.Last + shift.Count >= layout.Rows) throw PastEnd(block.Line);
    } else {
      throw EditRefused(std::string("the ") + (shift.Count > 0 ? "inserted" : "deleted") +
                        " rows would cut through the repeat at line " + std::to_string(block.Line) +
                        ", whose keys run from " + FormatPosition(span.First, layout) + " to " +
                        FormatPosition(span.Last, layout) + ": unroll it first");
    }
    repeatShift[int(r)] = from - block.From;
    if (from != block.From)
      rewritten[block.Line] = WithWord(draft.LineText(block.Line), 5, FormatPosition(from, layout));
  }
  std::vector<Key>& keys = expected.Channels[channel];
  for (Key& key : keys) {
    if (key.Repeat >= 0) {
      key.Row += repeatShift[key.Repeat];
      continue;
    }
    const std::optional<int> to = shift.Of(key.Row);
    if (!to) {
      erased.push_back(key.Line);
    } else if (*to != key.Row) {
      if (*to >= layout.Rows) throw PastEnd(key.Line);
      rewritten[key.Line] =
          WithWord(draft.LineText(key.Line), 0, FormatPosition(*to, layout), draft.KeyColumns()[1]);
    }
    key.Row = to.value_or(-1);
  }
  std::erase_if(keys, [](const Key& k) { return k.Row < 0; });
  for (const auto& [line, text] : rewritten) draft.Replace(line, text);
  std::sort(erased.rbegin(), erased.rend());
  for (int line : erased) draft.Erase(line);
  draft.Check(expected);
}

void ShiftMarks(EditDraft& draft, const RowShift& shift) {
  Expectation expected = draft.Expect();
  const WordColumns columns = draft.MarkColumns();
  for (Mark& mark : expected.Marks) {
    const int to = shift.Of(mark.Row).value_or(shift.Row);
    if (to == mark.Row) continue;
    if (to >= draft.Layout().Rows) throw PastEnd(mark.Line);
    mark.Row = to;
    draft.Replace(mark.Line, WithWord(draft.LineText(mark.Line), 1, FormatPosition(to, draft.Layout()), columns[2]));
  }
  draft.Check(expected);
}
}  // namespace

std::string ShiftRowsEdit(EditDraft& draft, int row, int count) {
  RequireRow(draft, row);
  if (count == 0) return "";
  const RowShift shift{row, count, count < 0 ? std::min(-count, draft.Layout().Rows - row) : 0};
  for (int channel = 0; channel < draft.Layout().Channels(); ++channel) ShiftChannel(draft, channel, shift);
  ShiftMarks(draft, shift);
  return "";
}
