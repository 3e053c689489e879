// The stamp room: nested glowing walls around a 6 x 6 field of stamping
// presses, with a particle flash in every cell whose pair closes far enough.
#pragma once
#include <cstdint>
#include <memory>

#include "scene3d/LUM2Classes.h"

extern std::unique_ptr<TLUMBrush> RoomBrush;
extern std::unique_ptr<TLUMBrush> StampBrush;
extern uint32_t WallsTexture;
extern uint32_t StampTexture;
extern uint32_t ParticleTexture;

void InitStampRoom();
void RenderStampRoom();
// How far the pair of stamps in cell (i, j) has closed at the current
// SceneTime; the stamps touch at 40.
float StampHeight(int i, int j);
// Whether a pair closed this far flashes.
bool StampFlashes(float height);
