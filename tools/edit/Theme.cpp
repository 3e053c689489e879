#include "Theme.h"

#include <cmath>
#include <cstdio>

#include "platform/FontFiles.h"
#include "platform/Stream.h"

namespace {
ImFont* Ui = nullptr;
ImFont* Mono = nullptr;

ImFont* LoadFont(const std::string& face, float size) {
  const std::string file = FindFontFile(face, false);
  ImGuiIO& io = ImGui::GetIO();
  if (file.empty() || !FileExists(file)) return nullptr;
  ImFontConfig config;
  config.OversampleH = 2;
  config.PixelSnapH = true;
  // The glyphs beyond ASCII the editor writes: dashes, arrows, the dot.
  static const ImWchar ranges[] = {0x0020, 0x00FF, 0x2013, 0x2022, 0x2190, 0x2193, 0x25B6, 0x25B6, 0x25A0, 0x25A0, 0};
  return io.Fonts->AddFontFromFileTTF(file.c_str(), size, &config, ranges);
}

ImVec4 Colour(ImU32 c) { return ImGui::ColorConvertU32ToFloat4(c); }
}  // namespace

void SetupTheme() {
  ImGuiIO& io = ImGui::GetIO();
  Ui = LoadFont("DejaVu Sans", 15);
  Mono = LoadFont("DejaVu Sans Mono", 14);
  if (Ui == nullptr) Ui = io.Fonts->AddFontDefault();
  if (Mono == nullptr) Mono = Ui;
  io.FontDefault = Ui;
  io.ConfigInputTextCursorBlink = false;  // a blinking caret would keep an idle editor drawing

  ImGui::StyleColorsDark();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 0;
  style.ChildRounding = 0;
  style.FrameRounding = 3;
  style.PopupRounding = 4;
  style.GrabRounding = 3;
  style.WindowBorderSize = 0;
  style.ChildBorderSize = 0;
  style.FramePadding = ImVec2(7, 4);
  style.ItemSpacing = ImVec2(8, 5);
  style.WindowPadding = ImVec2(10, 8);
  ImVec4* c = style.Colors;
  c[ImGuiCol_WindowBg] = Colour(theme::Window);
  c[ImGuiCol_ChildBg] = Colour(theme::Panel);
  c[ImGuiCol_PopupBg] = Colour(IM_COL32(32, 36, 44, 250));
  c[ImGuiCol_MenuBarBg] = Colour(IM_COL32(30, 33, 40, 255));
  c[ImGuiCol_Border] = Colour(theme::PanelEdge);
  c[ImGuiCol_Text] = Colour(theme::Text);
  c[ImGuiCol_TextDisabled] = Colour(theme::TextDim);
  c[ImGuiCol_FrameBg] = Colour(IM_COL32(38, 42, 52, 255));
  c[ImGuiCol_FrameBgHovered] = Colour(IM_COL32(48, 54, 66, 255));
  c[ImGuiCol_FrameBgActive] = Colour(IM_COL32(56, 63, 78, 255));
  c[ImGuiCol_Button] = Colour(IM_COL32(44, 49, 61, 255));
  c[ImGuiCol_ButtonHovered] = Colour(IM_COL32(58, 66, 82, 255));
  c[ImGuiCol_ButtonActive] = Colour(theme::Accent);
  c[ImGuiCol_Header] = Colour(IM_COL32(48, 56, 72, 255));
  c[ImGuiCol_HeaderHovered] = Colour(IM_COL32(60, 72, 96, 255));
  c[ImGuiCol_HeaderActive] = Colour(theme::Accent);
  c[ImGuiCol_CheckMark] = Colour(theme::Accent);
  c[ImGuiCol_SliderGrab] = Colour(theme::Accent);
  c[ImGuiCol_Separator] = Colour(theme::PanelEdge);
  c[ImGuiCol_TitleBg] = Colour(IM_COL32(30, 33, 40, 255));
  c[ImGuiCol_TitleBgActive] = Colour(IM_COL32(38, 44, 56, 255));
  c[ImGuiCol_ModalWindowDimBg] = Colour(IM_COL32(0, 0, 0, 120));
}

ImFont* UiFont() { return Ui; }
ImFont* MonoFont() { return Mono; }

ImU32 ChannelColour(int channel, float alpha) {
  // Eleven hues evenly around the circle, one for each of the demo's
  // channels, dealt out four steps apart so that neighbouring columns differ
  // most; further channels take them again, darker.
  constexpr int Hues = 11;
  const int k = channel % Hues;
  const float hue = std::fmod(0.58f + static_cast<float>((k * 4) % Hues) / Hues, 1.0f);
  float r = 0, g = 0, b = 0;
  ImGui::ColorConvertHSVtoRGB(hue, 0.55f, channel < Hues ? 0.96f : 0.72f, r, g, b);
  return ImGui::ColorConvertFloat4ToU32(ImVec4(r, g, b, alpha));
}

std::string CellValue(float value) {
  std::string text = FormatValue(value);
  if (text.size() <= 6) return text;
  char shorter[32];
  std::snprintf(shorter, sizeof shorter, std::fabs(value) >= 1000 ? "%.4g" : "%.3f", value);
  text = shorter;
  if (text.find('.') != std::string::npos && text.find('e') == std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

void DrawShapeIcon(ImDrawList* list, ImVec2 pos, float size, Shape shape, ImU32 colour) {
  const float x0 = pos.x, y0 = pos.y, x1 = pos.x + size, y1 = pos.y + size;
  switch (shape) {
    case Shape::Hold: {
      const ImVec2 points[] = {{x0, y1}, {x0 + size * 0.5f, y1}, {x0 + size * 0.5f, y0}, {x1, y0}};
      list->AddPolyline(points, 4, colour, 0, 1.5f);
      break;
    }
    case Shape::Linear: list->AddLine(ImVec2(x0, y1), ImVec2(x1, y0), colour, 1.5f); break;
    case Shape::Smooth:
      list->AddBezierCubic(ImVec2(x0, y1), ImVec2(x0 + size * 0.6f, y1), ImVec2(x1 - size * 0.6f, y0), ImVec2(x1, y0),
                           colour, 1.5f, 8);
      break;
    case Shape::Ramp:
      list->AddBezierQuadratic(ImVec2(x0, y1), ImVec2(x0 + size * 0.5f, y1), ImVec2(x1, y0), colour, 1.5f, 8);
      break;
  }
}

void DrawTimeGrid(ImDrawList* list, const TTimeAxis& axis, float x0, float x1, float y0, float y1, bool numbers) {
  const double perRow = axis.PixelsPerRow();
  const int beat = axis.RowsPerBeat(), bar = axis.RowsPerBar();
  const int first = std::max(0, static_cast<int>(axis.RowAt(0)) / beat * beat);
  const double last = std::min<double>(axis.RowAt(x1 - x0), axis.LastRow());
  // Beat lines only where they stand apart; bar numbers every so many bars
  // to leave room for each.
  const bool beats = perRow * beat >= 6;
  int every = 1;
  while (perRow * bar * every < 36) every *= 2;
  for (int row = first; row <= last; row += beat) {
    const float x = x0 + static_cast<float>(axis.PixelOf(row));
    if (x < x0) continue;
    const bool onBar = row % bar == 0;
    if (onBar || beats) list->AddLine(ImVec2(x, y0), ImVec2(x, y1), onBar ? theme::BarLine : theme::BeatLine);
    if (numbers && onBar && (row / bar) % every == 0) {
      char label[16];
      std::snprintf(label, sizeof label, "%d", row / bar);
      list->AddText(ImVec2(x + 3, y0 + 1), theme::TextDim, label);
    }
  }
}
