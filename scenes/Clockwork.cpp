#include "scenes/Clockwork.h"

#include <GL/gl.h>

#include <cmath>

#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"
#include "platform/Random.h"
#include "platform/SharedState.h"
#include "render2d/Overlay2D.h"
#include "render2d/RenderTexture.h"
#include "scene3d/LUM2Lights.h"
#include "scene3d/LUM2Materials.h"
#include "scenes/Beat.h"

std::unique_ptr<TLUMBrush> ClockBrush;
std::unique_ptr<TLUMBrush> PeaBrush;
uint32_t ClockTexture = NoTexture;
uint32_t WarpPicture = NoTexture;
std::unique_ptr<TLUMGrid> WarpGrid;
uint32_t ClockRenderTexture = NoTexture;
namespace {
constexpr Vec3 StartEye{600, 400, 100};
}  // namespace

Vec3 CameraEye = StartEye;
Vec3 CameraTarget{0, 0, 0};
Vec3 CameraUp{0, 1, 0};

namespace {
// The glow's render texture: 256 pixels of an 800 x 600 frame, more in a
// frame drawn at a larger size.
constexpr int32_t GlowSize = 256;
// The tunnel's clocks are added at this alpha, and the peas drawn with it.
constexpr float TunnelAlpha = 0.3f;
int32_t GlowSide = GlowSize;

float F(double x) { return static_cast<float>(x); }

// Unlit, sphere-mapped with the chrome picture, added on top of each other
// without depth testing. The normals stay as the scaling leaves them: the
// sphere map then looks up the nest's larger, outer clocks nearer the
// picture's middle, which gives the nest its blue-over-amber chrome; made
// unit length (as the stamp room's light would leave it), the chrome turns
// to hard glints that burn out where the rings pile up.
void BeginClockPass(float alpha) {
  DisableLighting();
  glDisable(GL_NORMALIZE);
  DefaultMaterial();
  BindTexture(ClockTexture);
  BlendAdditiveAlpha();
  glColor4f(1, 1, 1, alpha);
  glDisable(GL_DEPTH_TEST);
  EnableTexGen();
}
}  // namespace

void InitClockwork() {
  ClockBrush = std::make_unique<TLUMBrush>("clock.3ds");
  PeaBrush = std::make_unique<TLUMBrush>("pea.3ds");
  PeaBrush->Scale(MakeVec3(0.25f, 0.25f, 0.25f));
  ClockTexture = GetTexture("6.jpg");
  if (ClockTexture != NoTexture) {
    // The chrome is looked up in one mipmap level per pixel: on the clocks'
    // thin rings a blend of two levels cannot be seen, and it would cost a
    // second lookup for every pixel of every layer.
    glBindTexture(GL_TEXTURE_2D, ClockTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  GetTexture("4.jpg");  // loaded with the others; no scene draws it
  WarpPicture = GetTexture("7.jpg");
  WarpGrid = std::make_unique<TLUMGrid>(40, 40);
  GlowSide = RenderTextureSide(GlowSize);
  ClockRenderTexture = CreateRenderTexture(GlowSide);
  ResetClockCamera();
}

void ResetClockCamera() {
  CameraEye = StartEye;
  CameraTarget = MakeVec3(0, 0, 0);
  CameraUp = MakeVec3(0, 1, 0);
}

void RenderClockNest(float value) {
  const double t = SceneTime;
  SetFieldOfView(20 * value + 65);
  SetCameraLookAt(CameraEye, CameraTarget, CameraUp);
  BeginClockPass(0.2f);
  for (int n = 0; n <= 10; ++n) {
    glPushMatrix();
    const float s = BeatWave(2) + 1.5f + 0.4f * n;
    glScalef(s, s, s);
    glRotatef(F(600 * std::sin(0.3 * t * std::sqrt(0.4 * n))), F(std::sin(t)), 0.1f * value, 0.3f);
    DrawBrush(ClockBrush);
    glPopMatrix();
  }
  DisableTexGen();
  SetFieldOfView(45);
}

void StepNestGlowBeat() {
  UpdateBeat();
  if (BeatFlag) {
    CameraEye = RandomVec3(600, 600, 600);
    BeatFlag = false;
  }
}

void RenderClockNestGlow(float value) {
  const double t = SceneTime;
  SetRenderViewport(GlowSide);
  RenderClockNest(value);
  CopyFrameToTexture(ClockRenderTexture, GlowSide);
  DrawRadialBlur(GlowSide, ClockRenderTexture, 3, 0, 40 * value + 40, 3);
  ClearFrame();
  RenderClockNest(value);
  BeginOverlay();
  DrawTintedQuadAdditive(ClockRenderTexture, MakeColor4(1, 1, 1, value), 0, 0, 800, 600);
  FillQuadAdditive(MakeColor4(F(0.6 * std::sin(2 * t)), F(0.6 * std::sin(t)), F(0.6 * std::sin(t)), value), 0, 0, 800,
                   600);
  EndOverlay();
}

void RenderClockTunnel() {
  const double t = SceneTime;
  const double wave = BeatWave(1);
  gluLookAt(30 * wave + 100 * std::sin(BeatRandom), 20 * std::sin(t) * wave, 800 * std::sin(t + 2.4 * BeatRandom) - 300,
            0, 0, 0, 0, 1, 0);
  BeginClockPass(TunnelAlpha);
  for (int n = 0; n <= 30; ++n) {
    glPushMatrix();
    glTranslatef(0, 0, 100.0f * n - 1000);
    glRotatef(90, 1, 0, 0);
    glRotatef(F(30 * wave), 0, 0, 1);
    glRotatef(F(60 * std::sin(0.6 * n + t)), 0, 1, 1);
    DrawBrush(ClockBrush);
    glPopMatrix();
  }
  DisableTexGen();
}

void StepPeaSwarmBeat() {
  UpdateBeat();
  if (BeatFlag) {
    BeatRandom = static_cast<float>(RandomFloat());
    BeatFlag = false;
  }
}

void RenderPeaSwarm(float) {
  const double t = SceneTime;
  SetRenderViewport(GlowSide);
  RenderClockTunnel();
  CopyFrameToTexture(ClockRenderTexture, GlowSide);
  DrawRadialBlur(GlowSide, ClockRenderTexture, 3, F(10 * std::sin(3 * t)), 40 * BeatWave(1) + 30, 3);
  BeginOverlay();
  DrawTexturedQuad(ClockRenderTexture, 0, 0, 800, 600);
  EndOverlay();
  RenderClockTunnel();

  glLoadIdentity();
  gluLookAt(-400, 400, 400, 0, 0, 0, 0, 1, 0);
  // The peas are drawn in the tunnel pass's colour: white at alpha 0.3.
  glColor4f(1, 1, 1, TunnelAlpha);
  DisableTexGen();
  glDisable(GL_TEXTURE_2D);
  DefaultMaterial();
  glDisable(GL_LIGHTING);
  BlendAlpha();
  glEnable(GL_DEPTH_TEST);
  for (int n = 0; n <= 300; ++n) {
    const double root = std::sqrt(static_cast<double>(n));
    glPushMatrix();
    glRotatef(F(t), static_cast<float>(n), 1, 1);
    glScalef(F(root * std::sin(n + t)), F(root * std::sin(0.8 * t + n)), F(root * std::sin(0.7 * t + n)));
    glTranslatef(F(250 * std::sin(n + t)), F(280 * std::sin(1.9 * t * n * 0.3)), F(280 * std::sin(1.4 * t + 5 * n)));
    DrawBrush(PeaBrush);
    glPopMatrix();
  }
  DisableTexGen();
  // A veil of alpha 0 or less adds nothing: half the time it is not drawn.
  const float veil = BeatWave(2) * BeatWave(1);
  if (veil > 0) {
    BeginOverlay();
    FillQuadAdditive(MakeColor4(0.8f, F(1.6 + 0.8 * std::sin(9 * t)), 0.8f, veil), 0, 0, 800, 600);
    EndOverlay();
  } else {
    SetPerspectiveProjection();
  }
}

void DrawWarpGrid() {
  const double t = SceneTime;
  BindTexture(WarpPicture);
  if (!WarpGrid) return;
  WarpGrid->Reset();
  float b = BeatWave(1);
  if (b < 0) b = 0;
  b += 0.5f;
  for (int32_t i = 0; i < WarpGrid->CountX; ++i)
    for (int32_t j = 0; j < WarpGrid->CountY; ++j) {
      TTexCoord& cell = WarpGrid->Cells[i][j];
      cell.u += F(std::sin(2.1 * t + j / 3.0) * 0.15 * b);
      cell.v += F(std::sin(3.3 * t + i / 3.0) * 0.15 * b);
    }
  BeginOverlay();
  WarpGrid->Draw(0, 0, 800, 600);
  EndOverlay();
}

void RenderWarpEcho(float value) {
  const double t = SceneTime;
  SetRenderViewport(GlowSide);
  DrawWarpGrid();
  CopyFrameToTexture(ClockRenderTexture, GlowSide);
  DrawRadialBlur(GlowSide, ClockRenderTexture, 4, 0, 25 * BeatWave(4) + 50, 4);
  ClearFrame();
  BeginOverlay();
  const TColor4 tint = MakeColor4(F(1 + 0.5 * value * std::sin(t)), F(1 + 0.5 * std::sin(2 * t)), 1, 1);
  for (int i = 0; i <= 5; ++i) {
    const float e = 4.0f * i;
    DrawTintedQuadAdditive(ClockRenderTexture, tint, -e, -e, 800 + 2 * e, 600 + 2 * e);
  }
  EndOverlay();
}

void DrawLetterbox(float alpha) {
  BeginOverlay();
  FillQuad(MakeColor4(0, 0, 0, alpha), 0, 0, 800, LetterboxRows);
  FillQuad(MakeColor4(0, 0, 0, alpha), 0, 600 - LetterboxRows, 800, LetterboxRows);
  EndOverlay();
}
