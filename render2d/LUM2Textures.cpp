#include "render2d/LUM2Textures.h"

// Not built yet: nothing loads.
bool LoadTexture(const std::string&, uint32_t&, bool) { return false; }
