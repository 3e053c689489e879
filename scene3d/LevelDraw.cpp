#include "scene3d/LevelDraw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/Presentation.h"

TDrawScale MeasureDrawScale(const Vec3& centre, float radius) {
  GLfloat mv[16], p[16];
  GLint viewport[4];
  glGetFloatv(GL_MODELVIEW_MATRIX, mv);
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  glGetIntegerv(GL_VIEWPORT, viewport);
  TDrawScale scale;
  scale.Blurred = viewport[2] < FramePixelWidth() && viewport[3] < FramePixelHeight();
  // The centre in eye space, and the largest length one model unit takes there.
  const float ex = mv[0] * centre.x + mv[4] * centre.y + mv[8] * centre.z + mv[12];
  const float ey = mv[1] * centre.x + mv[5] * centre.y + mv[9] * centre.z + mv[13];
  const float ez = mv[2] * centre.x + mv[6] * centre.y + mv[10] * centre.z + mv[14];
  float unit = 0;
  for (int c = 0; c < 3; ++c)
    unit = std::max(unit, std::sqrt(mv[4 * c] * mv[4 * c] + mv[4 * c + 1] * mv[4 * c + 1] + mv[4 * c + 2] * mv[4 * c + 2]));
  // The clip w of the centre, and the smallest w a point of the sphere can
  // have: a perspective divides by the distance, an orthographic view by 1.
  const float w = p[3] * ex + p[7] * ey + p[11] * ez + p[15];
  const float wSlope = std::sqrt(p[3] * p[3] + p[7] * p[7] + p[11] * p[11]);
  const float nearest = w - wSlope * radius * unit;
  if (!(nearest > 1e-3f * std::max(w, 1.0f))) {
    scale.PixelsPerUnit = std::numeric_limits<float>::infinity();
    return scale;
  }
  const float across = std::max(std::fabs(p[0]) * viewport[2], std::fabs(p[5]) * viewport[3]) * 0.5f;
  scale.PixelsPerUnit = unit * across / nearest;
  return scale;
}

void DrawWithLight(TMeshData& mesh, float light) {
  GLfloat colour[4] = {1, 1, 1, 1};
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glColor4f(colour[0], colour[1], colour[2], std::min(1.0f, colour[3] * light));
  mesh.DrawArrays();
  glColor4fv(colour);
}
