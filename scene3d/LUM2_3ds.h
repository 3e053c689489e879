// T3DSLoader opens a 3DS file with TFile3DS and turns each of its triangle
// meshes into a new TMeshDataNM (geometry only, in the file's axes).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "scene3d/File3DS.h"
#include "scene3d/LUM2Classes.h"

class T3DSLoader {
 public:
  T3DSLoader() = default;
  void Open(const std::string& fileName);
  // A new mesh for index 0 .. MeshCount - 1, with zero normals. Vertices the
  // file gives no texture coordinate get (0, 0).
  std::unique_ptr<TMeshDataNM> BuildMesh(int32_t index);

  std::unique_ptr<TFile3DS> File;
  int32_t MeshCount = 0;
};

// The loader TLUMBrush::LoadModel creates and frees around one load.
extern T3DSLoader* Shared3DSLoader;
