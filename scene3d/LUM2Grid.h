// TLUMGrid: a lattice of texture coordinates drawn as a screen-space
// rectangle of small textured quads. Positions are always the evenly spaced
// lattice points; scenes warp a picture by displacing the coordinates.
#pragma once
#include <cstdint>
#include <vector>

#include "scene3d/Types3DS.h"

class TLUMGrid {
 public:
  // CountX rows of CountY zero cells; a negative count counts as 0.
  TLUMGrid(int32_t countX, int32_t countY);
  // Maps the texture once across the lattice: u = i / (CountX - 1),
  // v = j / (CountY - 1); along an axis of one point the coordinate is 0.
  void Reset();
  // Draws over (x, y, width, height) in window pixels under the orthographic
  // projection, one quad a cell in a single vertex-array call, then restores
  // the perspective. Leaves lighting and depth
  // testing on and texturing enabled.
  void Draw(float x, float y, float width, float height);

  std::vector<std::vector<TTexCoord>> Cells;  // Cells[i][j], i along X
  int32_t CountX = 0;
  int32_t CountY = 0;

 private:
  // The quads' corners for the one vertex-array draw, kept between frames.
  std::vector<float> Corners;
  std::vector<TTexCoord> CornerCoords;
};
