// The GL side of the levels of detail (scene3d/MeshLevels.h): what the
// current draw's pixels can show of a model, read from the matrices, the
// viewport and the frame's pixel size, and a level drawn with its light made
// up through the colour's alpha.
#pragma once
#include "platform/Types.h"
#include "scene3d/LUM2Classes.h"
#include "scene3d/MeshLevels.h"

// The scale of a draw of a model held by the sphere (centre, radius) in
// model units, with the current modelview, projection and viewport: pixels
// per model unit at the sphere's nearest point, in the viewport's pixels.
// A viewport smaller than the frame is a render-texture pass, and every one
// that the scenes draw models into is blurred before it is shown.
TDrawScale MeasureDrawScale(const Vec3& centre, float radius);
// Draws the mesh's arrays with the current colour's alpha times light (at
// most 1), then gives the colour back.
void DrawWithLight(TMeshData& mesh, float light);
