// The panels across time that only show it and seek in it: the music's
// waveform and the ruler.
#include <algorithm>
#include <cmath>

#include "Panels.h"
#include "Theme.h"

namespace {
// The cursor and the playhead across a horizontal panel.
void Heads(const TPanelContext& c, ImDrawList* list, float x0, float y0, float y1) {
  const TTimeAxis& axis = c.State.Axis;
  const float cursor = x0 + static_cast<float>(axis.PixelOf(c.State.Row));
  list->AddLine(ImVec2(cursor, y0), ImVec2(cursor, y1), theme::CursorCell);
  if (c.PlayRow) {
    const float play = x0 + static_cast<float>(axis.PixelOf(*c.PlayRow));
    list->AddLine(ImVec2(play, y0), ImVec2(play, y1), theme::Playhead, 2);
  }
}

// A click or a drag over a horizontal panel's time seeks; the wheel
// scrolls, with Ctrl it zooms. The item is the panel's invisible button.
void SeekAndScroll(TPanelContext& c, float x0) {
  TTimeAxis& axis = c.State.Axis;
  const ImGuiIO& io = ImGui::GetIO();
  if (ImGui::IsItemActive() && (ImGui::IsItemActivated() || io.MouseDelta.x != 0))
    c.Seek = axis.SnappedRowAt(io.MousePos.x - x0);
  WheelOverItem(axis, 8);
}

void Label(ImDrawList* list, ImVec2 origin, const char* text) {
  list->AddText(ImVec2(origin.x + 8, origin.y + 5), theme::TextDim, text);
}
}  // namespace

void WaveformPanel(TPanelContext& c, const TWaveform& wave, ImVec2 size) {
  const TTimeAxis& axis = c.State.Axis;
  ImVec2 origin;
  ImDrawList* list = BeginPanel("waveform", size, origin);
  const float x0 = origin.x + theme::Gutter, x1 = origin.x + size.x, y0 = origin.y, y1 = origin.y + size.y;
  Label(list, origin, "music");
  if (wave.Empty()) list->AddText(ImVec2(origin.x + 8, origin.y + 24), theme::TextFaint, "none");
  list->PushClipRect(ImVec2(x0, y0), ImVec2(x1, y1), true);
  if (c.State.Loop)
    list->AddRectFilled(ImVec2(x0 + static_cast<float>(axis.PixelOf(c.State.Loop->First)), y0),
                        ImVec2(x0 + static_cast<float>(axis.PixelOf(c.State.Loop->Last + 1)), y1), theme::Loop);
  DrawTimeGrid(list, axis, x0, x1, y0, y1, true);
  // Each pixel column: the lowest to the highest sample, the loudness inside.
  // Drawn so that the loudest sample of the song reaches the panel's edge.
  const float middle = (y0 + y1) / 2 + 7, half = ((y1 - y0) / 2 - 9) / std::max(wave.Peak(), 1e-3f);
  for (float x = x0; x < x1; x += 1) {
    const double from = axis.SecondsOf(axis.RowAt(x - x0)), to = axis.SecondsOf(axis.RowAt(x + 1 - x0));
    if (to <= 0) continue;
    const TWaveColumn column = wave.Column(from, to);
    list->AddRectFilled(ImVec2(x, middle - column.Max * half), ImVec2(x + 1, middle - column.Min * half + 1),
                        theme::Wave);
    list->AddRectFilled(ImVec2(x, middle - column.Rms * half), ImVec2(x + 1, middle + column.Rms * half + 1),
                        theme::Loudness);
  }
  Heads(c, list, x0, y0, y1);
  list->PopClipRect();
  ImGui::SetCursorScreenPos(ImVec2(x0, y0));
  ImGui::InvisibleButton("wave", ImVec2(std::max(1.0f, x1 - x0), std::max(1.0f, size.y)));
  SeekAndScroll(c, x0);
  ImGui::EndChild();
}

void RulerPanel(TPanelContext& c, ImVec2 size) {
  TEditorState& s = c.State;
  const TTimeAxis& axis = s.Axis;
  ImVec2 origin;
  ImDrawList* list = BeginPanel("ruler", size, origin);
  const float x0 = origin.x + theme::Gutter, x1 = origin.x + size.x, y0 = origin.y, y1 = origin.y + size.y;
  c.TimeExtent = std::min(c.TimeExtent, x1 - x0);
  auto xOf = [&](double row) { return x0 + static_cast<float>(axis.PixelOf(row)); };
  Label(list, origin, "bar");
  list->PushClipRect(ImVec2(x0, y0), ImVec2(x1, y1), true);
  if (s.Loop) {
    const float a = xOf(s.Loop->First), b = xOf(s.Loop->Last + 1);
    list->AddRectFilled(ImVec2(a, y0), ImVec2(b, y1), theme::Loop);
    list->AddLine(ImVec2(a, y0), ImVec2(a, y1), theme::Playhead, 2);
    list->AddLine(ImVec2(b, y0), ImVec2(b, y1), theme::Playhead, 2);
  }
  DrawTimeGrid(list, axis, x0, x1, y0, y0 + size.y * 0.45f, true);
  // Marks: a flag and the name, in the lower half.
  const float flagTop = y0 + size.y * 0.5f;
  for (const Mark& mark : c.Doc.Marks()) {
    const float x = xOf(mark.Row);
    if (x < x0 - 200 || x > x1) continue;
    list->AddLine(ImVec2(x, flagTop - 2), ImVec2(x, y1), theme::Mark, 1.5f);
    list->AddTriangleFilled(ImVec2(x, flagTop - 2), ImVec2(x + 8, flagTop + 2), ImVec2(x, flagTop + 6), theme::Mark);
    list->AddText(ImVec2(x + 10, flagTop - 2), theme::Mark, mark.Name.c_str());
  }
  const float cursor = xOf(s.Row);
  list->AddTriangleFilled(ImVec2(cursor - 5, y0), ImVec2(cursor + 5, y0), ImVec2(cursor, y0 + 7), theme::CursorCell);
  Heads(c, list, x0, y0, y1);
  list->AddLine(ImVec2(x0, y1 - 1), ImVec2(x1, y1 - 1), theme::PanelEdge);
  list->PopClipRect();
  ImGui::SetCursorScreenPos(ImVec2(x0, y0));
  ImGui::InvisibleButton("ruler", ImVec2(std::max(1.0f, x1 - x0), std::max(1.0f, size.y)));
  // Shift and a drag set the loop range; else a click or a drag seeks.
  static std::optional<int> loopFrom;
  const ImGuiIO& io = ImGui::GetIO();
  if (ImGui::IsItemActivated() && io.KeyShift) loopFrom = axis.SnappedRowAt(io.MousePos.x - x0);
  if (loopFrom) {
    const int here = axis.SnappedRowAt(io.MousePos.x - x0);
    if (here != *loopFrom) c.LoopAsked = TRowRange{std::min(*loopFrom, here), std::max(*loopFrom, here) - 1};
    if (!ImGui::IsItemActive()) loopFrom.reset();
  } else {
    SeekAndScroll(c, x0);
  }
  ImGui::EndChild();
}
