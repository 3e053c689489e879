#include "scene3d/LUM2Materials.h"

// Not built yet: nothing loads.
uint32_t GetTexture(const std::string&) { return NoTexture; }
