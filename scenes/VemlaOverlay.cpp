#include "scenes/VemlaOverlay.h"

// Not built yet.
void InitOverlay() {}
void UpdateOverlayTexture() {}
void RenderOverlay(float) {}
