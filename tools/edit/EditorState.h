// What the editor's views show besides the document: the cursor and the
// selection, the number being typed, the clipboard, the channels muted,
// soloed and drawn as curves, the loop range, and the status line. Plain
// data: the views read and change it, nothing here draws.
#pragma once
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Clip.h"
#include "TimeAxis.h"

// Rows First to Last, both ends in.
struct TRowRange {
  int First, Last;
  bool operator==(const TRowRange&) const = default;
};

struct TEditorState {
  explicit TEditorState(const TrackLayout& layout = SongLayout());
  // The document's layout has changed (its text now names other channels
  // or another grid): the cursor, the selection and the switches follow.
  void Fit(const TrackLayout& layout);

  TTimeAxis Axis;
  int Channels;

  // The cursor: a grid line's row in a channel.
  int Row = 0;
  int Channel = 0;
  // Where a selection was started (Shift and the arrows, or a drag), the
  // cursor being its other corner; none without a selection.
  std::optional<int> AnchorRow, AnchorChannel;
  bool Selecting() const { return AnchorRow.has_value(); }
  void ClearSelection() { AnchorRow.reset(), AnchorChannel.reset(); }
  // The rows the cursor's line stands for: its row up to the next line's.
  TRowRange CursorRows() const;
  // The block the keys act on: the selection, or the cursor's line.
  KeyBlock Block() const;

  // The number typed at the cursor, not yet entered.
  std::string Typed;
  std::optional<Clip> Clipboard;

  // Preview only, never saved: a muted channel is off; where any channel is
  // soloed, only soloed channels play.
  std::vector<bool> Muted, Soloed;
  bool Audible(int channel) const;
  // Channels drawn in the curves panel.
  std::vector<bool> Curves;

  // A project's tracks in groups (Timeline.h SplitTrackGroup): each
  // channel's group, "" for none. A folded group's channels are hidden in
  // the tracker and the cursor passes over them.
  std::vector<std::string> Groups;
  std::set<std::string> Folded;
  bool Shown(int channel) const;
  // The shown channel that many shown channels on from the channel (back
  // for a negative step); the channel itself where there is none that way.
  int StepChannel(int channel, int step) const;
  // A cursor in a group that folds moves to the nearest shown channel.
  void Fold(const std::string& group, bool folded);
  void KeepCursorShown();

  std::optional<TRowRange> Loop;
  std::string MarkName = "mark";
  float Scale = 2;

  // The status line: the last edit's status or refusal, or an error.
  std::string Status;
  bool StatusIsError = false;
  unsigned StatusSerial = 0;  // counts what has been said
  void Say(const std::string& text, bool error = false) { Status = text, StatusIsError = error, ++StatusSerial; }
};
