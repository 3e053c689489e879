// OpenGL and GLU on the native systems: OpenGL from the system's library,
// linked in, and GLU loaded by name when the program starts.
#include <GL/gl.h>
#include <SDL.h>

#include <cfenv>

#include "platform/GLLibraries.h"
#include "platform/Memory.h"

namespace {
void NoPerspective(double, double, double, double) {}
void NoLookAt(double, double, double, double, double, double, double, double, double) {}
int NoBuild2DMipmaps(unsigned, int, int, int, unsigned, unsigned, const void*) { return 1; }

void* GLUHandle = nullptr;

void ClearGLUEntryPoints() {
  gluPerspective = NoPerspective;
  gluLookAt = NoLookAt;
  gluBuild2DMipmaps = NoBuild2DMipmaps;
}

bool ResolveGLU() {
  void* perspective = SDL_LoadFunction(GLUHandle, "gluPerspective");
  void* lookAt = SDL_LoadFunction(GLUHandle, "gluLookAt");
  void* mipmaps = SDL_LoadFunction(GLUHandle, "gluBuild2DMipmaps");
  if (perspective == nullptr || lookAt == nullptr || mipmaps == nullptr) return false;
  gluPerspective = reinterpret_cast<decltype(gluPerspective)>(perspective);
  gluLookAt = reinterpret_cast<decltype(gluLookAt)>(lookAt);
  gluBuild2DMipmaps = reinterpret_cast<decltype(gluBuild2DMipmaps)>(mipmaps);
  return true;
}
}  // namespace

void (*gluPerspective)(double, double, double, double) = NoPerspective;
void (*gluLookAt)(double, double, double, double, double, double, double, double, double) = NoLookAt;
int (*gluBuild2DMipmaps)(unsigned, int, int, int, unsigned, unsigned, const void*) = NoBuild2DMipmaps;

// The system's GLU, named by the build for the system it targets.
const char* const GLULibraryName = VEMLA_GLU_LIBRARY;

void LoadGLULibrary(const std::string& libraryName) {
  if (GLUHandle != nullptr) {
    SDL_UnloadObject(GLUHandle);
    GLUHandle = nullptr;
  }
  ClearGLUEntryPoints();
  GLUHandle = SDL_LoadObject(libraryName.c_str());
  if (GLUHandle == nullptr || !ResolveGLU()) {
    if (GLUHandle != nullptr) SDL_UnloadObject(GLUHandle);
    GLUHandle = nullptr;
    ClearGLUEntryPoints();
    throw EGLLibraryError("Could not load GLu from " + libraryName);
  }
}

void LoadGLLibraries() {
  // Division by zero and friends give infinities and NaNs, never a trap.
  std::fenv_t previous;
  std::feholdexcept(&previous);
  // The driver's per-frame memory stays in the process between frames.
  KeepFreedMemoryForReuse();
  LoadGLULibrary(GLULibraryName);
}

void UnloadGLLibraries() {
  if (GLUHandle != nullptr) SDL_UnloadObject(GLUHandle);
  GLUHandle = nullptr;
  ClearGLUEntryPoints();
}

bool GLULoaded() { return GLUHandle != nullptr; }
