// The demo's textures and pictures, painted procedurally: sphere maps for the
// clocks and stamps, the warp picture, wall panels, the particle glow, the
// loading picture, the four slides and the six overlay pictures.
#pragma once
#include <string>
#include <vector>

#include "Image.h"

struct Picture {
  std::string Name;  // path below the data folder, "/" separated
  Image Pixels;
};

// Every picture, in a fixed order. Text uses the font file given.
std::vector<Picture> MakePictures(const std::string& fontFile);
