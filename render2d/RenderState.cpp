#include "render2d/RenderState.h"

#include <GL/gl.h>

void DefaultMaterial() {
  const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  const float black[4] = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
}

void ResetRenderState() {
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_COLOR_MATERIAL);
  glColor4f(1, 1, 1, 1);
  glDisable(GL_COLOR_MATERIAL);
  DefaultMaterial();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
}

void SetMaterialColor(const TColor4& colour) {
  const float ambient[4] = {0, 0, 0, 1};
  const float diffuse[4] = {colour.r, colour.g, colour.b, colour.a};
  DisableTexGen();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
}

void BindTexture(uint32_t texture) {
  ResetRenderState();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glColor4f(1, 1, 1, 1);
}

void EnableTexGen() {
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
}

void DisableTexGen() {
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
}

void BlendAdditive() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
}

void BlendAdditiveAlpha() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void BlendAlpha() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
