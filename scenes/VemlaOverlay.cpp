#include "scenes/VemlaOverlay.h"

#include <GL/gl.h>

#include <cmath>
#include <string>

#include "platform/Random.h"
#include "platform/SharedState.h"
#include "render2d/Overlay2D.h"
#include "render2d/RenderTexture.h"
#include "scene3d/LUM2Materials.h"
#include "scenes/Beat.h"

uint32_t OverlayPictures[7] = {NoTexture, NoTexture, NoTexture, NoTexture, NoTexture, NoTexture, NoTexture};
uint32_t OverlayTexture = NoTexture;
std::unique_ptr<TLUMGrid> OverlayGrid;
namespace {
constexpr int32_t StartIndexA = 1;
constexpr int32_t StartIndexB = 4;
}  // namespace

int32_t OverlayIndexA = StartIndexA;
int32_t OverlayIndexB = StartIndexB;

namespace {
// The overlay's render texture: 256 pixels of an 800 x 600 frame, more in a
// frame drawn at a larger size.
constexpr int32_t OverlaySize = 256;
int32_t OverlaySide = OverlaySize;
}  // namespace

void ResetOverlayIndices() {
  OverlayIndexA = StartIndexA;
  OverlayIndexB = StartIndexB;
}

void StepOverlayIndices() {
  Randomize();
  if (BeatWave(2) > 0.92f) OverlayIndexA = OverlayIndexFromDraw(RandomFloat());
  if (BeatWave(4) > 0.92f) OverlayIndexB = OverlayIndexFromDraw(RandomFloat());
}

int32_t OverlayIndexFromDraw(double r) {
  // The default rounding mode rounds halves to even: 1 and 6 come up half
  // as often as 2 to 5. A draw outside [0, 1) is kept inside the pictures.
  const double k = std::nearbyint(r * 5);
  if (!(k >= 0)) return 1;
  if (k > 5) return 6;
  return static_cast<int32_t>(k) + 1;
}

void InitOverlay() {
  for (int k = 1; k <= 6; ++k) OverlayPictures[k] = GetTexture("vemla\\" + std::to_string(k) + ".jpg");
  OverlaySide = RenderTextureSide(OverlaySize);
  OverlayTexture = CreateRenderTexture(OverlaySide);
  OverlayGrid = std::make_unique<TLUMGrid>(40, 40);
}

void UpdateOverlayTexture() {
  // Before InitOverlay there is no texture to render into.
  if (!OverlayGrid) {
    ClearFrame();
    return;
  }
  DisableTexGen();
  SetRenderViewport(OverlaySide);
  BindTexture(OverlayPictures[OverlayIndexA]);
  DrawOverlayGrid(1.44f);
  BindTexture(OverlayPictures[OverlayIndexB]);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
  DrawOverlayGrid(2.0f);
  CopyFrameToTexture(OverlayTexture, OverlaySide);
  ClearFrame();
}

void SkipOverlayTexture(bool frameDrawn) {
  if (!OverlayGrid) {
    ClearFrame();
    return;
  }
  // The state the rendering would leave: texture generation off, texturing
  // on with the overlay texture bound in white, the blend of the second
  // picture, lighting and depth testing on, the standard perspective.
  DisableTexGen();
  BindTexture(OverlayTexture);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  SetPerspectiveProjection();
  if (frameDrawn) {
    ClearFrame();
  } else {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
}

void DrawOverlayGrid(float phase) {
  if (!OverlayGrid) return;
  const double t = SceneTime;
  OverlayGrid->Reset();
  float b = BeatWave(1);
  if (b < 0) b = 0;
  const double c = 10 * std::pow(static_cast<double>(b), 5);
  for (int32_t i = 0; i < OverlayGrid->CountX; ++i)
    for (int32_t j = 0; j < OverlayGrid->CountY; ++j) {
      TTexCoord& cell = OverlayGrid->Cells[i][j];
      cell.u += static_cast<float>(std::sin(2.1 * t + phase + j / 13.0) * 0.15 * c);
      cell.v += static_cast<float>(std::sin(3.3 * t + phase + i / 13.0) * 0.15 * c);
    }
  BeginOverlay();
  OverlayGrid->Draw(0, 0, 800, 600);
  EndOverlay();
}

void RenderOverlay(float alpha) {
  DisableTexGen();
  BeginOverlay();
  DrawTintedQuadAdditive(OverlayTexture, MakeColor4(1, 1, 1, alpha), 0, 0, 800, 600);
  EndOverlay();
}
