// The browser's GL layer (OpenGL 1.1's fixed-function pipeline over WebGL 2,
// declared in include/GL/gl.h): what the web backend takes from it besides
// the GL calls themselves.
#pragma once
#include <string>

// Why the layer's program could not be made; empty while all is well.
extern std::string FixedFunctionFailure;

// The calls past OpenGL 1.1 (buffer and frame-buffer objects) by name, as a
// context's GetProcAddress gives them; nullptr for one WebGL lacks.
void* FixedFunctionProcAddress(const char* name);

extern "C" {
// GLU's three routines that the program uses.
void FixedFunctionPerspective(double fovy, double aspect, double zNear, double zFar);
void FixedFunctionLookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                         double upX, double upY, double upZ);
int FixedFunctionBuild2DMipmaps(unsigned target, int components, int width, int height, unsigned format,
                                unsigned type, const void* pixels);
}
