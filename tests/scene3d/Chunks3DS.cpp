#include "Chunks3DS.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/TempDir.h"

namespace chunks {

namespace {
std::string Raw(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }
}  // namespace

std::string U8(uint8_t v) { return Raw(&v, 1); }
std::string U16(uint16_t v) { return Raw(&v, 2); }
std::string U32(uint32_t v) { return Raw(&v, 4); }
std::string F32(float v) { return Raw(&v, 4); }
std::string Text(const std::string& s) { return s + std::string(1, '\0'); }

std::string ChunkWithLength(uint16_t id, uint32_t length, const std::string& body) {
  return U16(id) + U32(length) + body;
}

std::string Chunk(uint16_t id, const std::string& body) {
  return ChunkWithLength(id, static_cast<uint32_t>(6 + body.size()), body);
}

std::string Vertices(std::initializer_list<Vec3> vertices) {
  std::string body = U16(static_cast<uint16_t>(vertices.size()));
  for (const Vec3& v : vertices) body += F32(v.x) + F32(v.y) + F32(v.z);
  return Chunk(0x4110, body);
}

std::string Faces(std::initializer_list<Tri> faces, const std::string& children) {
  std::string body = U16(static_cast<uint16_t>(faces.size()));
  for (const Tri& f : faces) body += U16(f.a) + U16(f.b) + U16(f.c) + U16(7);
  return Chunk(0x4120, body + children);
}

std::string MeshObject(const std::string& name, const std::string& meshChildren, const std::string& objectChildren) {
  return Chunk(0x4000, Text(name) + objectChildren + Chunk(0x4100, meshChildren));
}

std::string MainFile(const std::string& objects) { return Chunk(0x4D4D, Chunk(0x3D3D, objects)); }

std::string WriteFile(const std::string& name, const std::string& bytes) {
  static TempDir dir;
  return dir.Write(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

}  // namespace chunks
