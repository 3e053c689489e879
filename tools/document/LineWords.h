// One statement line of a timeline taken apart into its words and what lies
// around them, so that a word can be changed, added or taken away while the
// rest of the line (its indent, the columns of the words after it, its
// comment) stays as written; and new lines laid out in the columns the
// document's other lines of their kind use.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

struct LineParts {
  std::string Lead;                // white space before the first word
  std::vector<std::string> Words;  // as the reader splits them (Timeline.h)
  std::vector<std::string> Gaps;   // after each word: up to the next, the comment or the line's end
  std::string Tail;                // the comment from its "#", or ""
};

LineParts CutLine(const std::string& line);
std::string JoinLine(const LineParts& parts);
// Whether the line is white space only: no words and no comment.
bool IsBlankLine(const std::string& line);

// Word k becomes text. What follows keeps its column where the space after
// the word allows; a gap of one space, where a long word may have pushed
// the next, goes to the next word's column (from the first word; 0: stays
// one space). A gap with a tab is left as it is: tabs keep their columns.
void SetWord(LineParts& parts, size_t k, const std::string& text, size_t nextColumn = 0);
// The line with word k replaced as SetWord does.
std::string WithWord(const std::string& line, size_t k, const std::string& text, size_t nextColumn = 0);
// Words k onwards become the one text (which may hold spaces), the comment
// kept in its column where it fits.
void SetWordsFrom(LineParts& parts, size_t k, const std::string& text);
// A new last word, starting at column offset from the first word (0: one
// space after the last word), the comment kept in its column where it fits.
void AppendWord(LineParts& parts, const std::string& text, size_t offset);
// Takes the last word away, the comment keeping its column.
void RemoveLastWord(LineParts& parts);
// The comment and the space before it taken away.
void DropComment(LineParts& parts);

// The columns the words of a kind of line start at, counted from the first
// word; 0 where the word follows the one before it after one space.
using WordColumns = std::vector<size_t>;
// The most common column of each word over the lines (ties: the smaller),
// counting only words set apart by more than one space.
WordColumns CommonColumns(const std::vector<std::string>& lines, size_t words);
// A new line of the words in those columns, pushed one space past a word
// that reaches a column.
std::string LayOutLine(const std::string& lead, const std::vector<std::string>& words, const WordColumns& columns);
