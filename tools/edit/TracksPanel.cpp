// The tracker panel.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Panels.h"
#include "Theme.h"

namespace {
constexpr float ColumnPad = 8;
constexpr float MinColumn = 66;
constexpr float SwitchSize = 17;
constexpr float MaxWidening = 40;

constexpr const char* Unfolded = "\u2193 ";  // a group's mark in the header, open
constexpr const char* FoldedMark = "\u2192 ";

// A channel's name in the header's two lines: this demo's broken at its
// first "-"; a project's track by its name in its group, below the group's
// band (Timeline.h SplitTrackGroup).
std::pair<std::string, std::string> NameLines(int channel, const TrackLayout& layout) {
  const std::string name = ChannelName(channel, layout);
  if (layout.Tracks) return {"", SplitTrackGroup(name).Name};
  const size_t dash = name.find('-');
  if (dash == std::string::npos) return {name, ""};
  return {name.substr(0, dash + 1), name.substr(dash + 1)};
}

float TextWidth(const std::string& text) {
  ImFont* font = UiFont();
  return font->CalcTextSizeA(font->FontSize, 1e9f, 0, text.c_str()).x;
}

float ColumnWidth(int channel, const TrackLayout& layout) {
  const auto [top, bottom] = NameLines(channel, layout);
  return std::max(MinColumn, std::ceil(std::max(TextWidth(top), TextWidth(bottom)) + 2 * ColumnPad));
}

// The column a folded group leaves: its name, to unfold it by.
float FoldedWidth(const std::string& group) { return std::ceil(TextWidth(FoldedMark + group) + 2 * ColumnPad); }

// Whether the channel is the first of its group's run of columns.
bool FirstOfGroup(const TEditorState& s, int channel) {
  return !s.Groups[channel].empty() && (channel == 0 || s.Groups[channel - 1] != s.Groups[channel]);
}
// A folded group's run shows as one column, at its first channel.
bool FoldedColumn(const TEditorState& s, int channel) { return !s.Shown(channel) && FirstOfGroup(s, channel); }

float MarginWidth() {
  ImFont* font = MonoFont();
  return std::ceil(font->CalcTextSizeA(font->FontSize, 1e9f, 0, "888:8:88").x + 24);
}

float HeaderHeight() { return UiFont()->FontSize * 2 + SwitchSize + 14; }

// The place in rows a cursor at the row is drawn at: its line's exact
// place where it is on a line of the grid.
double DrawnRows(const TTimeAxis& axis, int row) {
  const int line = axis.LineAtOrBefore(row);
  return axis.RowOfLine(line) == row ? axis.LineRows(line) : row;
}

// A small switch in the header; true when clicked.
bool Switch(ImDrawList* list, const char* id, const char* label, ImVec2 at, bool on, ImU32 onColour, const char* tip) {
  ImGui::SetCursorScreenPos(at);
  const bool clicked = ImGui::InvisibleButton(id, ImVec2(SwitchSize, SwitchSize));
  const bool hovered = ImGui::IsItemHovered();
  const ImU32 fill = on ? onColour : hovered ? IM_COL32(62, 70, 86, 255) : IM_COL32(40, 45, 56, 255);
  list->AddRectFilled(at, ImVec2(at.x + SwitchSize, at.y + SwitchSize), fill, 3);
  const ImVec2 text = ImGui::CalcTextSize(label);
  list->AddText(ImVec2(at.x + (SwitchSize - text.x) / 2, at.y + (SwitchSize - text.y) / 2),
                on ? IM_COL32(20, 22, 26, 255) : theme::TextDim, label);
  if (hovered) ImGui::SetTooltip("%s", tip);
  return clicked;
}

// A group's band across its columns' first header line; a click folds it or
// unfolds it.
void GroupBand(TPanelContext& c, ImDrawList* list, int first, ImVec2 at, float width) {
  TEditorState& s = c.State;
  const std::string& group = s.Groups[first];
  const bool folded = s.Folded.contains(group);
  const float height = UiFont()->FontSize + 4;
  ImGui::SetCursorScreenPos(at);
  const bool clicked = ImGui::InvisibleButton(("g" + std::to_string(first)).c_str(), ImVec2(std::max(1.0f, width - 2), height));
  const bool hovered = ImGui::IsItemHovered();
  list->AddRectFilled(at, ImVec2(at.x + width - 2, at.y + height), hovered ? IM_COL32(62, 70, 86, 255) : IM_COL32(40, 45, 56, 255), 3);
  list->PushClipRect(at, ImVec2(at.x + width - 2, at.y + height), true);
  list->AddText(ImVec2(at.x + 4, at.y + 2), theme::Text, ((folded ? FoldedMark : Unfolded) + group).c_str());
  list->PopClipRect();
  if (hovered) ImGui::SetTooltip(folded ? "Unfold the group %s" : "Fold the group %s", group.c_str());
  if (clicked) {
    s.Fold(group, !folded);
    c.Asked.Moved = true;
  }
}

void Header(TPanelContext& c, ImDrawList* list, ImVec2 origin, const std::vector<float>& widths, float margin) {
  TEditorState& s = c.State;
  const bool project = c.Doc.Layout().Tracks;
  const float height = HeaderHeight();
  list->AddRectFilled(origin, ImVec2(origin.x + margin, origin.y + height), theme::Panel);
  ImFont* font = UiFont();
  const float size = std::round(font->FontSize * 0.8f);
  const char* label = "bar:beat:row";
  const float labelWidth = font->CalcTextSizeA(size, 1e9f, 0, label).x;
  list->AddText(font, size, ImVec2(origin.x + margin - 8 - labelWidth, origin.y + height - size - 7), theme::TextDim,
                label);
  float x = origin.x + margin;
  for (int ch = 0; ch < s.Channels; ++ch) {
    const float w = widths[ch];
    if (w <= 0) continue;
    if (FoldedColumn(s, ch)) {
      list->AddRectFilled(ImVec2(x, origin.y), ImVec2(x + w - 1, origin.y + height), theme::Panel);
      GroupBand(c, list, ch, ImVec2(x + 1, origin.y + 5), w);
      x += w;
      continue;
    }
    const bool current = ch == s.Channel;
    list->AddRectFilled(ImVec2(x, origin.y), ImVec2(x + w - 1, origin.y + height),
                        current ? ChannelColour(ch, 0.22f) : ChannelColour(ch, 0.09f));
    list->AddRectFilled(ImVec2(x, origin.y), ImVec2(x + w - 1, origin.y + 3), ChannelColour(ch, 0.9f));
    const auto [top, bottom] = NameLines(ch, c.Doc.Layout());
    list->AddText(ImVec2(x + ColumnPad, origin.y + 6), ChannelColour(ch), top.c_str());
    list->AddText(ImVec2(x + ColumnPad, origin.y + 6 + UiFont()->FontSize), ChannelColour(ch), bottom.c_str());
    const float y = origin.y + height - SwitchSize - 5;
    const std::string id = std::to_string(ch);
    // A project's preview is the demo's: its tracks are neither muted nor
    // soloed here.
    float switchX = x + ColumnPad;
    if (!project) {
      if (Switch(list, ("m" + id).c_str(), "M", ImVec2(switchX, y), s.Muted[ch], theme::Error,
                 "Mute: off in the preview (never saved)"))
        s.Muted[ch] = !s.Muted[ch];
      if (Switch(list, ("s" + id).c_str(), "S", ImVec2(switchX + SwitchSize + 3, y), s.Soloed[ch], theme::Warn,
                 "Solo: only soloed channels in the preview (never saved)"))
        s.Soloed[ch] = !s.Soloed[ch];
      switchX += 2 * (SwitchSize + 3);
    }
    if (Switch(list, ("c" + id).c_str(), "~", ImVec2(switchX, y), s.Curves[ch], ChannelColour(ch), "Show as a curve"))
      s.Curves[ch] = !s.Curves[ch];
    x += w;
  }
  // Each group's band over its run of columns.
  x = origin.x + margin;
  for (int ch = 0; ch < s.Channels; ++ch) {
    if (!FirstOfGroup(s, ch) || FoldedColumn(s, ch)) {
      x += widths[ch];
      continue;
    }
    float run = 0;
    for (int k = ch; k < s.Channels && s.Groups[k] == s.Groups[ch]; ++k) run += widths[k];
    GroupBand(c, list, ch, ImVec2(x + 1, origin.y + 5), run);
    x += widths[ch];
  }
  list->AddLine(ImVec2(origin.x, origin.y + height - 1), ImVec2(x, origin.y + height - 1), theme::PanelEdge);
}

// One cell: the key at the line's rows, or the value between keys.
void Cell(const TimelineDocument& doc, ImDrawList* list, int channel, int row, int spanEnd, ImVec2 at, float width,
          float height) {
  const std::vector<Key>& keys = doc.Keys(channel);
  const size_t k = KeysBefore(keys, row);
  ImFont* mono = MonoFont();
  const float textY = at.y + (height - mono->FontSize) / 2;
  const float icon = std::min(10.0f, height - 6);
  if (k < keys.size() && keys[k].Row <= spanEnd) {
    const Key& key = keys[k];
    const bool exact = key.Row == row;
    const bool off = std::isnan(key.Value);
    ImU32 colour = key.Repeat >= 0 ? theme::Repeat : off ? theme::TextDim : theme::Text;
    if (!exact) colour = (colour & 0x00FFFFFF) | 0xA0000000;
    if (!exact) list->AddCircleFilled(ImVec2(at.x + 3, at.y + height / 2), 1.8f, colour);
    list->AddText(mono, mono->FontSize, ImVec2(at.x + 6, textY), colour, CellValue(key.Value).c_str());
    if (!off) DrawShapeIcon(list, ImVec2(at.x + width - icon - 7, at.y + (height - icon) / 2), icon, key.Curve, colour);
    return;
  }
  const float value = doc.ValueAt(channel, row);
  if (std::isnan(value)) return;
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  list->AddText(mono, mono->FontSize, ImVec2(at.x + 6, textY), theme::TextFaint, text);
}
}  // namespace

float TracksWidth(const TrackLayout& layout) {
  float width = MarginWidth();
  for (int ch = 0; ch < layout.Channels(); ++ch) width += ColumnWidth(ch, layout);
  return width;
}

void TracksPanel(TPanelContext& c, ImVec2 size) {
  TEditorState& s = c.State;
  TTimeAxis& axis = s.Axis;
  const TimelineDocument& doc = c.Doc;
  ImVec2 origin;
  ImDrawList* list = BeginPanel("tracks", size, origin);
  if (s.Channels == 0) {
    list->AddText(ImVec2(origin.x + 12, origin.y + 12), theme::TextDim, "The timeline has no channels.");
    ImGui::EndChild();
    return;
  }
  axis.SetLinePixels(std::round(MonoFont()->FontSize + 5));
  const float margin = MarginWidth(), header = HeaderHeight(), lineHeight = axis.LinePixels();
  // Room beyond the columns' own widths widens them, up to a limit.
  // A folded group's channels take no room but its one column.
  std::vector<float> widths(s.Channels), lefts(s.Channels);
  float natural = margin;
  int shown = 0;
  for (int ch = 0; ch < s.Channels; ++ch) {
    widths[ch] = FoldedColumn(s, ch) ? FoldedWidth(s.Groups[ch]) : s.Shown(ch) ? ColumnWidth(ch, doc.Layout()) : 0;
    natural += widths[ch];
    shown += s.Shown(ch);
  }
  const float spare = std::max(0.0f, size.x - natural) / static_cast<float>(std::max(1, shown));
  float right = origin.x + margin;
  for (int ch = 0; ch < s.Channels; ++ch) {
    if (s.Shown(ch)) widths[ch] += std::floor(std::min(spare, MaxWidening));
    lefts[ch] = right;
    right += widths[ch];
  }
  Header(c, list, origin, widths, margin);

  const ImVec2 body(origin.x, origin.y + header);
  const float bottom = origin.y + size.y;
  c.TimeExtent = std::min(c.TimeExtent, bottom - body.y);
  auto yOf = [&](double rows) { return body.y + static_cast<float>(axis.PixelOf(rows)); };
  list->PushClipRect(body, ImVec2(origin.x + size.x, bottom), true);

  // Rows: bar and beat lines lit, the margin's positions, the cells.
  const int firstLine = axis.LineAtOrBefore(static_cast<int>(axis.FirstRow()));
  const int lines = axis.LineCount();
  ImFont* mono = MonoFont();
  for (int line = firstLine; line < lines; ++line) {
    const float y = yOf(axis.LineRows(line));
    if (y > bottom) break;
    if (y + lineHeight < body.y) continue;
    const int row = axis.RowOfLine(line);
    const int next = line + 1 < lines ? axis.RowOfLine(line + 1) : axis.Rows();
    const int spanEnd = std::max(row, next - 1);
    const bool onBar = row % axis.RowsPerBar() == 0, onBeat = row % axis.RowsPerBeat() == 0;
    if (onBar || onBeat)
      list->AddRectFilled(ImVec2(origin.x, y), ImVec2(right, y + lineHeight), onBar ? theme::BarRow : theme::BeatRow);
    const std::string position = FormatPosition(row, doc.Layout());
    const float textWidth = mono->CalcTextSizeA(mono->FontSize, 1e9f, 0, position.c_str()).x;
    list->AddText(mono, mono->FontSize, ImVec2(body.x + margin - 10 - textWidth, y + (lineHeight - mono->FontSize) / 2),
                  onBar    ? theme::Text
                  : onBeat ? theme::TextDim
                           : theme::TextFaint,
                  position.c_str());
    for (int ch = 0; ch < s.Channels; ++ch)
      if (s.Shown(ch)) Cell(doc, list, ch, row, spanEnd, ImVec2(lefts[ch], y), widths[ch], lineHeight);
  }
  // Column edges; a folded group's column dimmed.
  for (int ch = 0; ch <= s.Channels; ++ch) {
    if (ch < s.Channels && widths[ch] <= 0) continue;
    const float x = ch < s.Channels ? lefts[ch] : right;
    if (ch < s.Channels && FoldedColumn(s, ch))
      list->AddRectFilled(ImVec2(x, body.y), ImVec2(x + widths[ch] - 1, bottom), IM_COL32(0, 0, 0, 60));
    list->AddLine(ImVec2(x - 1, body.y), ImVec2(x - 1, bottom), theme::PanelEdge);
  }
  // Repeats: a bar down the left of the rows their keys span.
  const std::vector<RepeatBlock>& repeats = doc.Repeats();
  for (int r = 0; r < static_cast<int>(repeats.size()); ++r) {
    const RowSpan span = doc.SpanOfRepeat(r);
    const int ch = repeats[r].Channel;
    if (ch < 0 || ch >= s.Channels || !s.Shown(ch)) continue;
    const float y0 = yOf(DrawnRows(axis, span.First)), y1 = yOf(span.Last) + lineHeight;
    if (y1 < body.y || y0 > bottom) continue;
    list->AddRectFilled(ImVec2(lefts[ch], y0 + 1), ImVec2(lefts[ch] + 3, y1 - 1), theme::Repeat);
  }
  // Marks: a flag in the margin.
  for (const Mark& mark : doc.Marks()) {
    const float y = yOf(DrawnRows(axis, mark.Row));
    if (y + lineHeight < body.y || y > bottom) continue;
    list->AddTriangleFilled(ImVec2(body.x + 3, y + 3), ImVec2(body.x + 11, y + lineHeight / 2),
                            ImVec2(body.x + 3, y + lineHeight - 3), theme::Mark);
  }
  // The selection, the cursor's row and cell, the number being typed.
  const KeyBlock block = s.Block();
  if (s.Selecting())
    list->AddRectFilled(ImVec2(lefts[block.FirstChannel], yOf(DrawnRows(axis, block.FirstRow))),
                        ImVec2(lefts[block.LastChannel] + widths[block.LastChannel] - 1, yOf(block.LastRow + 1)),
                        theme::Selection);
  const float cursorY = yOf(DrawnRows(axis, s.Row));
  list->AddRectFilled(ImVec2(origin.x, cursorY), ImVec2(right, cursorY + lineHeight), theme::CursorRow);
  const ImVec2 cell(lefts[s.Channel], cursorY), cellEnd(lefts[s.Channel] + widths[s.Channel] - 1, cursorY + lineHeight);
  if (!s.Typed.empty()) {
    list->AddRectFilled(cell, cellEnd, IM_COL32(20, 26, 40, 255));
    const std::string typed = s.Typed + "_";
    list->AddText(mono, mono->FontSize, ImVec2(cell.x + 6, cursorY + (lineHeight - mono->FontSize) / 2), theme::Accent,
                  typed.c_str());
  }
  list->AddRect(cell, cellEnd, theme::CursorCell, 0, 0, 1.5f);
  if (c.PlayRow) {
    const float y = yOf(*c.PlayRow);
    list->AddLine(ImVec2(origin.x, y), ImVec2(right, y), theme::Playhead, 2);
  }
  list->PopClipRect();

  // The mouse: a click puts the cursor on the line and channel under it,
  // with Shift or a drag growing the selection; the wheel scrolls, with
  // Ctrl it zooms.
  ImGui::SetCursorScreenPos(body);
  ImGui::InvisibleButton("rows", ImVec2(std::max(1.0f, right - origin.x), std::max(1.0f, bottom - body.y)));
  const ImVec2 mouse = ImGui::GetIO().MousePos;
  auto lineRowAt = [&](float y) {
    const double rows = axis.RowAt(y - body.y);
    return axis.RowOfLine(
        std::clamp(static_cast<int>(std::floor(rows * axis.LinesPerBeat() / axis.RowsPerBeat())), 0, lines - 1));
  };
  // The shown channel under the mouse; -1 over a folded group.
  auto channelAt = [&](float x) {
    for (int ch = s.Channels - 1; ch >= 0; --ch)
      if (widths[ch] > 0 && x >= lefts[ch]) return s.Shown(ch) ? ch : -1;
    return s.StepChannel(0, 0);
  };
  if (ImGui::IsItemActivated()) {
    if (const int ch = channelAt(mouse.x); ch >= 0) {
      c.Editing.MoveCursor(lineRowAt(mouse.y), ch, ImGui::GetIO().KeyShift);
      c.Asked.Moved = true;
    }
  } else if (ImGui::IsItemActive() && ImGui::IsMouseDragging(ImGuiMouseButton_Left, 2)) {
    const int row = lineRowAt(mouse.y), ch = channelAt(mouse.x);
    if (ch >= 0 && (row != s.Row || ch != s.Channel)) {
      c.Editing.MoveCursor(row, ch, true);
      c.Asked.Moved = true;
    }
  }
  WheelOverItem(axis, 3);
  ImGui::EndChild();
}
