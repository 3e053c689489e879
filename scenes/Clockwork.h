// The clock effects: the clock nest and its glow, the tunnel, the pea swarm,
// the warp echo, and the letterbox bars that close every frame.
#pragma once

void InitClockwork();
void RenderClockNestGlow(float value);
void RenderPeaSwarm(float value);
void RenderWarpEcho(float value);
void RenderClockNest(float value);
void RenderClockTunnel();
void DrawLetterbox(float alpha);
