#include <SDL.h>

#include "platform/GLContext.h"

void RequestGLContextAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

void* GLContextProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }
