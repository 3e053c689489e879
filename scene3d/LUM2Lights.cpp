#include "scene3d/LUM2Lights.h"

GLenum CurrentLight = 0;
float LightPosition[4] = {0, 0, 0, 1};
float LightAmbient[4] = {};
float LightDiffuse[4] = {};

void SelectLight(GLenum light) { CurrentLight = light; }

void SetLightPosition(const Vec3& position) {
  LightPosition[0] = position.x;
  LightPosition[1] = position.y;
  LightPosition[2] = position.z;
  LightPosition[3] = 1.0f;
  glLightfv(CurrentLight, GL_POSITION, LightPosition);
}

void SetLightColors(const TColor4& ambient, const TColor4& diffuse) {
  const float a[4] = {ambient.r, ambient.g, ambient.b, ambient.a};
  const float d[4] = {diffuse.r, diffuse.g, diffuse.b, diffuse.a};
  for (int k = 0; k < 4; ++k) {
    LightAmbient[k] = a[k];
    LightDiffuse[k] = d[k];
  }
  glLightfv(CurrentLight, GL_AMBIENT, LightAmbient);
  glLightfv(CurrentLight, GL_DIFFUSE, LightDiffuse);
}

void SetupLight() {
  glEnable(CurrentLight);
  SetLightPosition(MakeVec3(10, 10, 10));
  SetLightColors(MakeColor4(1, 1, 1, 1), MakeColor4(1, 1, 1, 1));
  glEnable(GL_LIGHTING);
  glEnable(GL_NORMALIZE);
}

void DisableLighting() { glDisable(GL_LIGHTING); }
