#include "render2d/Overlay2D.h"

#include <GL/gl.h>

#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"
#include "render2d/FontRaster.h"
#include "render2d/RenderState.h"

uint32_t FontBase = 0;

namespace {
constexpr GLsizei FontListCount = 255;

void Quad(float x, float y, float w, float h, bool textured) {
  glBegin(GL_QUADS);
  if (textured) glTexCoord2f(0, 0);
  glVertex3f(x, y, 0);
  if (textured) glTexCoord2f(1, 0);
  glVertex3f(x + w, y, 0);
  if (textured) glTexCoord2f(1, 1);
  glVertex3f(x + w, y + h, 0);
  if (textured) glTexCoord2f(0, 1);
  glVertex3f(x, y + h, 0);
  glEnd();
}

// A picture on the screen takes its own texture coordinates: generated ones,
// left on by a sphere-mapped model drawn before, would smear it.
void BeginTinted(uint32_t texture, const TColor4& colour) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  DisableTexGen();
  glEnable(GL_TEXTURE_2D);
  glColor4f(colour.r, colour.g, colour.b, colour.a);
  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_BLEND);
}

void EndTextured() {
  SetPerspectiveProjection();
  glDisable(GL_BLEND);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
}

void Fill(const TColor4& colour, float x, float y, float w, float h, GLenum destinationFactor) {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, destinationFactor);
  SetOrthoProjection();
  glColor4f(colour.r, colour.g, colour.b, colour.a);
  Quad(x, y, w, h, false);
  SetPerspectiveProjection();
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glPopAttrib();
}
}  // namespace

void ClearFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
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

void BeginOverlay() {
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0, 0, -1);
}

void EndOverlay() { glPopMatrix(); }

void DrawTintedQuad(uint32_t texture, const TColor4& colour, float x, float y, float w, float h) {
  BeginTinted(texture, colour);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_FOG);
  SetOrthoProjection();
  Quad(x, y, w, h, true);
  EndTextured();
}

void DrawTintedQuadAdditive(uint32_t texture, const TColor4& colour, float x, float y, float w, float h) {
  BeginTinted(texture, colour);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  SetOrthoProjection();
  Quad(x, y, w, h, true);
  EndTextured();
}

void DrawTexturedQuad(uint32_t texture, float x, float y, float w, float h) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  DisableTexGen();
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  SetOrthoProjection();
  Quad(x, y, w, h, true);
  EndTextured();
  glDisable(GL_COLOR_MATERIAL);
  DefaultMaterial();
}

void FillQuad(const TColor4& colour, float x, float y, float w, float h) {
  Fill(colour, x, y, w, h, GL_ONE_MINUS_SRC_ALPHA);
}

void FillQuadAdditive(const TColor4& colour, float x, float y, float w, float h) { Fill(colour, x, y, w, h, GL_ONE); }

void GetBillboardAxes(Vec3& up, Vec3& right) {
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  right = MakeVec3(m[0], m[4], m[8]);
  up = MakeVec3(m[1], m[5], m[9]);
}

void DrawBillboard(const Vec3& p, float s) {
  Vec3 u, r;
  GetBillboardAxes(u, r);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex3f(p.x + s * (-r.x - u.x), p.y + s * (-r.y - u.y), p.z + s * (-r.z - u.z));
  glTexCoord2f(1, 0);
  glVertex3f(p.x + s * (r.x - u.x), p.y + s * (r.y - u.y), p.z + s * (r.z - u.z));
  glTexCoord2f(1, 1);
  glVertex3f(p.x + s * (r.x + u.x), p.y + s * (r.y + u.y), p.z + s * (r.z + u.z));
  glTexCoord2f(0, 1);
  glVertex3f(p.x + s * (-r.x + u.x), p.y + s * (-r.y + u.y), p.z + s * (-r.z + u.z));
  glEnd();
}

uint32_t BuildFont(const std::string& faceName, int32_t height, bool bold) {
  const GLuint base = glGenLists(FontListCount);
  const TFontGlyphs font = RasteriseFont(faceName, height, bold);
  // The bitmaps' rows are byte-aligned; the alignment is captured as each
  // list is compiled.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (GLsizei code = 0; code < FontListCount; ++code) {
    const TGlyphBitmap& glyph = font.Glyphs[code];
    static const GLubyte Empty = 0;
    glNewList(base + code, GL_COMPILE);
    glBitmap(glyph.Width, glyph.Height, glyph.OriginX, glyph.OriginY, glyph.Advance, 0,
             glyph.Bits.empty() ? &Empty : glyph.Bits.data());
    glEndList();
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  return base;
}

void SetFontBase(uint32_t base) { FontBase = base; }
