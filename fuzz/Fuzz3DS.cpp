// libFuzzer target for the 3DS reader: every input is written to a file,
// opened, counted and every mesh extracted. The reader may refuse an input
// only with its own errors or the stream errors; whatever it returns must
// keep its counts and arrays consistent and its face indices in range.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Stream.h"
#include "scene3d/File3DS.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

const std::string& InputPath() {
  static const std::string path = [] {
    const char* dir = std::getenv("FUZZ_TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/vemla_fuzz_" + std::to_string(getpid()) + ".3ds";
  }();
  static const bool removedAtExit = std::atexit([] { unlink(InputPath().c_str()); }) == 0;
  (void)removedAtExit;
  return path;
}

void CheckMesh(const TMesh3DS& m) {
  Require(m.Vertices.size() == m.VertexCount);
  Require(m.Faces.size() == m.FaceCount);
  Require(m.TexCoords.size() == m.TexCoordCount);
  Require(m.VertexFlags.size() == m.VertexFlagCount);
  Require(m.MaterialGroups.size() == m.MaterialGroupCount);
  Require(m.ProcData.size() == m.ProcDataSize);
  for (const TObjMat3DS& group : m.MaterialGroups) Require(group.FaceIndices.size() == group.FaceCount);
  // What the normals and the indexed draw do with the faces.
  float sum = 0;
  for (const TFace3DS& f : m.Faces) {
    Require(f.A < m.VertexCount && f.B < m.VertexCount && f.C < m.VertexCount);
    sum += m.Vertices[f.A].x + m.Vertices[f.B].y + m.Vertices[f.C].z;
  }
  volatile float sink = sum;
  (void)sink;
}

// Decodes and releases the payload of every node of the tree.
void ReadEveryPayload(TFile3DS& file) {
  std::vector<TChunkNode3DS*> pending;
  if (file.Root != nullptr) pending.push_back(file.Root);
  while (!pending.empty()) {
    TChunkNode3DS* node = pending.back();
    pending.pop_back();
    if (node->NextSibling != nullptr) pending.push_back(node->NextSibling);
    if (node->FirstChild != nullptr) pending.push_back(node->FirstChild);
    try {
      file.ReadChunkData(node);
      file.ReadChunkData(node);
    } catch (const E3DSError&) {
    } catch (const EStreamError&) {
    }
    if (node->Id != CHK_NAMED_OBJECT) TFile3DS::ReleaseChunkData(node);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* out = std::fopen(InputPath().c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  try {
    TFile3DS file(InputPath());
    const int32_t count = file.Objects().MeshCount();
    Require(count >= 0 && static_cast<size_t>(count) <= size);
    for (int32_t i = 0; i < count; ++i) {
      try {
        const TMesh3DS* mesh = file.Objects().Mesh(i);
        if (mesh == nullptr) continue;
        CheckMesh(*mesh);
        Require(file.Objects().Mesh(i) == mesh);
      } catch (const E3DSError&) {
      } catch (const EStreamError&) {
      }
    }
    ReadEveryPayload(file);
  } catch (const E3DSError&) {
  } catch (const EStreamError&) {
  }
  return 0;
}
