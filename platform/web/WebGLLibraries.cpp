// In the browser OpenGL and GLU are the project's own layer, linked in:
// nothing is loaded, and GLU's routines are the layer's.
#include <cfenv>

#include "platform/GLLibraries.h"
#include "platform/web/FixedFunction.h"

void (*gluPerspective)(double, double, double, double) = FixedFunctionPerspective;
void (*gluLookAt)(double, double, double, double, double, double, double, double, double) = FixedFunctionLookAt;
int (*gluBuild2DMipmaps)(unsigned, int, int, int, unsigned, unsigned, const void*) = FixedFunctionBuild2DMipmaps;

const char* const GLULibraryName = "the built-in GL layer";

void LoadGLULibrary(const std::string&) {}

void LoadGLLibraries() {
  std::fenv_t previous;
  std::feholdexcept(&previous);
}

void UnloadGLLibraries() {}

bool GLULoaded() { return true; }
