// The clock effects: the clock nest and its glow, the tunnel, the pea swarm,
// the warp echo, and the letterbox bars that close every frame.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/Types.h"
#include "scene3d/LUM2Classes.h"
#include "scene3d/LUM2Grid.h"

extern std::unique_ptr<TLUMBrush> ClockBrush;
extern std::unique_ptr<TLUMBrush> PeaBrush;
extern uint32_t ClockTexture;
extern uint32_t WarpPicture;
extern std::unique_ptr<TLUMGrid> WarpGrid;
// The 256 x 256 texture the glows and the echo render into.
extern uint32_t ClockRenderTexture;
extern Vec3 CameraEye;
extern Vec3 CameraTarget;
extern Vec3 CameraUp;

// Loads the models and textures and makes the render texture.
void InitClockwork();
// The camera where the program starts it.
void ResetClockCamera();
// The nest of eleven clocks; value widens the view and tilts the turning axis.
void RenderClockNest(float value);
// A frame of the glowing nest's beat: the frame's time accumulates, and a
// crossed beat moves the camera to a random place. The frame director steps
// it before anything is drawn (runtime/FrameState.h).
void StepNestGlowBeat();
// The nest over its own blurred glow and a coloured veil, both faded by
// value, seen from where the beat has put the camera.
void RenderClockNestGlow(float value);
// Thirty-one clocks strung along the Z axis.
void RenderClockTunnel();
// A frame of the pea swarm's beat: a crossed beat draws BeatRandom afresh,
// which bends the tunnel. Stepped with the glowing nest's.
void StepPeaSwarmBeat();
// The tunnel over its glow, with 301 peas circling the origin.
void RenderPeaSwarm(float value);
// The rippling picture on the warp grid, in the current viewport.
void DrawWarpGrid();
// The rippling picture blurred and echoed six times, pulsing red by value.
void RenderWarpEcho(float value);
// Height of each letterbox bar in screen units.
constexpr int LetterboxRows = 75;
// Black bars over the bottom and top 75 rows, at this alpha.
void DrawLetterbox(float alpha);
