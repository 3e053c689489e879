#include "TextLines.h"

std::vector<TextLine> SplitTextLines(const std::string& text) {
  std::vector<TextLine> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(TextLine{text.substr(start), ""});
      break;
    }
    const bool crlf = end > start && text[end - 1] == '\r';
    lines.push_back(TextLine{text.substr(start, end - start - crlf), crlf ? "\r\n" : "\n"});
    start = end + 1;
  }
  return lines;
}

std::string JoinTextLines(const std::vector<TextLine>& lines) {
  std::string text;
  for (const TextLine& line : lines) text += line.Text + line.Break;
  return text;
}

std::string LineBreakOf(const std::vector<TextLine>& lines) {
  return lines.empty() || lines[0].Break.empty() ? "\n" : lines[0].Break;
}

namespace {
void Swap(std::vector<TextLine>& lines, size_t at, const std::vector<TextLine>& out, const std::vector<TextLine>& in) {
  lines.erase(lines.begin() + static_cast<ptrdiff_t>(at), lines.begin() + static_cast<ptrdiff_t>(at + out.size()));
  lines.insert(lines.begin() + static_cast<ptrdiff_t>(at), in.begin(), in.end());
}
}  // namespace

void ApplySplice(std::vector<TextLine>& lines, const LineSplice& splice) { Swap(lines, splice.At, splice.From, splice.To); }

void RevertSplice(std::vector<TextLine>& lines, const LineSplice& splice) {
  Swap(lines, splice.At, splice.To, splice.From);
}
