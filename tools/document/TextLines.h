// A text as its lines, each with the break that ended it, so that the lines
// joined give the text back byte for byte; and the splices that change a
// run of lines and can be taken back.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

struct TextLine {
  std::string Text;   // without its break
  std::string Break;  // "\n", "\r\n", or "" for a last line with none
  bool operator==(const TextLine&) const = default;
};

// The lines of a text, split where the timeline's reader splits them (at
// "\n"), so that line N here is its line N.
std::vector<TextLine> SplitTextLines(const std::string& text);
std::string JoinTextLines(const std::vector<TextLine>& lines);
// The break a new line takes: the first line's, or "\n" for a text without one.
std::string LineBreakOf(const std::vector<TextLine>& lines);

// The lines At .. At + From.size() - 1 (from 0), which were From, become To.
struct LineSplice {
  size_t At = 0;
  std::vector<TextLine> From, To;
};
void ApplySplice(std::vector<TextLine>& lines, const LineSplice& splice);
void RevertSplice(std::vector<TextLine>& lines, const LineSplice& splice);
