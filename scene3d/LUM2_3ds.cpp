#include "scene3d/LUM2_3ds.h"

#include <algorithm>

T3DSLoader* Shared3DSLoader = nullptr;

void T3DSLoader::Open(const std::string& fileName) {
  File = std::make_unique<TFile3DS>(fileName);
  MeshCount = File->Objects().MeshCount();
}

std::unique_ptr<TMeshDataNM> T3DSLoader::BuildMesh(int32_t index) {
  auto mesh = std::make_unique<TMeshDataNM>();
  const TMesh3DS* source = File->Objects().Mesh(index);
  if (source == nullptr) return mesh;
  const int32_t vertexCount = source->VertexCount;
  mesh->Vertices.assign(source->Vertices.begin(), source->Vertices.begin() + vertexCount);
  mesh->TexCoords.assign(static_cast<size_t>(vertexCount), TTexCoord{});
  const size_t withCoords = std::min<size_t>(source->TexCoords.size(), static_cast<size_t>(vertexCount));
  std::copy_n(source->TexCoords.begin(), withCoords, mesh->TexCoords.begin());
  mesh->Normals.assign(static_cast<size_t>(vertexCount), Vec3{});
  mesh->VertexCount = vertexCount;
  mesh->Faces.resize(source->FaceCount);
  for (size_t f = 0; f < mesh->Faces.size(); ++f) {
    const TFace3DS& face = source->Faces[f];
    mesh->Faces[f] = TFace{face.A, face.B, face.C};
  }
  mesh->FaceCount = source->FaceCount;
  mesh->Name = source->Name;
  return mesh;
}
