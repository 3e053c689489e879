#include "Editing.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// A mark's name: its words, or "mark" for none.
std::string MarkNameOf(const std::string& typed) {
  const std::vector<LineWord> words = SplitLineWords(typed);
  std::string name;
  for (const LineWord& word : words) name += (name.empty() ? "" : " ") + word.Text;
  return name.empty() ? "mark" : name;
}

bool NumberCharacter(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; }
}  // namespace

std::string TEditing::Where(int channel, int row) const {
  return ChannelName(channel, Doc.Layout()) + " " + FormatPosition(row, Doc.Layout());
}

std::string TEditing::BlockName(const KeyBlock& block) const {
  std::string channels = ChannelName(block.FirstChannel, Doc.Layout());
  if (block.LastChannel != block.FirstChannel) channels += " to " + ChannelName(block.LastChannel, Doc.Layout());
  std::string rows = FormatPosition(block.FirstRow, Doc.Layout());
  if (block.LastRow != block.FirstRow) rows += " to " + FormatPosition(block.LastRow, Doc.Layout());
  return channels + " " + rows;
}

TApplied TEditing::Edit(const EditResult& result, const std::string& what) {
  switch (result.Outcome) {
    case EditOutcome::Done:
      State.Say(result.Message.empty() ? what : what + ": " + result.Message);
      return TApplied{.Changed = true};
    case EditOutcome::Unchanged: State.Say(what + ": unchanged, the timeline already says so"); return {};
    case EditOutcome::Refused: State.Say("Refused: " + result.Message, true); return {};
  }
  return {};
}

TApplied TEditing::EditAndFollow(const EditResult& result, const std::string& what, int rows) {
  TApplied applied = Edit(result, what);
  if (!applied.Changed) return applied;
  // The cursor and the selection go with the keys they moved.
  State.Row = State.Axis.ClampRow(State.Row + rows);
  if (State.AnchorRow) State.AnchorRow = State.Axis.ClampRow(*State.AnchorRow + rows);
  applied.Moved = true;
  return applied;
}

void TEditing::MoveCursor(int row, int channel, bool select) {
  if (select && !State.Selecting()) {
    State.AnchorRow = State.Row;
    State.AnchorChannel = State.Channel;
  } else if (!select) {
    State.ClearSelection();
  }
  State.Row = State.Axis.ClampRow(row);
  State.Channel = std::clamp(channel, 0, std::max(0, State.Channels - 1));
  State.Typed.clear();
}

int TEditing::RepeatAtCursor() const {
  if (const ::Key* key = Doc.KeyAt(State.Channel, State.Row); key != nullptr && key->Repeat >= 0) return key->Repeat;
  const std::vector<RepeatBlock>& repeats = Doc.Repeats();
  for (int r = 0; r < static_cast<int>(repeats.size()); ++r) {
    const RowSpan span = Doc.SpanOfRepeat(r);
    if (repeats[r].Channel == State.Channel && span.First <= State.Row && State.Row <= span.Last) return r;
  }
  return -1;
}

void TEditing::Type(const std::string& text) {
  for (char c : text)
    if (NumberCharacter(c) && State.Typed.size() < 32) State.Typed += c;
}

TApplied TEditing::SetKey(int channel, int row, std::optional<float> value, std::optional<Shape> shape) {
  std::string what = "Key " + Where(channel, row);
  if (value) what += " = " + FormatValue(*value);
  if (shape) what += std::string(" ") + ShapeNames[static_cast<int>(*shape)];
  return Edit(Doc.SetKey(channel, row, value, shape), what);
}

TApplied TEditing::MoveKeys(const KeyBlock& block, int rows) {
  const std::string what = "Moved the keys of " + BlockName(block) + " by " + std::to_string(rows) + " rows";
  return Edit(Doc.MoveKeys(block, rows), what);
}

TApplied TEditing::AddToValues(const KeyBlock& block, float amount) {
  return Edit(Doc.AddToValues(block, amount), "Added " + FormatValue(amount) + " to " + BlockName(block));
}

TApplied TEditing::Undo() { return Walk(true); }
TApplied TEditing::Redo() { return Walk(false); }

TApplied TEditing::Walk(bool back) {
  if (!(back ? Doc.CanUndo() : Doc.CanRedo())) {
    State.Say(back ? "Nothing to undo" : "Nothing to redo");
    return {};
  }
  const EditResult result = back ? Doc.Undo() : Doc.Redo();
  const std::string done = back ? "Undone" : "Redone";
  State.Say(result.Message.empty() ? done : done + ": " + result.Message);
  return TApplied{.Changed = true};
}

TApplied TEditing::EnterValue() {
  const int channel = State.Channel, row = State.Row;
  std::optional<float> value;
  if (State.Typed.empty()) {
    // The value the channel has there now, made a key of its own.
    value = Doc.ValueAt(channel, row);
  } else {
    try {
      value = ParseValue(State.Typed, 0);
    } catch (const TimelineError&) {
      State.Say("Not a number: " + State.Typed, true);
      State.Typed.clear();
      return {};
    }
  }
  State.Typed.clear();
  return SetKey(channel, row, value);
}

TApplied TEditing::JumpToMark(int direction) {
  std::optional<int> best;
  for (const Mark& mark : Doc.Marks()) {
    const bool ahead = direction > 0 ? mark.Row > State.Row : mark.Row < State.Row;
    if (ahead && (!best || (direction > 0 ? mark.Row < *best : mark.Row > *best))) best = mark.Row;
  }
  if (!best) {
    State.Say(direction > 0 ? "No mark after the cursor" : "No mark before the cursor");
    return {};
  }
  MoveCursor(*best, State.Channel, false);
  for (const Mark& mark : Doc.Marks())
    if (mark.Row == *best) State.Say("Mark \"" + mark.Name + "\" at " + FormatPosition(mark.Row, Doc.Layout()));
  return TApplied{.Moved = true};
}

TApplied TEditing::Apply(TAction action) {
  TEditorState& s = State;
  const TTimeAxis& axis = s.Axis;
  const int bar = axis.RowsPerBar(), beat = axis.RowsPerBeat();
  auto move = [&](int row, int channel, bool select) {
    MoveCursor(row, channel, select);
    return TApplied{.Moved = true};
  };
  // The cursor's moves, each with Shift growing the selection.
  const bool select = action >= TAction::SelectUp && action <= TAction::SelectEnd;
  const TAction way = select ? static_cast<TAction>(int(action) - int(TAction::SelectUp) + int(TAction::Up)) : action;
  switch (way) {
    case TAction::Up: return move(axis.StepRow(s.Row, -1), s.Channel, select);
    case TAction::Down: return move(axis.StepRow(s.Row, 1), s.Channel, select);
    case TAction::Left: return move(s.Row, s.StepChannel(s.Channel, -1), select);
    case TAction::Right: return move(s.Row, s.StepChannel(s.Channel, 1), select);
    case TAction::PageUp: return move(axis.Snap(s.Row - bar), s.Channel, select);
    case TAction::PageDown: return move(axis.Snap(s.Row + bar), s.Channel, select);
    case TAction::Home: return move(0, s.Channel, select);
    case TAction::End: return move(axis.RowOfLine(axis.LineCount() - 1), s.Channel, select);
    default: break;
  }
  switch (action) {
    case TAction::None:
    default: return {};

    case TAction::Enter: return EnterValue();
    case TAction::Off: s.Typed.clear(); return SetKey(s.Channel, s.Row, std::numeric_limits<float>::quiet_NaN());
    case TAction::CycleShape: {
      const EditResult result = Doc.CycleShape(s.Channel, s.Row);
      std::string what = "Shape of " + Where(s.Channel, s.Row);
      if (const ::Key* now = Doc.KeyAt(s.Channel, s.Row); result.Done() && now != nullptr)
        what += std::string(" is ") + ShapeNames[static_cast<int>(now->Curve)];
      return Edit(result, what);
    }
    case TAction::Delete: {
      const KeyBlock block = s.Block();
      return Edit(Doc.DeleteKeys(block), "Deleted the keys of " + BlockName(block));
    }
    case TAction::Backspace:
      if (!s.Typed.empty()) s.Typed.pop_back();
      return {};
    case TAction::Escape:
      if (!s.Typed.empty())
        s.Typed.clear();
      else
        s.ClearSelection();
      return TApplied{.Moved = true};

    case TAction::Copy:
    case TAction::Cut: {
      const KeyBlock block = s.Block();
      s.Clipboard = Doc.Copy(block);
      const std::string what = std::to_string(s.Clipboard->Keys.size()) + " keys of " + BlockName(block);
      if (action == TAction::Copy) {
        s.Say("Copied " + what);
        return {};
      }
      return Edit(Doc.DeleteKeys(block), "Cut " + what);
    }
    case TAction::Paste:
      if (!s.Clipboard) {
        s.Say("Nothing to paste: copy a block first (Ctrl+C)");
        return {};
      }
      return Edit(Doc.Paste(*s.Clipboard, s.Channel, s.Row),
                  "Pasted " + std::to_string(s.Clipboard->Keys.size()) + " keys at " + Where(s.Channel, s.Row));
    case TAction::MoveRowUp:
    case TAction::MoveRowDown:
    case TAction::MoveBeatUp:
    case TAction::MoveBeatDown: {
      const int rows = (action == TAction::MoveRowUp || action == TAction::MoveBeatUp ? -1 : 1) *
                       (action == TAction::MoveBeatUp || action == TAction::MoveBeatDown ? beat : 1);
      const KeyBlock block = s.Block();
      return EditAndFollow(Doc.MoveKeys(block, rows),
                           "Moved the keys of " + BlockName(block) + " by " + std::to_string(rows) + " rows", rows);
    }
    case TAction::AddCoarse: return AddToValues(s.Block(), 0.1f);
    case TAction::SubtractCoarse: return AddToValues(s.Block(), -0.1f);
    case TAction::AddFine: return AddToValues(s.Block(), 0.01f);
    case TAction::SubtractFine: return AddToValues(s.Block(), -0.01f);
    case TAction::Scale: {
      const KeyBlock block = s.Block();
      return Edit(Doc.MultiplyValues(block, s.Scale), "Multiplied " + BlockName(block) + " by " + FormatValue(s.Scale));
    }

    case TAction::InsertBeat:
      return Edit(Doc.InsertRows(s.Row, beat), "Inserted a beat at " + FormatPosition(s.Row, Doc.Layout()));
    case TAction::DeleteBeat:
      return Edit(Doc.DeleteRows(s.Row, beat), "Deleted the beat at " + FormatPosition(s.Row, Doc.Layout()));
    case TAction::ToggleMark: {
      for (const Mark& mark : Doc.Marks())
        if (mark.Row == s.Row)
          return Edit(Doc.ClearMark(s.Row),
                      "Cleared the mark \"" + mark.Name + "\" at " + FormatPosition(s.Row, Doc.Layout()));
      const std::string name = MarkNameOf(s.MarkName);
      return Edit(Doc.SetMark(s.Row, name), "Mark \"" + name + "\" at " + FormatPosition(s.Row, Doc.Layout()));
    }
    case TAction::PreviousMark: return JumpToMark(-1);
    case TAction::NextMark: return JumpToMark(1);
    case TAction::Unroll: {
      const int repeat = RepeatAtCursor();
      if (repeat < 0) {
        s.Say("No repeat at " + Where(s.Channel, s.Row) + " to unroll", true);
        return {};
      }
      return Edit(Doc.UnrollRepeat(repeat),
                  "Unrolled the repeat of line " + std::to_string(Doc.Repeats()[repeat].Line));
    }
    case TAction::Undo: return Undo();
    case TAction::Redo: return Redo();

    case TAction::ZoomIn:
    case TAction::ZoomOut:
      s.Axis.Zoom(action == TAction::ZoomIn ? 1 : -1);
      s.Say("Grid: " + s.Axis.GridName());
      return TApplied{.Moved = true};
    case TAction::LoopSelection: {
      const KeyBlock block = s.Block();
      const TRowRange rows = s.Selecting()
                                 ? TRowRange{block.FirstRow, block.LastRow}
                                 : TRowRange{s.Row / bar * bar, std::min(s.Row / bar * bar + bar - 1, axis.LastRow())};
      if (s.Loop == rows) {
        s.Loop.reset();
        s.Say("No loop");
      } else {
        s.Loop = rows;
        s.Say("Loop " + FormatPosition(rows.First, Doc.Layout()) + " to " + FormatPosition(rows.Last, Doc.Layout()));
      }
      return TApplied{.Moved = true};
    }
    case TAction::PlayPause:
    case TAction::PlayLoop:
    case TAction::TogglePreview:
    case TAction::EditText:
    case TAction::Save:
    case TAction::SaveTracks:
    case TAction::Quit: return TApplied{.ForProgram = action};
  }
  return {};
}
