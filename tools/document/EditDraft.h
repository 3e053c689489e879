// The document while an edit is being made, for the edits' own code: the
// lines change in place and every change is recorded for undo; a step ends
// with a check that the text reads as exactly the keys and marks the step
// means, so that the next step works on what the text now says. A refusal
// (EditRefused) anywhere takes every step back.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Commands.h"
#include "Document.h"
#include "LineWords.h"

class EditRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the text should read as after a step.
struct Expectation {
  std::vector<std::vector<Key>> Channels;
  std::vector<Mark> Marks;
};

class EditDraft {
 public:
  explicit EditDraft(TimelineDocument& document) : Doc(document) {}

  // The document as the last step left it: its reading, lines and layout.
  const TimelineDocument& Now() const { return Doc; }
  const Timeline& Read() const { return Doc.Reading; }
  const TrackLayout& Layout() const { return Doc.TrackShape; }
  int LineCount() const { return Doc.LineCount(); }
  const std::string& LineText(int line) const { return Doc.LineText(line); }

  // Lines from 1. Inserted lines go before the line (LineCount() + 1: at the
  // end) and take the text's line break; a text without a break at its end
  // keeps it so.
  void Replace(int line, const std::string& text);
  void Insert(int line, const std::vector<std::string>& texts);
  void Erase(int line, int count = 1);
  // Lines from 0: count lines at `at` become these, breaks and all.
  void Splice(size_t at, size_t count, std::vector<TextLine> lines);

  // The columns the words of the text's key lines (position, value, shape)
  // and mark lines ("mark", position, name) most often start at.
  const WordColumns& KeyColumns();
  const WordColumns& MarkColumns();

  // The keys and marks as the text reads now, for a step to change into
  // what it expects.
  Expectation Expect() const;
  // Ends a step: the text must read, as exactly what is expected (keys by
  // row, value and shape; marks by row and name); else EditRefused.
  void Check(const Expectation& expected);

  // The steps made as one command (nullptr for none), the document read anew.
  std::unique_ptr<Command> Finish();
  // Every step taken back, the document read anew.
  void TakeBack();

 private:
  void Apply(LineSplice splice);
  void EndStep();

  TimelineDocument& Doc;
  std::vector<LineSplice> Pending;
  std::vector<std::unique_ptr<Command>> Steps;
  std::optional<WordColumns> Keyed, Marked;  // as the step began
};

// Refusal helpers shared by the edits.
void RequireChannel(const EditDraft& draft, int channel);
void RequireRow(const EditDraft& draft, int row);
// "flash at 9:2" for messages.
std::string Where(const EditDraft& draft, int channel, int row);
