// Buffer objects for geometry drawn many times unchanged: the driver keeps
// the vertices and indices instead of copying the caller's arrays on every
// draw. The calls are past OpenGL 1.1 and are taken from the current
// context; without them nothing is made and callers draw from their arrays.
#pragma once
#include <cstddef>
#include <cstdint>

// A new buffer for target (GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER)
// holding these bytes, left bound; 0 without buffer objects.
uint32_t CreateStaticBuffer(unsigned target, const void* data, size_t bytes);
// Binds the buffer to target; 0 unbinds, so that pointers mean the
// caller's memory again.
void BindBuffer(unsigned target, uint32_t buffer);
// A new buffer of this many bytes, all zero, that pixels are read into
// (GL_PIXEL_PACK_BUFFER) and then mapped, left unbound; 0 without buffer
// objects.
uint32_t CreateReadBuffer(size_t bytes);
// Maps the buffer bound to target for reading, waiting for what is still
// being written into it; nullptr when the driver cannot map it.
const void* MapBufferForReading(unsigned target);
void UnmapBuffer(unsigned target);
// Deletes the buffer when a context is current; at the end of a run the
// context has taken its buffers with it.
void DeleteBuffer(uint32_t buffer);
