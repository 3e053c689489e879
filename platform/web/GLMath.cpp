#include "platform/web/GLMath.h"

#include <cmath>

namespace {
float& At(TMatrix4& a, int row, int column) { return a.m[column * 4 + row]; }
float At(const TMatrix4& a, int row, int column) { return a.m[column * 4 + row]; }

void Normalise(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0) return;
  for (int k = 0; k < 3; ++k) v[k] /= length;
}

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}
}  // namespace

TMatrix4 IdentityMatrix() {
  TMatrix4 identity{};
  for (int k = 0; k < 4; ++k) At(identity, k, k) = 1;
  return identity;
}

TMatrix4 MultiplyMatrices(const TMatrix4& a, const TMatrix4& b) {
  TMatrix4 product{};
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += At(a, row, k) * At(b, k, column);
      At(product, row, column) = sum;
    }
  return product;
}

TMatrix4 TranslationMatrix(float x, float y, float z) {
  TMatrix4 t = IdentityMatrix();
  At(t, 0, 3) = x;
  At(t, 1, 3) = y;
  At(t, 2, 3) = z;
  return t;
}

TMatrix4 ScaleMatrix(float x, float y, float z) {
  TMatrix4 s = IdentityMatrix();
  At(s, 0, 0) = x;
  At(s, 1, 1) = y;
  At(s, 2, 2) = z;
  return s;
}

TMatrix4 RotationMatrix(float angle, float x, float y, float z) {
  const double length = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y + static_cast<double>(z) * z);
  if (length == 0) return IdentityMatrix();
  const double ux = x / length, uy = y / length, uz = z / length;
  const double radians = angle * 3.14159265358979323846 / 180;
  const double c = std::cos(radians), s = std::sin(radians), k = 1 - c;
  TMatrix4 r = IdentityMatrix();
  At(r, 0, 0) = static_cast<float>(ux * ux * k + c);
  At(r, 0, 1) = static_cast<float>(ux * uy * k - uz * s);
  At(r, 0, 2) = static_cast<float>(ux * uz * k + uy * s);
  At(r, 1, 0) = static_cast<float>(uy * ux * k + uz * s);
  At(r, 1, 1) = static_cast<float>(uy * uy * k + c);
  At(r, 1, 2) = static_cast<float>(uy * uz * k - ux * s);
  At(r, 2, 0) = static_cast<float>(uz * ux * k - uy * s);
  At(r, 2, 1) = static_cast<float>(uz * uy * k + ux * s);
  At(r, 2, 2) = static_cast<float>(uz * uz * k + c);
  return r;
}

TMatrix4 OrthoMatrix(double left, double right, double bottom, double top, double zNear, double zFar) {
  TMatrix4 o = IdentityMatrix();
  if (right == left || top == bottom || zFar == zNear) return o;
  At(o, 0, 0) = static_cast<float>(2 / (right - left));
  At(o, 1, 1) = static_cast<float>(2 / (top - bottom));
  At(o, 2, 2) = static_cast<float>(-2 / (zFar - zNear));
  At(o, 0, 3) = static_cast<float>(-(right + left) / (right - left));
  At(o, 1, 3) = static_cast<float>(-(top + bottom) / (top - bottom));
  At(o, 2, 3) = static_cast<float>(-(zFar + zNear) / (zFar - zNear));
  return o;
}

TMatrix4 PerspectiveMatrix(double fovy, double aspect, double zNear, double zFar) {
  const double radians = fovy / 2 * 3.14159265358979323846 / 180;
  const double sine = std::sin(radians);
  // GLU leaves the matrix alone for a degenerate view.
  if (zFar == zNear || sine == 0 || aspect == 0) return IdentityMatrix();
  const double cotangent = std::cos(radians) / sine;
  TMatrix4 p{};
  At(p, 0, 0) = static_cast<float>(cotangent / aspect);
  At(p, 1, 1) = static_cast<float>(cotangent);
  At(p, 2, 2) = static_cast<float>(-(zFar + zNear) / (zFar - zNear));
  At(p, 3, 2) = -1;
  At(p, 2, 3) = static_cast<float>(-2 * zNear * zFar / (zFar - zNear));
  return p;
}

TMatrix4 LookAtMatrix(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                      double upX, double upY, double upZ) {
  double forward[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
  double up[3] = {upX, upY, upZ};
  Normalise(forward);
  double side[3];
  Cross(forward, up, side);
  Normalise(side);
  Cross(side, forward, up);
  TMatrix4 view = IdentityMatrix();
  for (int k = 0; k < 3; ++k) {
    At(view, 0, k) = static_cast<float>(side[k]);
    At(view, 1, k) = static_cast<float>(up[k]);
    At(view, 2, k) = static_cast<float>(-forward[k]);
  }
  return MultiplyMatrices(view, TranslationMatrix(static_cast<float>(-eyeX), static_cast<float>(-eyeY),
                                                  static_cast<float>(-eyeZ)));
}

void NormalMatrix(const TMatrix4& modelview, float normal[9]) {
  double a[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) a[r][c] = At(modelview, r, c);
  const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                     a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                     a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  for (int k = 0; k < 9; ++k) normal[k] = 0;
  if (det == 0 || !std::isfinite(det)) return;
  // The inverse's transpose is the cofactor matrix over the determinant.
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
      const double cofactor = a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1];
      normal[c * 3 + r] = static_cast<float>(cofactor / det);
    }
}

void TransformPoint(const TMatrix4& m, const float in[4], float out[4]) {
  for (int r = 0; r < 4; ++r) {
    float sum = 0;
    for (int c = 0; c < 4; ++c) sum += At(m, r, c) * in[c];
    out[r] = sum;
  }
}

void SphereMapCoords(const float eye[3], const float normal[3], float& s, float& t) {
  // u: the unit vector from the eye to the vertex; r: its reflection.
  double u[3] = {eye[0], eye[1], eye[2]};
  Normalise(u);
  const double dot = normal[0] * u[0] + normal[1] * u[1] + normal[2] * u[2];
  const double r[3] = {u[0] - 2 * normal[0] * dot, u[1] - 2 * normal[1] * dot, u[2] - 2 * normal[2] * dot};
  const double m = 2 * std::sqrt(r[0] * r[0] + r[1] * r[1] + (r[2] + 1) * (r[2] + 1));
  s = m == 0 ? 0.5f : static_cast<float>(r[0] / m + 0.5);
  t = m == 0 ? 0.5f : static_cast<float>(r[1] / m + 0.5);
}
