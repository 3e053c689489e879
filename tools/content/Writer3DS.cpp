#include "Writer3DS.h"

#include <cstring>
#include <stdexcept>

#include "scene3d/Types3DS.h"

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void PutFloat(std::vector<uint8_t>& out, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  PutU32(out, v);
}

// Starts a chunk and returns its offset; EndChunk fills in the length.
size_t BeginChunk(std::vector<uint8_t>& out, uint16_t id) {
  size_t at = out.size();
  PutU16(out, id);
  PutU32(out, 0);
  return at;
}

void EndChunk(std::vector<uint8_t>& out, size_t at) {
  uint32_t len = uint32_t(out.size() - at);
  for (int i = 0; i < 4; ++i) out[at + 2 + i] = uint8_t(len >> (8 * i));
}

void PutObject(std::vector<uint8_t>& out, const Mesh& mesh) {
  if (mesh.Vertices.size() > 65535 || mesh.Faces.size() > 65535)
    throw std::runtime_error("mesh " + mesh.Name + " is too large for a 3DS file");
  size_t object = BeginChunk(out, CHK_NAMED_OBJECT);
  for (char c : mesh.Name) out.push_back(uint8_t(c));
  out.push_back(0);
  size_t tri = BeginChunk(out, CHK_TRI_MESH);

  size_t verts = BeginChunk(out, CHK_VERTICES);
  PutU16(out, uint16_t(mesh.Vertices.size()));
  for (const MeshVertex& v : mesh.Vertices) {
    PutFloat(out, v.X);
    PutFloat(out, v.Y);
    PutFloat(out, v.Z);
  }
  EndChunk(out, verts);

  size_t uvs = BeginChunk(out, CHK_TEX_COORDS);
  PutU16(out, uint16_t(mesh.Vertices.size()));
  for (const MeshVertex& v : mesh.Vertices) {
    PutFloat(out, v.U);
    PutFloat(out, v.V);
  }
  EndChunk(out, uvs);

  size_t matrix = BeginChunk(out, CHK_LOCAL_MATRIX);
  const float identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  for (float f : identity) PutFloat(out, f);
  EndChunk(out, matrix);

  size_t faces = BeginChunk(out, CHK_FACES);
  PutU16(out, uint16_t(mesh.Faces.size()));
  for (const MeshFace& f : mesh.Faces) {
    PutU16(out, f.A);
    PutU16(out, f.B);
    PutU16(out, f.C);
    PutU16(out, 7);  // all three edges visible
  }
  size_t smooth = BeginChunk(out, CHK_SMOOTH_GROUPS);
  for (size_t i = 0; i < mesh.Faces.size(); ++i) PutU32(out, 1);
  EndChunk(out, smooth);
  EndChunk(out, faces);

  EndChunk(out, tri);
  EndChunk(out, object);
}

}  // namespace

std::vector<uint8_t> Encode3DS(const Mesh& mesh) { return Encode3DS(std::vector<Mesh>{mesh}); }

std::vector<uint8_t> Encode3DS(const std::vector<Mesh>& meshes) {
  std::vector<uint8_t> out;
  size_t main = BeginChunk(out, CHK_MAIN);
  size_t version = BeginChunk(out, CHK_VERSION);
  PutU32(out, 3);
  EndChunk(out, version);
  size_t editor = BeginChunk(out, CHK_EDITOR);
  size_t meshVersion = BeginChunk(out, CHK_MESH_VERSION);
  PutU32(out, 3);
  EndChunk(out, meshVersion);
  for (const Mesh& mesh : meshes) PutObject(out, mesh);
  EndChunk(out, editor);
  EndChunk(out, main);
  return out;
}
