// Screen-space drawing over the frame: clearing, the overlay bracket, the two
// projections, quads in window pixels of the 800 x 600 window (origin lower
// left, y up), camera-facing billboards, and the bitmap font's display lists.
// Every quad drawer leaves the projection at the standard perspective and
// the matrix mode at GL_MODELVIEW.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Types.h"

// Display-list name of character code 0 of the bitmap font; 0 until set.
extern uint32_t FontBase;

// Clears colour and depth; modelview := identity.
void ClearFrame();
// Projection := 0..window width by 0..window height, y up, near -1, far 100.
void SetOrthoProjection();
// Projection := 45 degrees at the constant aspect 4/3.
void SetPerspectiveProjection();
// Saves the current matrix, loads the identity and moves 1 unit into the screen.
void BeginOverlay();
// Restores the matrix BeginOverlay saved.
void EndOverlay();

// Textured, tinted by colour, alpha blending. Leaves lighting and depth test
// on, texturing on with texture bound, fog off, the current colour at colour.
void DrawTintedQuad(uint32_t texture, const TColor4& colour, float x, float y, float w, float h);
// As DrawTintedQuad but additive (GL_SRC_ALPHA, GL_ONE); fog is left alone.
void DrawTintedQuadAdditive(uint32_t texture, const TColor4& colour, float x, float y, float w, float h);
// Textured in opaque white, alpha blending. Leaves lighting and depth test
// on, texturing on, colour material off and the default material set.
void DrawTexturedQuad(uint32_t texture, float x, float y, float w, float h);
// Untextured, alpha blending; every attribute is restored afterwards.
void FillQuad(const TColor4& colour, float x, float y, float w, float h);
// Untextured, additive; every attribute is restored afterwards.
void FillQuadAdditive(const TColor4& colour, float x, float y, float w, float h);

// The camera's up and right directions: the first two rows of the modelview
// matrix's rotation part.
void GetBillboardAxes(Vec3& up, Vec3& right);
// A camera-facing textured square of half-width size centred on position,
// drawn with the caller's texture and blending.
void DrawBillboard(const Vec3& position, float size);

// Builds one glBitmap display list per character code 0 to 254 at the
// returned base + code, from the face (or DejaVu Sans when the system lacks
// it) at a character height of height pixels.
uint32_t BuildFont(const std::string& faceName, int32_t height, bool bold);
void SetFontBase(uint32_t base);
