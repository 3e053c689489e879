// Marks: named rows, one line each, kept in row order among the others.
#include <algorithm>

#include "Edits.h"
#include "LineWords.h"

namespace {
// The name as the reader will read it back: without white space at its
// ends, on one line, before any comment.
std::string CheckedName(const std::string& name) {
  size_t comment = 0;
  const std::vector<LineWord> words = SplitLineWords(name, &comment);
  if (comment < name.size()) throw EditRefused("a mark's name cannot hold '#', which starts a comment");
  if (words.empty()) throw EditRefused("a mark needs a name");
  const std::string read = name.substr(words.front().Begin, words.back().End - words.front().Begin);
  for (char c : read)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f)
      throw EditRefused("a mark's name is one line of printable text");
  return read;
}

const Mark* MarkAt(const EditDraft& draft, int row) {
  for (const Mark& mark : draft.Read().Marks)
    if (mark.Row == row) return &mark;
  return nullptr;
}

// Where a new mark's line goes: after the mark before it, else before the
// mark after it, else before the first statement with the comments on it.
int NewMarkLine(const EditDraft& draft, int row, std::vector<std::string>& lines) {
  const std::vector<Mark>& marks = draft.Read().Marks;
  const Mark* before = nullptr;
  const Mark* after = nullptr;
  for (const Mark& mark : marks) {
    if (mark.Row <= row && (before == nullptr || mark.Row >= before->Row)) before = &mark;
    if (mark.Row > row && (after == nullptr || mark.Row < after->Row)) after = &mark;
  }
  if (before != nullptr) return before->Line + 1;
  if (after != nullptr) return after->Line;
  for (int line = 1; line <= draft.LineCount(); ++line)
    if (!SplitLineWords(draft.LineText(line)).empty()) {
      lines.push_back("");
      return AttachedStart(draft, line);
    }
  if (draft.LineCount() > 0 && !IsBlankLine(draft.LineText(draft.LineCount()))) lines.insert(lines.begin(), "");
  return draft.LineCount() + 1;
}
}  // namespace

std::string SetMarkEdit(EditDraft& draft, int row, const std::string& name, bool mustExist) {
  const std::string checked = CheckedName(name);
  RequireRow(draft, row);
  Expectation expected = draft.Expect();
  if (const Mark* mark = MarkAt(draft, row)) {
    if (mark->Name == checked) return "";
    for (Mark& m : expected.Marks)
      if (m.Line == mark->Line) m.Name = checked;
    LineParts parts = CutLine(draft.LineText(mark->Line));
    SetWordsFrom(parts, 2, checked);
    draft.Replace(mark->Line, JoinLine(parts));
    draft.Check(expected);
    return "";
  }
  if (mustExist) throw EditRefused("there is no mark at " + FormatPosition(row, draft.Layout()));
  expected.Marks.push_back(Mark{row, checked, 0});
  const std::vector<Mark>& marks = draft.Read().Marks;
  std::vector<std::string> lines = {LayOutLine(marks.empty() ? "" : CutLine(draft.LineText(marks[0].Line)).Lead,
                                               {"mark", FormatPosition(row, draft.Layout()), checked},
                                               draft.MarkColumns())};
  const int at = NewMarkLine(draft, row, lines);
  draft.Insert(at, lines);
  draft.Check(expected);
  return "";
}

std::string ClearMarkEdit(EditDraft& draft, int row) {
  RequireRow(draft, row);
  const Mark* mark = MarkAt(draft, row);
  if (mark == nullptr) throw EditRefused("there is no mark at " + FormatPosition(row, draft.Layout()));
  Expectation expected = draft.Expect();
  const int line = mark->Line;
  std::erase_if(expected.Marks, [&](const Mark& m) { return m.Line == line; });
  draft.Erase(line);
  draft.Check(expected);
  return "";
}
