// What the editor's keys do to the document and the view state: the cursor
// and the selection, the number typed at the cursor, and every edit of the
// keys, marks, repeats and time, each one command of the document with its
// status or refusal in the status line. What only the program can do
// (playing, saving, quitting, the preview) comes back to it undone.
#pragma once
#include <string>

#include "Bindings.h"
#include "Document.h"
#include "EditorState.h"

struct TApplied {
  bool Changed = false;                // the document's text changed (an edit, undo or redo)
  bool Moved = false;                  // the cursor or the selection moved
  TAction ForProgram = TAction::None;  // an action the program carries out itself
};

class TEditing {
 public:
  TEditing(TimelineDocument& document, TEditorState& state) : Doc(document), State(state) {}

  // A key pressed with its modifiers.
  TApplied Key(TKey key, bool ctrl, bool shift, bool alt) { return Apply(ActionForKey(key, ctrl, shift, alt)); }
  TApplied Apply(TAction action);
  // Typed text: digits, "." and "-" gather into the number at the cursor;
  // anything else is passed over.
  void Type(const std::string& text);

  // Edits the views ask for directly (a drag in the curves): each one
  // command, said in the status line.
  TApplied SetKey(int channel, int row, std::optional<float> value, std::optional<Shape> shape = std::nullopt);
  TApplied MoveKeys(const KeyBlock& block, int rows);
  TApplied AddToValues(const KeyBlock& block, float amount);
  TApplied Undo();
  TApplied Redo();
  // The cursor to a row and channel, the selection cleared or grown.
  void MoveCursor(int row, int channel, bool select);
  // The repeat of the cursor's channel whose keys span the cursor's row, or -1.
  int RepeatAtCursor() const;

 private:
  TApplied Edit(const EditResult& result, const std::string& what);
  TApplied EditAndFollow(const EditResult& result, const std::string& what, int rows);
  // An undo (back) or a redo.
  TApplied Walk(bool back);
  TApplied EnterValue();
  TApplied JumpToMark(int direction);
  std::string Where(int channel, int row) const;
  std::string BlockName(const KeyBlock& block) const;

  TimelineDocument& Doc;
  TEditorState& State;
};
