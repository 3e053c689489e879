#include "platform/GLBuffers.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <vector>

#include "platform/WindowBackend.h"

namespace {
PFNGLGENBUFFERSPROC GenBuffers = nullptr;
PFNGLBINDBUFFERPROC BindBufferCall = nullptr;
PFNGLBUFFERDATAPROC BufferData = nullptr;
PFNGLDELETEBUFFERSPROC DeleteBuffers = nullptr;
PFNGLMAPBUFFERPROC MapBuffer = nullptr;
PFNGLUNMAPBUFFERPROC UnmapBufferCall = nullptr;
bool Resolved = false;
// The program is ending: the objects that still hold buffers are being
// destroyed after the window system, and the context takes its buffers
// with it.
bool Ending = false;

bool Resolve() {
  if (!Resolved && CurrentWindowBackend().ContextCurrent()) {
    // Registered after every static object is made, so it runs before they
    // are destroyed.
    std::atexit([] { Ending = true; });
    WindowBackend& backend = CurrentWindowBackend();
    GenBuffers = reinterpret_cast<PFNGLGENBUFFERSPROC>(backend.GLProcAddress("glGenBuffers"));
    BindBufferCall = reinterpret_cast<PFNGLBINDBUFFERPROC>(backend.GLProcAddress("glBindBuffer"));
    BufferData = reinterpret_cast<PFNGLBUFFERDATAPROC>(backend.GLProcAddress("glBufferData"));
    DeleteBuffers = reinterpret_cast<PFNGLDELETEBUFFERSPROC>(backend.GLProcAddress("glDeleteBuffers"));
    MapBuffer = reinterpret_cast<PFNGLMAPBUFFERPROC>(backend.GLProcAddress("glMapBuffer"));
    UnmapBufferCall = reinterpret_cast<PFNGLUNMAPBUFFERPROC>(backend.GLProcAddress("glUnmapBuffer"));
    Resolved = true;
  }
  return GenBuffers != nullptr && BindBufferCall != nullptr && BufferData != nullptr && DeleteBuffers != nullptr;
}
}  // namespace

uint32_t CreateStaticBuffer(unsigned target, const void* data, size_t bytes) {
  if (!Resolve()) return 0;
  GLuint buffer = 0;
  GenBuffers(1, &buffer);
  BindBufferCall(target, buffer);
  BufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
  return buffer;
}

uint32_t CreateReadBuffer(size_t bytes) {
  if (!Resolve() || MapBuffer == nullptr || UnmapBufferCall == nullptr) return 0;
  GLuint buffer = 0;
  GenBuffers(1, &buffer);
  BindBufferCall(GL_PIXEL_PACK_BUFFER, buffer);
  // Zero-filled: a read that skips part of the buffer leaves black there.
  const std::vector<uint8_t> zeros(bytes, 0);
  BufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), zeros.data(), GL_STREAM_READ);
  BindBufferCall(GL_PIXEL_PACK_BUFFER, 0);
  return buffer;
}

const void* MapBufferForReading(unsigned target) {
  if (!Resolve() || MapBuffer == nullptr) return nullptr;
  return MapBuffer(target, GL_READ_ONLY);
}

void UnmapBuffer(unsigned target) {
  if (Resolve() && UnmapBufferCall != nullptr) UnmapBufferCall(target);
}

void BindBuffer(unsigned target, uint32_t buffer) {
  if (Resolve()) BindBufferCall(target, buffer);
}

void DeleteBuffer(uint32_t buffer) {
  if (buffer == 0 || Ending || !CurrentWindowBackend().ContextCurrent() || !Resolve()) return;
  const GLuint name = buffer;
  DeleteBuffers(1, &name);
}
