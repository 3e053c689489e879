#include "render2d/RenderTexture.h"

// Not built yet.
uint32_t CreateRenderTexture(int32_t) { return 0; }
void SetRenderViewport(int32_t) {}
void CopyFrameToTexture(uint32_t, int32_t) {}
void DrawRadialBlur(int32_t, uint32_t, int32_t, float, float, int32_t) {}
