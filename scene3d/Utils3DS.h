// Services on the 3DS chunk tree and the mesh records: searching the tree,
// counting and extracting meshes, filling and releasing mesh records, and
// the one way the reader raises its errors.
#pragma once
#include <cstdint>
#include <string>

#include "scene3d/Types3DS.h"

class TFile3DS;

// Sounds the warning beep, then raises E3DSError with the message.
[[noreturn]] void RaiseError3DS(const std::string& message);

// The offset just past the chunk (64 bits: offset plus length may pass 4 GiB).
inline uint64_t ChunkEnd(const TChunkNode3DS* node) {
  return static_cast<uint64_t>(node->FileOffset) + node->Length;
}

// Depth-first pre-order search from the start node itself through its subtree.
TChunkNode3DS* FindChunk(TChunkNode3DS* start, uint16_t id);
// The start node or the first of its next siblings with this id.
TChunkNode3DS* FindSibling(TChunkNode3DS* start, uint16_t id);
// Frees a node, its children and its next siblings.
void ReleaseChunkTree(TChunkNode3DS* node);

void InitMesh3DS(TMesh3DS& mesh);
void ReleaseMesh3DS(TMesh3DS& mesh);

// The number of named objects that hold a triangle mesh.
int32_t CountMeshes(TFile3DS& file);
// Fills mesh with the mesh of this number; zero-filled when there is none.
void GetMeshByIndex(TFile3DS& file, int32_t index, TMesh3DS& mesh);
// Extracts the triangle mesh below a named object. Raises E3DSError when the
// object has no direct mesh child or a face names a vertex it does not have.
void ExtractMesh(TFile3DS& file, TChunkNode3DS* objectNode, TMesh3DS& mesh);
