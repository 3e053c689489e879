// The editor's keys: one table from a key with its modifiers to what it
// does, which the key handling, the menus' shortcut labels and the help
// all read. Numbers are typed as text (digits, ".", "-") rather than bound.
#pragma once
#include <string>

#include "platform/GuiHost.h"

enum class TAction {
  None,
  // The cursor; with Select, the selection grows with it (the two runs in
  // the same order).
  Up, Down, Left, Right, PageUp, PageDown, Home, End,
  SelectUp, SelectDown, SelectLeft, SelectRight, SelectPageUp, SelectPageDown, SelectHome, SelectEnd,
  // Keys at the cursor or in the selection.
  Enter, Off, CycleShape, Delete, Backspace, Escape,
  Copy, Cut, Paste,
  MoveRowUp, MoveRowDown, MoveBeatUp, MoveBeatDown,
  AddCoarse, SubtractCoarse, AddFine, SubtractFine, Scale,
  // Time across every channel, marks and repeats.
  InsertBeat, DeleteBeat, ToggleMark, PreviousMark, NextMark, Unroll,
  Undo, Redo,
  // Playing, the view and the file: the program's own. SaveTracks asks the
  // connected demos to save their tracks (the Rocket library's player files).
  PlayPause, PlayLoop, LoopSelection, ZoomIn, ZoomOut, TogglePreview, EditText, Save, SaveTracks, Quit,
};

struct TBinding {
  TKey Key;
  bool Ctrl, Shift, Alt;
  TAction Action;
};

// The action of a key pressed with those modifiers; None for an unbound one.
TAction ActionForKey(TKey key, bool ctrl, bool shift, bool alt);
// The first key bound to the action as the menus show it ("Ctrl+Shift+I"),
// or "" for none.
std::string ShortcutOf(TAction action);
// Every binding, for the help.
const TBinding* BindingsBegin();
const TBinding* BindingsEnd();
// A key's name as the script language and the shortcuts write it ("PageUp",
// "A", "5", "F2"), and back; TKey::None for no key's name.
const char* KeyName(TKey key);
TKey KeyNamed(const std::string& name);
