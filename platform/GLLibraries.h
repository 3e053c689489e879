// OpenGL and GLU entry points. OpenGL 1.1 is linked directly; GLU is loaded
// at run time by name, so a missing GLU ends the start-up with a clear error.
#pragma once
#include <stdexcept>
#include <string>

class EGLLibraryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The GLU routines the program uses. Until GLU is loaded they do nothing
// (gluBuild2DMipmaps then returns an error code).
extern void (*gluPerspective)(double fovy, double aspect, double zNear, double zFar);
extern void (*gluLookAt)(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                         double upX, double upY, double upZ);
extern int (*gluBuild2DMipmaps)(unsigned target, int components, int width, int height, unsigned format,
                                unsigned type, const void* data);

extern const char* const GLULibraryName;  // "libGLU.so.1", or "glu32.dll" on Windows

// Masks the floating-point exceptions, keeps freed memory for the driver's
// reuse (platform/Memory.h) and loads GLU; raises EGLLibraryError
// "Could not load GLu from <library>" when GLU cannot be loaded.
void LoadGLLibraries();
void UnloadGLLibraries();
// Whether the current context names the extension ("GL_ARB_...") among its
// extensions, as a whole word.
bool GLExtensionOffered(const char* name);

// The GLU half of LoadGLLibraries, for a library of any name.
void LoadGLULibrary(const std::string& libraryName);
bool GLULoaded();
