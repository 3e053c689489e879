// Writes 3DS test inputs chunk by chunk: each case spells out its ids,
// lengths and payload bytes with these helpers.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/Types.h"

namespace chunks {

std::string U8(uint8_t v);
std::string U16(uint16_t v);
std::string U32(uint32_t v);
std::string F32(float v);
// Characters and the terminating zero.
std::string Text(const std::string& s);
// Header (id, 6 + body length) followed by the body.
std::string Chunk(uint16_t id, const std::string& body = {});
// Header with the given length, whatever the body holds.
std::string ChunkWithLength(uint16_t id, uint32_t length, const std::string& body = {});

struct Tri {
  uint16_t a, b, c;
};
// A vertex chunk (0x4110), a face chunk (0x4120 with the given children).
std::string Vertices(std::initializer_list<Vec3> vertices);
std::string Faces(std::initializer_list<Tri> faces, const std::string& children = {});
// A named object (0x4000) holding a triangle mesh (0x4100) with these children.
std::string MeshObject(const std::string& name, const std::string& meshChildren, const std::string& objectChildren = {});
// A main chunk (0x4D4D) with an editor (0x3D3D) around the objects.
std::string MainFile(const std::string& objects);

// Writes the bytes to a file in the test's temporary folder and returns its path.
std::string WriteFile(const std::string& name, const std::string& bytes);

}  // namespace chunks
