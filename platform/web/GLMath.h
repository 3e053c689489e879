// The fixed-function pipeline's arithmetic as OpenGL 1.1 and GLU define it:
// 4 x 4 matrices in OpenGL's column-major order and their products, the
// matrices glTranslatef, glRotatef, glScalef, glOrtho, gluPerspective and
// gluLookAt multiply in, the normal matrix, and the sphere map's texture
// coordinates. Plain arithmetic without GL: the browser's GL layer builds
// its state with it, and the native tests hold it against the system's GL.
#pragma once

struct TMatrix4 {
  float m[16];  // column-major: element (row r, column c) is m[c * 4 + r]
};

TMatrix4 IdentityMatrix();
// a x b: b is applied first, as glMultMatrix(b) after a.
TMatrix4 MultiplyMatrices(const TMatrix4& a, const TMatrix4& b);
TMatrix4 TranslationMatrix(float x, float y, float z);
TMatrix4 ScaleMatrix(float x, float y, float z);
// angle degrees about the axis (x, y, z), which need not be unit length; a
// zero axis gives the identity.
TMatrix4 RotationMatrix(float angle, float x, float y, float z);
TMatrix4 OrthoMatrix(double left, double right, double bottom, double top, double zNear, double zFar);
TMatrix4 PerspectiveMatrix(double fovy, double aspect, double zNear, double zFar);
TMatrix4 LookAtMatrix(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                      double upX, double upY, double upZ);
// The inverse transpose of the upper-left 3 x 3, in column-major order, by
// which normals are carried into eye space; the zero matrix for a singular
// one.
void NormalMatrix(const TMatrix4& modelview, float normal[9]);
// m x (x, y, z, w).
void TransformPoint(const TMatrix4& m, const float in[4], float out[4]);
// The sphere map's (s, t) for a vertex at eye-space position `eye` (w = 1)
// with the eye-space unit normal `normal`.
void SphereMapCoords(const float eye[3], const float normal[3], float& s, float& t);
