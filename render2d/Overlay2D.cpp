#include "render2d/Overlay2D.h"

#include <GL/gl.h>

#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"

// Only the frame clear is built yet; the drawers draw nothing.
void ClearFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
}

void SetOrthoProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, ActiveWindow.Width, 0, ActiveWindow.Height, -1, 100);
  glMatrixMode(GL_MODELVIEW);
}

void SetPerspectiveProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45, 4.0 / 3.0, 1, FarPlane);
  glMatrixMode(GL_MODELVIEW);
}

void BeginOverlay() {}
void EndOverlay() {}
void DrawTexturedQuad(uint32_t, float, float, float, float) {}
void DrawTintedQuad(uint32_t, const TColor4&, float, float, float, float) {}
void DrawTintedQuadAdditive(uint32_t, const TColor4&, float, float, float, float) {}
void FillQuadAdditive(const TColor4&, float, float, float, float) {}
uint32_t BuildFont(const std::string&, int32_t, bool) { return 0; }
void SetFontBase(uint32_t) {}
