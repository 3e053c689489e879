#include "EditorState.h"

#include <algorithm>

TEditorState::TEditorState(const TrackLayout& layout)
    : Axis(layout),
      Channels(layout.Channels()),
      Muted(Channels, false),
      Soloed(Channels, false),
      Curves(Channels, false) {}

void TEditorState::Fit(const TrackLayout& layout) {
  const TrackLayout& now = Axis.Layout();
  if (layout.Channels() == Channels && layout.Rows == now.Rows && layout.RowsPerBeat == now.RowsPerBeat &&
      layout.BeatsPerBar == now.BeatsPerBar && layout.BeatsPerMinute == now.BeatsPerMinute)
    return;
  const int grid = Axis.GridIndex();
  Axis = TTimeAxis(layout);
  Axis.SetGrid(grid);
  Channels = layout.Channels();
  Muted.resize(Channels, false);
  Soloed.resize(Channels, false);
  Curves.resize(Channels, false);
  Row = Axis.ClampRow(Row);
  Channel = std::clamp(Channel, 0, std::max(0, Channels - 1));
  ClearSelection();
  Loop.reset();
}

TRowRange TEditorState::CursorRows() const {
  const int next = Axis.StepRow(Row, 1);
  return {Row, next > Row ? next - 1 : Axis.LastRow()};
}

KeyBlock TEditorState::Block() const {
  const TRowRange cursor = CursorRows();
  if (!Selecting()) return KeyBlock{Channel, Channel, cursor.First, cursor.Last};
  const int anchor = *AnchorRow;
  // The block reaches over the last line's rows, whichever corner it is.
  const int lastLine = std::max(anchor, Row);
  const int next = Axis.StepRow(lastLine, 1);
  return KeyBlock{std::min(*AnchorChannel, Channel), std::max(*AnchorChannel, Channel), std::min(anchor, Row),
                  next > lastLine ? next - 1 : Axis.LastRow()};
}

bool TEditorState::Audible(int channel) const {
  if (channel < 0 || channel >= Channels || Muted[channel]) return false;
  return std::none_of(Soloed.begin(), Soloed.end(), [](bool s) { return s; }) || Soloed[channel];
}
