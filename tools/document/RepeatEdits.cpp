// A repeat unrolled: its block becomes the plain key lines it makes, each
// pattern line written once a repetition at its row, with the same words.
// The block's comments stay, once.
#include <map>

#include "Edits.h"
#include "LineWords.h"

std::string UnrollEdit(EditDraft& draft, int repeat) {
  const Timeline& read = draft.Read();
  if (repeat < 0 || repeat >= static_cast<int>(read.Repeats.size()))
    throw EditRefused("there is no repeat " + std::to_string(repeat));
  const RepeatBlock block = read.Repeats[repeat];
  std::map<std::pair<int, int>, int> rowOf;  // (repetition, pattern line) -> row
  for (const Key& key : read.Channels[block.Channel])
    if (key.Repeat == repeat) rowOf[{key.Repetition, key.Line}] = key.Row;

  const LineParts header = CutLine(draft.LineText(block.Line));
  std::vector<std::string> lines;
  if (!header.Tail.empty()) lines.push_back(header.Lead + header.Tail);
  for (int i = 0; i < block.Count; ++i)
    for (int line = block.Line + 1; line < block.EndLine; ++line) {
      LineParts parts = CutLine(draft.LineText(line));
      if (parts.Words.empty()) {
        if (i == 0) lines.push_back(draft.LineText(line));
        continue;
      }
      parts.Lead = header.Lead;
      if (i > 0) DropComment(parts);
      lines.push_back(RewriteKeyLine(draft, JoinLine(parts), rowOf.at({i, line}), std::nullopt, std::nullopt));
    }
  const LineParts end = CutLine(draft.LineText(block.EndLine));
  if (!end.Tail.empty()) lines.push_back(end.Lead + end.Tail);

  const Expectation expected = draft.Expect();
  draft.Erase(block.Line, block.EndLine - block.Line + 1);
  draft.Insert(block.Line, lines);
  draft.Check(expected);
  return "unrolled the repeat at line " + std::to_string(block.Line) + " into " + std::to_string(rowOf.size()) +
         " keys";
}
