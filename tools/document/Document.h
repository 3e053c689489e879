// A timeline being edited: its text, kept line for line as written (breaks,
// tabs, spacing and comments), what the text reads as, the edits a sync
// editor makes to it, and their undo history. It knows nothing of any
// screen: views ask it for keys, values, marks and repeats, and show the
// status text or the reason each edit comes back with.
//
// Every edit changes only the lines it must, and the text after it reads as
// exactly the keys and marks the edit asks for; an edit the text cannot say
// is refused with its reason and changes nothing. While the text does not
// read (it was loaded so, or edited so as text), only text edits, undo and
// redo are taken; the keys are empty and Error() says what is wrong.
//
// A project (a timeline of "track" sections, for another demo) is edited
// the same way, its tracks standing for channels, numbered as its layout
// (Layout()) names them: the tracks it has had, in the order it first had
// them, then any new ones in the text's order. A track a demo asks for is
// added (AddTrack) without changing the text; its "track" section is
// written with its first key. The layout's grid and length are the text's
// ("tempo", "length").
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Clip.h"
#include "Commands.h"
#include "TextLines.h"
#include "Timeline.h"

enum class EditOutcome {
  Done,       // made, and put on the undo history
  Unchanged,  // the text already says it: nothing made
  Refused,    // not made: Message says why
};

struct EditResult {
  EditOutcome Outcome = EditOutcome::Unchanged;
  // For a made edit, what the view should say about it beyond the change
  // itself (such as an edit of a repeat's pattern, which every repetition
  // follows), or ""; for a refused one, why.
  std::string Message;
  bool Done() const { return Outcome == EditOutcome::Done; }
};

// The rows a repeat's keys span, first to last, and how many keys it makes
// (a repeat without keys: its start row, for both).
struct RowSpan {
  int First, Last;
  int Keys;
};

class EditDraft;

class TimelineDocument {
 public:
  explicit TimelineDocument(const std::string& text = "", TrackLayout layout = SongLayout());

  // Takes a new text (a reload); the undo history starts again. A project
  // keeps its tracks' numbers where the new text still has them.
  void Load(const std::string& text);
  std::string Text() const { return JoinTextLines(Lines); }
  const TrackLayout& Layout() const { return TrackShape; }
  int LineCount() const { return static_cast<int>(Lines.size()); }
  // Line n (from 1, as the reader counts) without its break.
  const std::string& LineText(int line) const { return Lines[line - 1].Text; }

  // Why the text does not read, with the line at fault; empty when it reads.
  const std::optional<TimelineError>& Error() const { return Fault; }
  bool Reads() const { return !Fault; }

  // What the text reads as. A channel's keys are in row order, each with
  // its origin: its own line, or the repeat and repetition it comes from.
  const Timeline& Read() const { return Reading; }
  const std::vector<Key>& Keys(int channel) const { return Reading.Channels[channel]; }
  // The channel's key at that row, or nullptr.
  const Key* KeyAt(int channel, int row) const;
  // The channel's value at a row, as the compiled track has it.
  float ValueAt(int channel, int row) const;

  // Whether the document is a project: its channels are named tracks.
  bool IsProject() const { return TrackShape.Tracks; }
  // A project's track number by its name; -1 where it has no such track.
  int TrackIndex(const std::string& name) const;
  // Makes the project's track of that name known (a demo asked for it)
  // without changing the text: numbered after the others, it stays while
  // the document lives, and its section is written with its first key.
  // Its number; -1 with the reason where the document is not a project or
  // the name cannot be written in a timeline.
  int AddTrack(const std::string& name, std::string* reason = nullptr);
  // The music file the text names; "" for the demo's own.
  const std::string& Music() const { return Reading.Music; }
  const std::vector<Mark>& Marks() const { return Reading.Marks; }
  const std::vector<RepeatBlock>& Repeats() const { return Reading.Repeats; }
  RowSpan SpanOfRepeat(int repeat) const { return Spans[repeat]; }
  // The track: every channel sampled at every row of the layout.
  std::vector<std::vector<float>> Track() const;
  // The keys of a block, for Paste.
  Clip Copy(const KeyBlock& block) const;

  // Edits. Rows and channels outside the layout are refused.
  //
  // A key at the row takes the value and the shape given, keeping what is
  // not given; a new key (a value must be given) holds unless told
  // otherwise. NaN sets an "off" key.
  EditResult SetKey(int channel, int row, std::optional<float> value, std::optional<Shape> shape = std::nullopt);
  EditResult DeleteKeys(const KeyBlock& block);
  // The key's shape steps to the next: hold, linear, smooth, ramp, hold.
  EditResult CycleShape(int channel, int row);
  // The block's keys move by rows (either way); a key may not land on a key
  // that stays.
  EditResult MoveKeys(const KeyBlock& block, int rows);
  // The values of the block's keys (not "off" ones) plus or times a number.
  EditResult AddToValues(const KeyBlock& block, float amount);
  EditResult MultiplyValues(const KeyBlock& block, float factor);
  // The clip's block at that channel and row: the keys there are replaced
  // by the clip's.
  EditResult Paste(const Clip& clip, int channel, int row);
  // Rows inserted at a row in every channel: keys, repeats and marks from
  // that row on move later. Deleting rows takes the keys in them away and
  // moves what follows earlier; a mark in them moves to the row.
  EditResult InsertRows(int row, int count);
  EditResult DeleteRows(int row, int count);
  // A mark at the row takes the name; else a new mark is made.
  EditResult SetMark(int row, const std::string& name);
  // The mark at the row takes the name; refused where there is none.
  EditResult RenameMark(int row, const std::string& name);
  EditResult ClearMark(int row);
  // The repeat becomes the plain keys it makes, with the same values.
  EditResult UnrollRepeat(int repeat);
  // The whole text replaced, as a text editor changes it: taken whether it
  // reads or not; the message is the reader's error where it does not.
  EditResult EditText(const std::string& text);

  bool CanUndo() const { return History.CanUndo(); }
  bool CanRedo() const { return History.CanRedo(); }
  // The result's message is the undone or redone edit's status.
  EditResult Undo();
  EditResult Redo();

  // Whether the text differs from the one last loaded or marked as saved
  // (by edits: undoing back to it makes it unmodified again).
  bool Modified() const { return History.State() != SavedState; }
  void MarkSaved() { SavedState = History.State(); }

 private:
  friend class EditDraft;
  void Reread();
  // The layout a text is read against: the given one, or for a project its
  // tracks as numbered so far.
  TrackLayout ReadingLayout(bool project) const;
  EditResult Run(const std::function<std::string(EditDraft&)>& edit, bool needsReading = true);

  TrackLayout TrackShape;
  TrackLayout Given;                 // as constructed
  std::vector<std::string> Asked;    // tracks added by AddTrack, kept without sections
  std::vector<TextLine> Lines;
  Timeline Reading;
  std::vector<RowSpan> Spans;
  std::optional<TimelineError> Fault;
  UndoHistory History;
  uint64_t SavedState = 0;
};
