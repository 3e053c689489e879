// What GL context the window asks for and where the calls past OpenGL 1.1
// come from: on the native systems a compatibility context and the driver's
// own entry points; in the browser a WebGL 2 context under the project's own
// fixed-function layer (platform/web/FixedFunction.h).
#pragma once

// Sets the context attributes for the next window, after the pixel format's.
void RequestGLContextAttributes();
// An entry point past OpenGL 1.1 of the current context; nullptr when it
// has none.
void* GLContextProcAddress(const char* name);
