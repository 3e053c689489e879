#include "platform/GLBuffers.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/WindowBackend.h"

namespace {
PFNGLGENBUFFERSPROC GenBuffers = nullptr;
PFNGLBINDBUFFERPROC BindBufferCall = nullptr;
PFNGLBUFFERDATAPROC BufferData = nullptr;
PFNGLDELETEBUFFERSPROC DeleteBuffers = nullptr;
bool Resolved = false;

bool Resolve() {
  if (!Resolved && CurrentWindowBackend().ContextCurrent()) {
    WindowBackend& backend = CurrentWindowBackend();
    GenBuffers = reinterpret_cast<PFNGLGENBUFFERSPROC>(backend.GLProcAddress("glGenBuffers"));
    BindBufferCall = reinterpret_cast<PFNGLBINDBUFFERPROC>(backend.GLProcAddress("glBindBuffer"));
    BufferData = reinterpret_cast<PFNGLBUFFERDATAPROC>(backend.GLProcAddress("glBufferData"));
    DeleteBuffers = reinterpret_cast<PFNGLDELETEBUFFERSPROC>(backend.GLProcAddress("glDeleteBuffers"));
    Resolved = true;
  }
  return GenBuffers != nullptr && BindBufferCall != nullptr && BufferData != nullptr && DeleteBuffers != nullptr;
}
}  // namespace

bool BufferObjectsAvailable() { return Resolve(); }

uint32_t CreateStaticBuffer(unsigned target, const void* data, size_t bytes) {
  if (!Resolve()) return 0;
  GLuint buffer = 0;
  GenBuffers(1, &buffer);
  BindBufferCall(target, buffer);
  BufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
  return buffer;
}

void BindBuffer(unsigned target, uint32_t buffer) {
  if (Resolve()) BindBufferCall(target, buffer);
}

void DeleteBuffer(uint32_t buffer) {
  if (buffer == 0 || !CurrentWindowBackend().ContextCurrent() || !Resolve()) return;
  const GLuint name = buffer;
  DeleteBuffers(1, &name);
}
