#include "scene3d/LUM2Grid.h"

#include <GL/gl.h>

#include <algorithm>

#include "render2d/Overlay2D.h"

TLUMGrid::TLUMGrid(int32_t countX, int32_t countY)
    : Cells(static_cast<size_t>(std::max(countX, 0)), std::vector<TTexCoord>(static_cast<size_t>(std::max(countY, 0)))),
      CountX(std::max(countX, 0)),
      CountY(std::max(countY, 0)) {}

void TLUMGrid::Reset() {
  const double stepsX = CountX > 1 ? CountX - 1 : 1;
  const double stepsY = CountY > 1 ? CountY - 1 : 1;
  for (int32_t i = 0; i < CountX; ++i)
    for (int32_t j = 0; j < CountY; ++j)
      Cells[i][j] = TTexCoord{static_cast<float>(i / stepsX), static_cast<float>(j / stepsY)};
}

void TLUMGrid::Draw(float x, float y, float width, float height) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  SetOrthoProjection();
  const double stepsX = CountX - 1;
  const double stepsY = CountY - 1;
  Corners.clear();
  CornerCoords.clear();
  auto corner = [&](int32_t i, int32_t j, float px, float py) {
    CornerCoords.push_back(Cells[i][j]);
    Corners.insert(Corners.end(), {x + px, y + py, 0.0f});
  };
  for (int32_t i = 0; i + 1 < CountX; ++i) {
    const float xi = static_cast<float>(i / stepsX * width);
    const float xi1 = static_cast<float>((i + 1) / stepsX * width);
    for (int32_t j = 0; j + 1 < CountY; ++j) {
      const float yj = static_cast<float>(j / stepsY * height);
      const float yj1 = static_cast<float>((j + 1) / stepsY * height);
      corner(i, j, xi, yj);
      corner(i, j + 1, xi, yj1);
      corner(i + 1, j + 1, xi1, yj1);
      corner(i + 1, j, xi1, yj);
    }
  }
  if (!Corners.empty()) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, Corners.data());
    glTexCoordPointer(2, GL_FLOAT, 0, CornerCoords.data());
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(CornerCoords.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  SetPerspectiveProjection();
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
}
