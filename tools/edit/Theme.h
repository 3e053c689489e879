// How the editor looks: its dark style and colours, a colour for each
// channel, the fonts, and the drawing the panels share (the beat and bar
// lines of the time axis, a key's shape as a small picture, a value as a
// cell shows it).
#pragma once
#include <imgui.h>

#include <string>

#include "TimeAxis.h"

namespace theme {
constexpr ImU32 Window = IM_COL32(22, 24, 29, 255);
constexpr ImU32 Panel = IM_COL32(28, 31, 38, 255);
constexpr ImU32 PanelEdge = IM_COL32(48, 53, 64, 255);
constexpr ImU32 Text = IM_COL32(215, 218, 224, 255);
constexpr ImU32 TextDim = IM_COL32(128, 134, 148, 255);
constexpr ImU32 TextFaint = IM_COL32(84, 90, 104, 255);
constexpr ImU32 Accent = IM_COL32(77, 141, 247, 255);
constexpr ImU32 Error = IM_COL32(240, 96, 88, 255);
constexpr ImU32 Good = IM_COL32(110, 200, 120, 255);
constexpr ImU32 Warn = IM_COL32(235, 185, 80, 255);
constexpr ImU32 BarRow = IM_COL32(44, 49, 60, 255);
constexpr ImU32 BeatRow = IM_COL32(34, 38, 46, 255);
constexpr ImU32 BarLine = IM_COL32(78, 86, 104, 255);
constexpr ImU32 BeatLine = IM_COL32(44, 49, 60, 255);
constexpr ImU32 CursorRow = IM_COL32(77, 141, 247, 40);
constexpr ImU32 CursorCell = IM_COL32(77, 141, 247, 255);
constexpr ImU32 Selection = IM_COL32(77, 141, 247, 70);
constexpr ImU32 Playhead = IM_COL32(250, 200, 80, 255);
constexpr ImU32 Repeat = IM_COL32(178, 132, 255, 255);
constexpr ImU32 Mark = IM_COL32(120, 210, 170, 255);
constexpr ImU32 Loop = IM_COL32(250, 200, 80, 46);
constexpr ImU32 Wave = IM_COL32(70, 96, 134, 255);
constexpr ImU32 Loudness = IM_COL32(160, 200, 250, 255);
constexpr float Gutter = 86;  // the label column left of the horizontal panels
}  // namespace theme

// The editor's style; the fonts from the system's DejaVu faces (ImGui's own
// where there are none).
void SetupTheme();
ImFont* UiFont();
ImFont* MonoFont();

// Channel c's colour, at an alpha from 0 to 1.
ImU32 ChannelColour(int channel, float alpha = 1);

// A value as a tracker cell shows it: "off", or the number in at most
// about six characters.
std::string CellValue(float value);

// The shape of a key drawn in a box of side size at pos: a step (hold),
// a slope (linear) or an S (smooth).
void DrawShapeIcon(ImDrawList* list, ImVec2 pos, float size, Shape shape, ImU32 colour);

// The time axis's beat and bar lines across a horizontal panel whose time
// runs from x0 (pixel 0 of the axis) to x1, between y0 and y1; with
// numbers, each bar line's bar number at the top, as many as there is room
// for.
void DrawTimeGrid(ImDrawList* list, const TTimeAxis& axis, float x0, float x1, float y0, float y1, bool numbers);
