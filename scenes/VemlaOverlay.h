// The picture overlay: a 256 x 256 texture that always holds a rippling blend
// of two of six pictures, switched at random on the beat, and laid over the
// frame when its channel is active.
#pragma once
#include <cstdint>
#include <memory>

#include "scene3d/LUM2Grid.h"

// Pictures 1 to 6 (slot 0 unused).
extern uint32_t OverlayPictures[7];
extern uint32_t OverlayTexture;
extern std::unique_ptr<TLUMGrid> OverlayGrid;
// The picture drawn first and the one blended over it, each 1 to 6.
extern int32_t OverlayIndexA;
extern int32_t OverlayIndexB;

void InitOverlay();
// The pictures the program starts with: 1 under 4.
void ResetOverlayIndices();
// A frame's choice of pictures: reseeds, and near the crests of the beat
// waves draws a picture index afresh. The frame director steps it before
// anything is drawn (runtime/FrameState.h), shown or not.
void StepOverlayIndices();
// Renders the overlay texture from the chosen pictures; runs every frame
// before any scene and leaves the frame cleared.
void UpdateOverlayTexture();
// For a frame that does not show the overlay: everything UpdateOverlayTexture
// does (the GL state it leaves, the cleared frame) but rendering the
// texture, which is drawn afresh whenever it is shown.
// frameDrawn: something has been drawn since the frame was last cleared.
void SkipOverlayTexture(bool frameDrawn);
// The bound picture on the overlay grid, rippling near each beat's crest.
void DrawOverlayGrid(float phase);
// Adds the overlay texture over the whole frame at this alpha.
void RenderOverlay(float alpha);
// A picture index from a draw r in [0, 1): r * 5 rounded half to even, plus 1.
int32_t OverlayIndexFromDraw(double r);
