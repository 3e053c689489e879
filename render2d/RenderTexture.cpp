#include "render2d/RenderTexture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"
#include "platform/Presentation.h"
#include "render2d/Overlay2D.h"
#include "render2d/RenderState.h"

uint32_t CreateRenderTexture(int32_t size) {
  // Zero-filled, so a texture drawn before its first copy shows nothing.
  const std::vector<uint8_t> staging(static_cast<size_t>(size > 0 ? size : 0) * (size > 0 ? size : 0) * 4, 0);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, staging.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return name;
}

int32_t FramePixels(int32_t units) {
  if (ActiveWindow.Height <= 0) return std::max(units, 1);
  const double pixels = static_cast<double>(units) * FramePixelHeight() / ActiveWindow.Height;
  return std::max(1, static_cast<int32_t>(std::lround(pixels)));
}

int32_t RenderTextureSide(int32_t units) {
  const int32_t wanted = FramePixels(units);
  if (wanted == units) return units;
  // Nearest on a log scale: 460 pixels take 512, 300 take 256.
  int32_t side = 1 << std::clamp(static_cast<int>(std::lround(std::log2(static_cast<double>(wanted)))), 0, 30);
  // The texture is drawn in the frame's lower-left corner, which must hold it.
  const int32_t room = std::min(FramePixelWidth(), FramePixelHeight());
  while (side > room && side > 1) side /= 2;
  return side;
}

namespace {
int32_t FrameRows = 0;

// The limit applies at the full-frame viewport only. Rows are 800 x 600
// units; the frame may have more pixels than units.
void ApplyFrameRows() {
  if (FrameRows <= 0 || ActiveWindow.Height <= 0) {
    glDisable(GL_SCISSOR_TEST);
    return;
  }
  const int pixelRows = static_cast<int>(static_cast<long long>(FrameRows) * FramePixelHeight() / ActiveWindow.Height);
  glScissor(0, 0, FramePixelWidth(), pixelRows);
  glEnable(GL_SCISSOR_TEST);
}
}  // namespace

void SetRenderViewport(int32_t size) {
  glDisable(GL_SCISSOR_TEST);
  glViewport(0, 0, size, size);
}

void LimitFrameRows(int32_t rows) {
  FrameRows = rows;
  ApplyFrameRows();
}

void CopyFrameToTexture(uint32_t texture, int32_t size) {
  glBindTexture(GL_TEXTURE_2D, texture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, size, size);
  glViewport(0, 0, FramePixelWidth(), FramePixelHeight());
  ApplyFrameRows();
}

void DrawRadialBlur(int32_t size, uint32_t texture, int32_t layers, float twist, float spread, int32_t passes) {
  const float width = static_cast<float>(ActiveWindow.Width);
  const float height = static_cast<float>(ActiveWindow.Height);
  for (int32_t pass = 0; pass < passes; ++pass) {
    SetRenderViewport(size);
    // The first clear takes everything drawn before off the frame; after it
    // only the corner holds anything.
    if (pass > 0) {
      glScissor(0, 0, size, size);
      glEnable(GL_SCISSOR_TEST);
    }
    ClearFrame();
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    DisableTexGen();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, 1.0f / static_cast<float>(layers));
    SetOrthoProjection();
    for (int32_t k = 0; k < layers; ++k) {
      const float grow = static_cast<float>(k) * spread;
      glPushMatrix();
      glTranslatef(width * 0.5f, height * 0.5f, 0);
      glRotatef(static_cast<float>(k) * twist / static_cast<float>(layers), 0, 0, 1);
      glTranslatef(-width * 0.5f, -height * 0.5f, 0);
      glBegin(GL_QUADS);
      glTexCoord2f(0, 0);
      glVertex3f(-grow, -grow, 0);
      glTexCoord2f(1, 0);
      glVertex3f(width + grow, -grow, 0);
      glTexCoord2f(1, 1);
      glVertex3f(width + grow, height + grow, 0);
      glTexCoord2f(0, 1);
      glVertex3f(-grow, height + grow, 0);
      glEnd();
      glPopMatrix();
    }
    SetPerspectiveProjection();
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    CopyFrameToTexture(texture, size);
  }
}

void SetCameraLookAt(const Vec3& eye, const Vec3& centre, const Vec3& up) {
  gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
}
