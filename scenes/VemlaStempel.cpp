#include "scenes/VemlaStempel.h"

#include <GL/gl.h>

#include <cmath>

#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"
#include "platform/SharedState.h"
#include "render2d/Overlay2D.h"
#include "scene3d/LUM2Lights.h"
#include "scene3d/LUM2Materials.h"
#include "scenes/Beat.h"

std::unique_ptr<TLUMBrush> RoomBrush;
std::unique_ptr<TLUMBrush> StampBrush;
uint32_t WallsTexture = NoTexture;
uint32_t StampTexture = NoTexture;
uint32_t ParticleTexture = NoTexture;

void InitStampRoom() {
  RoomBrush = std::make_unique<TLUMBrush>("cuberoom.3ds");
  StampBrush = std::make_unique<TLUMBrush>("stempel.3ds");
  StampBrush->Scale(MakeVec3(0.15f, 0.15f, 0.15f));
  WallsTexture = GetTexture("walls.jpg");
  StampTexture = GetTexture("stempelmetall.jpg");
  GetTexture("sparks.jpg");  // loaded with the others; never drawn
  ParticleTexture = GetTexture("particle.jpg");
}

float StampHeight(int i, int j) {
  const double t = SceneTime;
  double e = std::sin(8.0 * j + 5.8 * t) + std::sin(8.0 * i + 5.4 * t);
  if (e > 1) e = 40 * std::fabs(BeatWave(1));
  return static_cast<float>(5 * std::sin(0.8 * j * t) + e + 5 * std::sin(i * t) * BeatWave(2));
}

bool StampFlashes(float height) { return height > 30; }

void RenderStampRoom() {
  const double t = SceneTime;
  SetFieldOfView(140);
  gluLookAt(40 * std::sin(t), 10 * std::sin(t), 40 * std::cos(0.9 * t), 0, 0, 0, 0, 1, 0);
  SelectLight(GL_LIGHT0);
  SetupLight();
  DefaultMaterial();

  // Five copies of the room, added on top of each other.
  BindTexture(WallsTexture);
  BlendAdditive();
  glDisable(GL_DEPTH_TEST);
  for (int i = 0; i <= 4; ++i) {
    glPushMatrix();
    const float s = 1 + 0.4f * i;
    glScalef(s, s, s);
    DrawBrush(RoomBrush);
    glPopMatrix();
  }

  glEnable(GL_DEPTH_TEST);
  glPushMatrix();
  glTranslatef(-60, 0, -60);
  for (int i = 0; i <= 5; ++i)
    for (int j = 0; j <= 5; ++j) {
      const float h = StampHeight(i, j);
      glPushMatrix();
      glTranslatef(20.0f * i, 0, 20.0f * j);
      // Opaque, lit, sphere-mapped metal: BindTexture turns blending off.
      BindTexture(StampTexture);
      EnableTexGen();
      glPushMatrix();
      glTranslatef(0, 40 - h, 0);
      DrawBrush(StampBrush);
      glPopMatrix();
      glPushMatrix();
      glTranslatef(0, h - 40, 0);
      glRotatef(180, 1, 0, 0);
      DrawBrush(StampBrush);
      glPopMatrix();
      if (StampFlashes(h)) {
        glDisable(GL_DEPTH_TEST);
        BindTexture(ParticleTexture);
        BlendAdditiveAlpha();
        // The alpha passes 1 unclamped once h is past 30.
        glColor4f(0.6f, static_cast<float>(0.8 + 0.2 * std::sin(i * j + t)), 0.6f, (h - 20) / 10);
        DrawBillboard(MakeVec3(0, 0, 0), 100);
      }
      glEnable(GL_DEPTH_TEST);
      glPopMatrix();
    }
  glPopMatrix();
  SetFieldOfView(45);
}
