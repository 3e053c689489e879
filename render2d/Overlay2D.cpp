#include "render2d/Overlay2D.h"

#include <GL/gl.h>

// Only the frame clear is built yet; the drawers draw nothing.
void ClearFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
}
void BeginOverlay() {}
void EndOverlay() {}
void DrawTexturedQuad(uint32_t, float, float, float, float) {}
void DrawTintedQuad(uint32_t, const TColor4&, float, float, float, float) {}
void DrawTintedQuadAdditive(uint32_t, const TColor4&, float, float, float, float) {}
void FillQuadAdditive(const TColor4&, float, float, float, float) {}
uint32_t BuildFont(const std::string&, int32_t, bool) { return 0; }
void SetFontBase(uint32_t) {}
