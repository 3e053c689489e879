#include "LineWords.h"

#include <algorithm>
#include <map>

#include "Timeline.h"

namespace {
size_t Column(const LineParts& parts, size_t word) {
  size_t column = parts.Lead.size();
  for (size_t k = 0; k < word; ++k) column += parts.Words[k].size() + parts.Gaps[k].size();
  return column;
}

// Spaces to reach column from `from`, at least `least`.
std::string Pad(size_t from, size_t column, size_t least) {
  return std::string(std::max(least, column > from ? column - from : 0), ' ');
}
}  // namespace

LineParts CutLine(const std::string& line) {
  size_t comment = 0;
  const std::vector<LineWord> words = SplitLineWords(line, &comment);
  LineParts parts;
  parts.Tail = line.substr(comment);
  parts.Lead = line.substr(0, words.empty() ? comment : words[0].Begin);
  for (size_t k = 0; k < words.size(); ++k) {
    parts.Words.push_back(words[k].Text);
    const size_t next = k + 1 < words.size() ? words[k + 1].Begin : comment;
    parts.Gaps.push_back(line.substr(words[k].End, next - words[k].End));
  }
  return parts;
}

bool IsBlankLine(const std::string& line) {
  size_t comment = 0;
  return SplitLineWords(line, &comment).empty() && comment == line.size();
}

std::string JoinLine(const LineParts& parts) {
  std::string line = parts.Lead;
  for (size_t k = 0; k < parts.Words.size(); ++k) line += parts.Words[k] + parts.Gaps[k];
  return line + parts.Tail;
}

void SetWord(LineParts& parts, size_t k, const std::string& text, size_t nextColumn) {
  std::string& gap = parts.Gaps[k];
  const bool followed = k + 1 < parts.Words.size() || !parts.Tail.empty();
  const size_t before = parts.Words[k].size(), after = text.size();
  parts.Words[k] = text;
  if (!followed || gap.find('\t') != std::string::npos) return;
  if (after > before && !gap.empty())
    gap.resize(gap.size() - std::min(after - before, gap.size() - 1));
  else if (after < before && gap.size() > 1)
    gap.append(before - after, ' ');
  else if (after < before && gap.size() == 1 && nextColumn > 0 && k + 1 < parts.Words.size())
    gap = Pad(Column(parts, k) + after, parts.Lead.size() + nextColumn, 1);
}

std::string WithWord(const std::string& line, size_t k, const std::string& text, size_t nextColumn) {
  LineParts parts = CutLine(line);
  SetWord(parts, k, text, nextColumn);
  return JoinLine(parts);
}

void SetWordsFrom(LineParts& parts, size_t k, const std::string& text) {
  const size_t comment = Column(parts, parts.Words.size());
  parts.Gaps[k] = parts.Gaps.back();
  parts.Words.resize(k + 1);
  parts.Gaps.resize(k + 1);
  parts.Words[k] = text;
  if (!parts.Tail.empty()) parts.Gaps[k] = Pad(Column(parts, k) + text.size(), comment, 1);
}

void AppendWord(LineParts& parts, const std::string& text, size_t offset) {
  const size_t comment = Column(parts, parts.Words.size());
  const size_t end = Column(parts, parts.Words.size() - 1) + parts.Words.back().size();
  const std::string trailing = parts.Gaps.back();
  parts.Gaps.back() = Pad(end, offset == 0 ? 0 : parts.Lead.size() + offset, 1);
  parts.Words.push_back(text);
  parts.Gaps.push_back(trailing);
  if (!parts.Tail.empty()) parts.Gaps.back() = Pad(end + parts.Gaps[parts.Gaps.size() - 2].size() + text.size(), comment, 1);
}

void RemoveLastWord(LineParts& parts) {
  const size_t last = parts.Words.size() - 1;
  const std::string rest = parts.Tail.empty() ? parts.Gaps[last]
                                              : parts.Gaps[last - 1] + std::string(parts.Words[last].size(), ' ') +
                                                    parts.Gaps[last];
  parts.Words.pop_back();
  parts.Gaps.pop_back();
  parts.Gaps.back() = rest;
}

void DropComment(LineParts& parts) {
  parts.Tail.clear();
  if (parts.Words.empty())
    parts.Lead.clear();
  else
    parts.Gaps.back().clear();
}

WordColumns CommonColumns(const std::vector<std::string>& lines, size_t words) {
  std::vector<std::map<size_t, int>> counts(words);
  for (const std::string& line : lines) {
    const std::vector<LineWord> split = SplitLineWords(line);
    // A word one space after the one before may have been pushed there by
    // it, or the line is not aligned at all: it says nothing of columns.
    for (size_t k = 1; k < words && k < split.size(); ++k)
      if (split[k].Begin - split[k - 1].End > 1) ++counts[k][split[k].Begin - split[0].Begin];
  }
  WordColumns columns(words, 0);
  for (size_t k = 1; k < words; ++k) {
    int most = 0;
    for (const auto& [column, count] : counts[k])
      if (count > most) {
        most = count;
        columns[k] = column;
      }
  }
  return columns;
}

std::string LayOutLine(const std::string& lead, const std::vector<std::string>& words, const WordColumns& columns) {
  std::string line;
  for (size_t k = 0; k < words.size(); ++k) {
    if (k > 0) line += Pad(line.size(), k < columns.size() ? columns[k] : 0, 1);
    line += words[k];
  }
  return lead + line;
}
