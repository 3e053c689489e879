// The curves panel: channels as curves over time, their keys dragged in
// time and value, box selection.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "Panels.h"
#include "Theme.h"

namespace {
constexpr float KeyRadius = 4;
constexpr float Pad = 10;

// A key being dragged, or a box being drawn, between frames.
struct TDrag {
  enum Kind { None, Key, Box } Type = None;
  int Channel = 0, Row = 0;  // the key grabbed
  float Value = 0;
  ImVec2 From;    // where the mouse went down
  int ToRow = 0;  // where the key would land
  float ToValue = 0;
};
TDrag Drag;

std::vector<int> ShownChannels(const TEditorState& s) {
  std::vector<int> shown;
  for (int ch = 0; ch < s.Channels; ++ch)
    if (s.Curves[ch]) shown.push_back(ch);
  if (shown.empty() && s.Channels > 0) shown.push_back(s.Channel);
  return shown;
}

// The values the shown channels' keys take, with a margin; a flat range is
// widened around its value.
void ValueRange(const TimelineDocument& doc, const std::vector<int>& shown, float& low, float& high) {
  low = 0;
  high = 1;
  bool any = false;
  for (int ch : shown)
    for (const Key& key : doc.Keys(ch)) {
      if (std::isnan(key.Value)) continue;
      low = any ? std::min(low, key.Value) : key.Value;
      high = any ? std::max(high, key.Value) : key.Value;
      any = true;
    }
  if (!any) return;
  if (high - low < 1e-6f) {
    low -= 0.5f;
    high += 0.5f;
  }
  const float margin = (high - low) * 0.08f;
  low -= margin;
  high += margin;
}

// Draws one channel's curve between the pixels x0 and x1.
void Curve(ImDrawList* list, const std::vector<Key>& keys, const TTimeAxis& axis, float x0, float x1,
           const std::function<float(float)>& yOf, ImU32 colour) {
  auto xOf = [&](double row) { return x0 + static_cast<float>(axis.PixelOf(row)); };
  for (size_t k = 0; k < keys.size(); ++k) {
    const Key& key = keys[k];
    const Key* next = k + 1 < keys.size() ? &keys[k + 1] : nullptr;
    const float a = xOf(key.Row), b = next != nullptr ? xOf(next->Row) : x1;
    if (b < x0 || a > x1 || std::isnan(key.Value)) continue;  // off: a gap
    const float y = yOf(key.Value);
    const bool steps = key.Curve == Shape::Hold || next == nullptr || std::isnan(next->Value);
    if (steps) {
      list->AddLine(ImVec2(std::max(a, x0 - 2), y), ImVec2(std::min(b, x1 + 2), y), colour, 2);
      if (next != nullptr && !std::isnan(next->Value))
        list->AddLine(ImVec2(b, y), ImVec2(b, yOf(next->Value)), colour, 2);
      continue;
    }
    if (key.Curve == Shape::Linear) {
      list->AddLine(ImVec2(a, y), ImVec2(b, yOf(next->Value)), colour, 2);
      continue;
    }
    // Smooth: the segment's value at every row, or at every few pixels
    // where rows are narrower.
    const int step = std::max(1, static_cast<int>(3 / axis.PixelsPerRow()));
    std::vector<ImVec2> points;
    for (int row = key.Row; row < next->Row; row += step)
      points.emplace_back(xOf(row), yOf(SegmentValue(key, next, row)));
    points.emplace_back(b, yOf(next->Value));
    list->AddPolyline(points.data(), static_cast<int>(points.size()), colour, 0, 2);
  }
}
}  // namespace

void CurvesPanel(TPanelContext& c, ImVec2 size) {
  TEditorState& s = c.State;
  TTimeAxis& axis = s.Axis;
  const TimelineDocument& doc = c.Doc;
  ImVec2 origin;
  ImDrawList* list = BeginPanel("curves", size, origin);
  const float x0 = origin.x + theme::Gutter, x1 = origin.x + size.x, top = origin.y + Pad,
              bottom = origin.y + size.y - Pad;
  c.TimeExtent = std::min(c.TimeExtent, x1 - x0);
  const std::vector<int> shown = ShownChannels(s);
  float low = 0, high = 1;
  ValueRange(doc, shown, low, high);
  auto yOf = [&](float v) { return bottom - (v - low) / (high - low) * (bottom - top); };
  auto valueAt = [&](float y) { return low + (bottom - y) / (bottom - top) * (high - low); };
  auto xOf = [&](double row) { return x0 + static_cast<float>(axis.PixelOf(row)); };

  // The gutter: the channels shown, the value scale.
  ImFont* font = UiFont();
  const float small = std::round(font->FontSize * 0.85f);
  float legend = origin.y + 6;
  for (int ch : shown) {
    list->AddRectFilled(ImVec2(origin.x + 8, legend + 3), ImVec2(origin.x + 15, legend + 10), ChannelColour(ch), 2);
    const std::string name = ChannelName(ch, doc.Layout());
    list->AddText(font, small, ImVec2(origin.x + 19, legend), ChannelColour(ch), name.c_str());
    legend += small + 3;
  }
  list->PushClipRect(ImVec2(x0, origin.y), ImVec2(x1, origin.y + size.y), true);
  DrawTimeGrid(list, axis, x0, x1, origin.y, origin.y + size.y, false);
  // Value lines at round steps, about four over the range, each labelled.
  const double raw = (high - low) / 4;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double step = raw / power < 2 ? power : raw / power < 5 ? 2 * power : 5 * power;
  for (double v = std::ceil(low / step) * step; v <= high; v += step) {
    const float y = yOf(static_cast<float>(v));
    const bool zero = std::fabs(v) < step / 2;
    list->AddLine(ImVec2(x0, y), ImVec2(x1, y), zero ? theme::BarLine : theme::BeatLine);
    char label[24];
    std::snprintf(label, sizeof label, "%g", zero ? 0.0 : v);
    const float labelY = y - ImGui::GetFontSize() - 1 < origin.y ? y + 1 : y - ImGui::GetFontSize() - 1;
    list->AddText(ImVec2(x0 + 4, labelY), theme::TextFaint, label);
  }
  // The loop range, the selection's rows, the cursor and the playhead.
  if (s.Loop)
    list->AddRectFilled(ImVec2(xOf(s.Loop->First), origin.y), ImVec2(xOf(s.Loop->Last + 1), origin.y + size.y),
                        theme::Loop);
  const KeyBlock block = s.Block();
  if (s.Selecting())
    list->AddRectFilled(ImVec2(xOf(block.FirstRow), origin.y), ImVec2(xOf(block.LastRow + 1), origin.y + size.y),
                        theme::Selection);
  list->AddLine(ImVec2(xOf(s.Row), origin.y), ImVec2(xOf(s.Row), origin.y + size.y), theme::CursorCell);
  if (c.PlayRow)
    list->AddLine(ImVec2(xOf(*c.PlayRow), origin.y), ImVec2(xOf(*c.PlayRow), origin.y + size.y), theme::Playhead, 2);

  // The curves, then their keys; the key under the mouse is the one a drag takes.
  const ImVec2 mouse = ImGui::GetIO().MousePos;
  const bool inside = mouse.x >= x0 && mouse.x < x1 && mouse.y >= origin.y && mouse.y < origin.y + size.y;
  std::optional<std::pair<int, int>> hovered;  // channel, row
  float nearest = KeyRadius * 2.5f;
  for (int ch : shown) {
    const std::vector<Key>& keys = doc.Keys(ch);
    Curve(list, keys, axis, x0, x1, yOf, ChannelColour(ch, ch == s.Channel ? 1.0f : 0.75f));
    for (const Key& key : keys) {
      const float x = xOf(key.Row);
      if (x < x0 - KeyRadius || x > x1 + KeyRadius) continue;
      const float v = std::isnan(key.Value) ? low : key.Value;
      const float y = std::isnan(key.Value) ? bottom : yOf(v);
      const bool selected = s.Selecting() && block.Holds(ch, key.Row);
      if (std::isnan(key.Value)) {
        list->AddLine(ImVec2(x - 3, y - 3), ImVec2(x + 3, y + 3), ChannelColour(ch, 0.8f), 1.5f);
        list->AddLine(ImVec2(x - 3, y + 3), ImVec2(x + 3, y - 3), ChannelColour(ch, 0.8f), 1.5f);
      } else if (key.Repeat >= 0) {
        list->AddCircle(ImVec2(x, y), KeyRadius, theme::Repeat, 12, 1.5f);
      } else {
        list->AddRectFilled(ImVec2(x - KeyRadius, y - KeyRadius), ImVec2(x + KeyRadius, y + KeyRadius),
                            ChannelColour(ch), 1);
      }
      if (selected)
        list->AddRect(ImVec2(x - KeyRadius - 2, y - KeyRadius - 2), ImVec2(x + KeyRadius + 2, y + KeyRadius + 2),
                      IM_COL32_WHITE);
      const float distance = std::hypot(mouse.x - x, mouse.y - y);
      if (inside && distance < nearest) {
        nearest = distance;
        hovered = std::make_pair(ch, key.Row);
      }
    }
  }

  ImGui::SetCursorScreenPos(ImVec2(x0, origin.y));
  ImGui::InvisibleButton("plot", ImVec2(std::max(1.0f, x1 - x0), std::max(1.0f, size.y)));
  const bool activated = ImGui::IsItemActivated(), active = ImGui::IsItemActive(),
             released = ImGui::IsItemDeactivated();
  if (activated) {
    Drag = TDrag{};
    Drag.From = mouse;
    if (hovered) {
      const Key* key = doc.KeyAt(hovered->first, hovered->second);
      Drag.Type = TDrag::Key;
      Drag.Channel = hovered->first;
      Drag.Row = Drag.ToRow = hovered->second;
      Drag.Value = Drag.ToValue = key != nullptr ? key->Value : 0;
    } else {
      Drag.Type = TDrag::Box;
    }
  }
  if (active && Drag.Type == TDrag::Key) {
    // The key follows the mouse, snapped to the grid in time.
    Drag.ToRow = axis.Snap(axis.RowAt(static_cast<float>(axis.PixelOf(Drag.Row)) + mouse.x - Drag.From.x));
    // The value in steps of about a hundredth of the range shown, rounded
    // to a power of ten, so that a drag writes 0.49 rather than 0.49260283.
    const double step = std::pow(10.0, std::floor(std::log10((high - low) / 100.0)));
    Drag.ToValue = std::isnan(Drag.Value)
                       ? Drag.Value
                       : static_cast<float>(std::round(valueAt(yOf(Drag.Value) + mouse.y - Drag.From.y) / step) * step);
    const ImVec2 at(xOf(Drag.ToRow), std::isnan(Drag.Value) ? bottom : yOf(Drag.ToValue));
    list->AddCircle(at, KeyRadius + 3, IM_COL32_WHITE, 16, 1.5f);
    char label[48];
    std::snprintf(label, sizeof label, "%s  %.3f", FormatPosition(Drag.ToRow, doc.Layout()).c_str(), Drag.ToValue);
    list->AddText(ImVec2(at.x + 8, at.y - 18), theme::Text, label);
  }
  if (active && Drag.Type == TDrag::Box && ImGui::IsMouseDragging(ImGuiMouseButton_Left, 3)) {
    list->AddRectFilled(Drag.From, mouse, theme::Selection);
    list->AddRect(Drag.From, mouse, theme::Accent);
  }
  if (released && Drag.Type == TDrag::Key) {
    // Time and value are one edit each: a move of the keys (the whole
    // selection when the key is in it) and a change of their values.
    const bool inSelection = s.Selecting() && block.Holds(Drag.Channel, Drag.Row);
    const KeyBlock moved = inSelection ? block : KeyBlock{Drag.Channel, Drag.Channel, Drag.Row, Drag.Row};
    const int rows = Drag.ToRow - Drag.Row;
    const float change = Drag.ToValue - Drag.Value;
    if (rows != 0) {
      const TApplied applied = c.Editing.MoveKeys(moved, rows);
      c.Take(applied);
      if (applied.Changed && inSelection && s.AnchorRow) {
        *s.AnchorRow += rows;
        s.Row += rows;
      }
    }
    if (!std::isnan(Drag.Value) && std::fabs(change) > 1e-6f) {
      const KeyBlock landed{moved.FirstChannel, moved.LastChannel, moved.FirstRow + rows, moved.LastRow + rows};
      c.Take(inSelection ? c.Editing.AddToValues(landed, change)
                         : c.Editing.SetKey(Drag.Channel, Drag.ToRow, Drag.ToValue));
    }
    if (rows == 0 && std::fabs(change) <= 1e-6f) {
      c.Editing.MoveCursor(Drag.Row, Drag.Channel, false);
      c.Asked.Moved = true;
    }
  }
  if (released && Drag.Type == TDrag::Box) {
    if (std::hypot(mouse.x - Drag.From.x, mouse.y - Drag.From.y) < 3) {
      c.Seek = axis.SnappedRowAt(mouse.x - x0);
    } else {
      // The box's rows, over the channels of the keys inside it.
      const int first = axis.SnappedRowAt(std::min(Drag.From.x, mouse.x) - x0);
      const int last = axis.SnappedRowAt(std::max(Drag.From.x, mouse.x) - x0);
      const float vLow = valueAt(std::max(Drag.From.y, mouse.y)), vHigh = valueAt(std::min(Drag.From.y, mouse.y));
      int firstChannel = s.Channels, lastChannel = -1;
      for (int ch : shown)
        for (const Key& key : doc.Keys(ch))
          if (key.Row >= first && key.Row <= last && !std::isnan(key.Value) && key.Value >= vLow &&
              key.Value <= vHigh) {
            firstChannel = std::min(firstChannel, ch);
            lastChannel = std::max(lastChannel, ch);
          }
      if (lastChannel < 0) firstChannel = lastChannel = shown.empty() ? 0 : shown.front();
      c.Editing.MoveCursor(first, firstChannel, false);
      c.Editing.MoveCursor(last, lastChannel, true);
      c.Asked.Moved = true;
    }
  }
  if (released) Drag = TDrag{};
  WheelOverItem(axis, 8);
  list->PopClipRect();
  ImGui::EndChild();
}
