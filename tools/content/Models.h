// The demo's four models, built from primitives in the 3DS file's Z-up axes.
//   clock:    a wall clock lying face up (+Z), radius 60, about 10 units thick,
//             with two coarser levels of itself (see scene3d/MeshLevels.h)
//   pea:      a sphere of radius 6
//   cuberoom: a 200-unit cube of panelled walls, faces turned inwards
//   stempel:  a press stamp, striking face at z = 0, rod rising to z = 340
#pragma once
#include "Writer3DS.h"

Mesh MakeClock();
// The full clock, then its coarser levels, named as levels of it.
std::vector<Mesh> MakeClockLevels();
Mesh MakePea();
Mesh MakeCubeRoom();
Mesh MakeStamp();
