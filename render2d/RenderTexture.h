// Render-to-texture: draw into the lower-left corner of the back buffer,
// copy it into a square texture, and feed it back with a radial blur.
#pragma once
#include <cstdint>

uint32_t CreateRenderTexture(int32_t size);
void SetRenderViewport(int32_t size);
void CopyFrameToTexture(uint32_t texture, int32_t size);
void DrawRadialBlur(int32_t size, uint32_t texture, int32_t layers, float twist, float spread, int32_t passes);
