#include "EditDraft.h"

#include <algorithm>

namespace {
bool SameKeys(const std::vector<Key>& a, const std::vector<Key>& b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k)
    if (a[k].Row != b[k].Row || a[k].Curve != b[k].Curve || !SameValue(a[k].Value, b[k].Value)) return false;
  return true;
}

std::vector<std::pair<int, std::string>> Sorted(const std::vector<Mark>& marks) {
  std::vector<std::pair<int, std::string>> sorted;
  for (const Mark& mark : marks) sorted.emplace_back(mark.Row, mark.Name);
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}
}  // namespace

void EditDraft::Apply(LineSplice splice) {
  ApplySplice(Doc.Lines, splice);
  Pending.push_back(std::move(splice));
}

void EditDraft::Replace(int line, const std::string& text) {
  const TextLine& old = Doc.Lines[line - 1];
  if (old.Text == text) return;
  Apply(LineSplice{size_t(line - 1), {old}, {TextLine{text, old.Break}}});
}

void EditDraft::Insert(int line, const std::vector<std::string>& texts) {
  if (texts.empty()) return;
  const std::string lineBreak = LineBreakOf(Doc.Lines);
  LineSplice splice{size_t(line - 1), {}, {}};
  for (const std::string& text : texts) splice.To.push_back(TextLine{text, lineBreak});
  // At the end of a text whose last line has no break, the old last line
  // takes one and the new last line goes without.
  if (splice.At == Doc.Lines.size() && splice.At > 0 && Doc.Lines.back().Break.empty()) {
    --splice.At;
    splice.From.push_back(Doc.Lines.back());
    splice.To.insert(splice.To.begin(), TextLine{Doc.Lines.back().Text, lineBreak});
    splice.To.back().Break.clear();
  }
  Apply(std::move(splice));
}

void EditDraft::Erase(int line, int count) {
  if (count <= 0) return;
  LineSplice splice{size_t(line - 1), {}, {}};
  splice.From.assign(Doc.Lines.begin() + (line - 1), Doc.Lines.begin() + (line - 1 + count));
  // Erasing the last lines of a text without a break at its end: the new
  // last line goes without one.
  if (splice.At + count == Doc.Lines.size() && splice.At > 0 && Doc.Lines.back().Break.empty()) {
    --splice.At;
    splice.From.insert(splice.From.begin(), Doc.Lines[splice.At]);
    // An empty last line without a break is no line, as the reader splits
    // a text: the text is the same without it.
    if (!Doc.Lines[splice.At].Text.empty()) splice.To.push_back(TextLine{Doc.Lines[splice.At].Text, ""});
  }
  Apply(std::move(splice));
}

void EditDraft::Splice(size_t at, size_t count, std::vector<TextLine> lines) {
  LineSplice splice{at, {}, std::move(lines)};
  splice.From.assign(Doc.Lines.begin() + ptrdiff_t(at), Doc.Lines.begin() + ptrdiff_t(at + count));
  Apply(std::move(splice));
}

const WordColumns& EditDraft::KeyColumns() {
  if (!Keyed) {
    std::vector<int> lines;
    for (const std::vector<Key>& keys : Doc.Reading.Channels)
      for (const Key& key : keys) lines.push_back(key.Line);
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    std::vector<std::string> texts;
    for (int line : lines) texts.push_back(Doc.LineText(line));
    Keyed = CommonColumns(texts, 3);
  }
  return *Keyed;
}

const WordColumns& EditDraft::MarkColumns() {
  if (!Marked) {
    std::vector<std::string> texts;
    for (const Mark& mark : Doc.Reading.Marks) texts.push_back(Doc.LineText(mark.Line));
    Marked = CommonColumns(texts, 3);
  }
  return *Marked;
}

Expectation EditDraft::Expect() const { return Expectation{Doc.Reading.Channels, Doc.Reading.Marks}; }

void EditDraft::EndStep() {
  if (Pending.empty()) return;
  Steps.push_back(std::make_unique<SpliceCommand>(std::move(Pending)));
  Pending.clear();
  Keyed.reset();
  Marked.reset();
  Doc.Reread();
}

void EditDraft::Check(const Expectation& expected) {
  EndStep();
  if (Doc.Fault) throw EditRefused(std::string("the timeline cannot say that: ") + Doc.Fault->what());
  bool same = expected.Channels.size() == Doc.Reading.Channels.size() &&
              Sorted(expected.Marks) == Sorted(Doc.Reading.Marks);
  for (size_t c = 0; same && c < expected.Channels.size(); ++c)
    same = SameKeys(expected.Channels[c], Doc.Reading.Channels[c]);
  if (!same) throw EditRefused("the timeline cannot say that: its text would read otherwise");
}

std::unique_ptr<Command> EditDraft::Finish() {
  EndStep();
  if (Steps.empty()) return nullptr;
  if (Steps.size() == 1) return std::move(Steps[0]);
  return std::make_unique<CompoundCommand>(std::move(Steps));
}

void EditDraft::TakeBack() {
  for (auto splice = Pending.rbegin(); splice != Pending.rend(); ++splice) RevertSplice(Doc.Lines, *splice);
  Pending.clear();
  for (auto step = Steps.rbegin(); step != Steps.rend(); ++step) (*step)->Undo(Doc.Lines);
  Steps.clear();
  Doc.Reread();
}

void RequireChannel(const EditDraft& draft, int channel) {
  if (channel < 0 || channel >= draft.Layout().Channels())
    throw EditRefused(std::string(draft.Layout().Tracks ? "there is no track " : "there is no channel ") +
                      std::to_string(channel));
}

void RequireRow(const EditDraft& draft, int row) {
  if (row < 0 || row >= draft.Layout().Rows)
    throw EditRefused("row " + std::to_string(row) + " is outside the track's rows 0 to " +
                      std::to_string(draft.Layout().Rows - 1));
}

std::string Where(const EditDraft& draft, int channel, int row) {
  return ChannelName(channel, draft.Layout()) + " at " + FormatPosition(row, draft.Layout());
}
