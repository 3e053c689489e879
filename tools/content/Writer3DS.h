// Writing triangle meshes as a 3D Studio (.3ds) file: main chunk, editor
// section, and for each mesh, in order, one named object holding a triangle
// mesh with vertices, texture coordinates and faces. Coordinates are written
// as given (Z up).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct MeshVertex {
  float X, Y, Z;
  float U, V;
};

struct MeshFace {
  uint16_t A, B, C;
};

struct Mesh {
  std::string Name;
  std::vector<MeshVertex> Vertices;
  std::vector<MeshFace> Faces;
};

// The file image of a mesh with at most 65535 vertices and faces.
std::vector<uint8_t> Encode3DS(const Mesh& mesh);
// The file image of several such meshes, one object each, in their order.
std::vector<uint8_t> Encode3DS(const std::vector<Mesh>& meshes);
