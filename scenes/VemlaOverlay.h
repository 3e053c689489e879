// The picture overlay: a rippling blend of two of six pictures laid over the frame.
#pragma once

void InitOverlay();
// Renders the next overlay texture; leaves the frame cleared.
void UpdateOverlayTexture();
void RenderOverlay(float alpha);
