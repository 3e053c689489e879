#include "EditorState.h"

#include <algorithm>

namespace {
std::vector<std::string> GroupsOf(const TrackLayout& layout) {
  std::vector<std::string> groups(layout.Channels());
  if (layout.Tracks)
    for (int ch = 0; ch < layout.Channels(); ++ch) groups[ch] = SplitTrackGroup(layout.ChannelNames[ch]).Group;
  return groups;
}
}  // namespace

TEditorState::TEditorState(const TrackLayout& layout)
    : Axis(layout),
      Channels(layout.Channels()),
      Muted(Channels, false),
      Soloed(Channels, false),
      Curves(Channels, false),
      Groups(GroupsOf(layout)) {}

void TEditorState::Fit(const TrackLayout& layout) {
  // Names can change with the same number of channels (a reload).
  Groups = GroupsOf(layout);
  const TrackLayout& now = Axis.Layout();
  if (layout.Channels() == Channels && layout.Rows == now.Rows && layout.RowsPerBeat == now.RowsPerBeat &&
      layout.BeatsPerBar == now.BeatsPerBar && layout.BeatsPerMinute == now.BeatsPerMinute) {
    KeepCursorShown();
    return;
  }
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
  KeepCursorShown();
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

bool TEditorState::Shown(int channel) const {
  return channel >= 0 && channel < static_cast<int>(Groups.size()) &&
         (Groups[channel].empty() || !Folded.contains(Groups[channel]));
}

int TEditorState::StepChannel(int channel, int step) const {
  int at = channel;
  const int way = step < 0 ? -1 : 1;
  for (int left = step < 0 ? -step : step; left > 0; --left) {
    int next = at + way;
    while (next >= 0 && next < Channels && !Shown(next)) next += way;
    if (next < 0 || next >= Channels) break;
    at = next;
  }
  return at;
}

void TEditorState::Fold(const std::string& group, bool folded) {
  if (group.empty()) return;
  if (folded)
    Folded.insert(group);
  else
    Folded.erase(group);
  KeepCursorShown();
}

void TEditorState::KeepCursorShown() {
  if (Shown(Channel)) return;
  const int after = StepChannel(Channel, 1), before = StepChannel(Channel, -1);
  // Where every channel is folded away the cursor stays where it is.
  if (after != Channel)
    Channel = after;
  else if (before != Channel)
    Channel = before;
  ClearSelection();
}
