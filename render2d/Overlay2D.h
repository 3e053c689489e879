// Screen-space drawing over the frame: clearing, the overlay bracket, quads
// in window pixels of the 800 x 600 window (origin lower left), and the font.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Types.h"

void ClearFrame();
// Projection := 0..window width by 0..window height, y up, near -1, far 100.
void SetOrthoProjection();
// Projection := 45 degrees at the constant aspect 4/3.
void SetPerspectiveProjection();
void BeginOverlay();
void EndOverlay();
void DrawTexturedQuad(uint32_t texture, float x, float y, float w, float h);
void DrawTintedQuad(uint32_t texture, const TColor4& colour, float x, float y, float w, float h);
void DrawTintedQuadAdditive(uint32_t texture, const TColor4& colour, float x, float y, float w, float h);
void FillQuadAdditive(const TColor4& colour, float x, float y, float w, float h);
uint32_t BuildFont(const std::string& faceName, int32_t height, bool bold);
void SetFontBase(uint32_t base);
