// Render-to-texture: draw into the lower-left Size x Size corner of the back
// buffer, copy it into a square texture, and feed it back into itself with a
// multi-pass radial blur. Also the one-call camera.
#pragma once
#include <cstdint>

#include "platform/Types.h"

// A new square RGBA texture of side size (a power of two no larger than the
// window's height), level 0 only, linear filtering, all texels zero. It
// stays bound.
uint32_t CreateRenderTexture(int32_t size);
// What `units` pixels of an 800 x 600 frame come to in the frame drawn now,
// which may have more pixels than units (or fewer): rounded, at least 1.
int32_t FramePixels(int32_t units);
// The side of a render texture that holds as much of the picture as one of
// side `units` does in an 800 x 600 frame: the power of two nearest to
// FramePixels(units), no larger than the frame's smaller side allows. The
// units' own side where the frame has as many pixels as units.
int32_t RenderTextureSide(int32_t units);
// Viewport := the lower-left size x size pixels; the projections still span
// the whole window, so screen-space drawing is squeezed into the corner.
// Drawing there is never limited by LimitFrameRows.
void SetRenderViewport(int32_t size);
// While rows > 0, drawing and clearing at the full-window viewport only
// reach the window's lowest rows (in window pixels): the frame director
// leaves out the rows its top letterbox bar covers, which no render texture
// reads. 0 lifts the limit.
void LimitFrameRows(int32_t rows);
// The lower-left size x size pixels of the back buffer replace level 0 of
// the texture; the viewport is the full window again.
void CopyFrameToTexture(uint32_t texture, int32_t size);
// passes times: clears the frame (the first pass all of it, later passes the
// corner they draw in, since nothing else has been drawn) and averages layers
// copies of the texture,
// copy k turned by k * twist / layers degrees about the window centre and
// enlarged by k * spread window units on every side, then copies the result
// back into the texture. Leaves the full-window viewport, the standard
// perspective, identity modelview, lighting and depth test on, blending off.
void DrawRadialBlur(int32_t size, uint32_t texture, int32_t layers, float twist, float spread, int32_t passes);
void SetCameraLookAt(const Vec3& eye, const Vec3& centre, const Vec3& up);
