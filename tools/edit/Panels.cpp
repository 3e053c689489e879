#include "Panels.h"

void TPanelContext::Take(const TApplied& applied) {
  Asked.Changed = Asked.Changed || applied.Changed;
  Asked.Moved = Asked.Moved || applied.Moved;
  if (applied.ForProgram != TAction::None) Asked.ForProgram = applied.ForProgram;
}

ImDrawList* BeginPanel(const char* name, ImVec2 size, ImVec2& origin) {
  ImGui::BeginChild(name, size, false, ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
  origin = ImGui::GetCursorScreenPos();
  return ImGui::GetWindowDrawList();
}

void WheelOverItem(TTimeAxis& axis, float linesPerClick) {
  const ImGuiIO& io = ImGui::GetIO();
  if (!ImGui::IsItemHovered() || io.MouseWheel == 0) return;
  if (io.KeyCtrl)
    axis.Zoom(io.MouseWheel > 0 ? 1 : -1);
  else
    axis.ScrollBy(-io.MouseWheel * linesPerClick * axis.RowsPerBeat() / axis.LinesPerBeat());
}
