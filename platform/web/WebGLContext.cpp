// In the browser the window's context is WebGL 2 (OpenGL ES 3.0), drawn on
// through the project's own fixed-function layer, which also hands out the
// calls past OpenGL 1.1.
#include <SDL.h>

#include "platform/GLContext.h"
#include "platform/web/FixedFunction.h"

void RequestGLContextAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
}

void* GLContextProcAddress(const char* name) { return FixedFunctionProcAddress(name); }
