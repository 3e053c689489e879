#include "scenes/Clockwork.h"

// Not built yet.
void InitClockwork() {}
void RenderClockNestGlow(float) {}
void RenderPeaSwarm(float) {}
void RenderWarpEcho(float) {}
void RenderClockNest(float) {}
void RenderClockTunnel() {}
void DrawLetterbox(float) {}
