// Levels of detail of a model's first mesh. Coarser meshes of the same model
// are stored beside it in its 3DS file, each leaving out the model's parts up
// to some width (its detail, in model units). A draw takes the coarsest level
// whose left-out parts the draw's pixels could not show, as a texture is
// sampled at the mipmap level its pixels can show; the level's colour then
// makes up for the light the left-out parts would have added.
#pragma once
#include <string>

#include "scene3d/LUM2Classes.h"

// The object name of a level of the mesh `base` that leaves out parts up to
// `detail` model units wide: "<base>~<detail>".
std::string LevelObjectName(const std::string& base, float detail);
// The detail of the level `name` names when it is a level of `base`; 0 when
// it is not.
float LevelDetail(const std::string& name, const std::string& base);

// What one draw's pixels can show: how many pixels one model unit spans at
// the model's nearest point (infinite when the eye is inside the model), and
// whether the picture is blurred before it is seen.
struct TDrawScale {
  float PixelsPerUnit = 0;
  bool Blurred = false;
};

// A part no wider than a pixel shows no width of its own: sampled at the
// pixels' centres it lights at most a broken line of single pixels, whose
// light the level's colour makes up. In a pass blurred afterwards (the glow's
// and the pea swarm's render texture, averaged over 27 copies spread up to
// tens of its pixels apart, then stretched over the frame) a part up to 8 of
// the pass's pixels wide is smeared into its surroundings.
constexpr float SharpPixels = 1.0f;
constexpr float BlurredPixels = 8.0f;

// The rule: a level leaving out parts `detail` model units wide may be drawn
// when those parts span no more than the pixels above.
bool LevelHidesNothing(float detail, TDrawScale scale);
// The level of the brush's first mesh to draw at this scale: 0 for the full
// mesh, k for Levels[k - 1], the coarsest the rule allows.
size_t ChooseLevel(const TLUMBrush& brush, TDrawScale scale);

// The factor on a level's colour that makes it add as much light as the
// full mesh: their summed areas' ratio (SummedArea), at least 1. Drawn
// additively without a depth test, a mesh adds light in proportion to the
// area it covers, every triangle counting whichever way it faces; seen from
// all directions alike, that is in proportion to its summed area.
float LevelLight(const TMeshData& full, const TMeshData& level);
