// The scene loader, the mesh classes, normals, transforms and the brush.
#include <gtest/gtest.h>

#include <cmath>

#include "Chunks3DS.h"
#include "platform/Random.h"
#include "platform/Stream.h"
#include "scene3d/LUM2Classes.h"
#include "scene3d/LUM2_3ds.h"

using namespace chunks;

namespace {

void ExpectVec(const Vec3& v, float x, float y, float z, float tolerance = 1e-6f) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

// A mesh of the given positions and faces.
TMeshDataN MakeMesh(std::initializer_list<Vec3> positions, std::initializer_list<TFace> faces) {
  TMeshDataN mesh;
  for (const Vec3& p : positions) mesh.AddVertex(p, TTexCoord{});
  mesh.Faces = faces;
  mesh.FaceCount = static_cast<int32_t>(mesh.Faces.size());
  return mesh;
}

}  // namespace

TEST(Loader, BuildsMeshesFromTheFile) {
  const std::string mesh = Vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}) +
                           Chunk(0x4140, U16(2) + F32(0.5f) + F32(0.25f) + F32(1) + F32(1)) +
                           Faces({{0, 1, 2}, {1, 3, 2}});
  const std::string light = Chunk(0x4000, Text("lamp") + Chunk(0x4600, std::string(12, '\0')));
  const std::string path = WriteFile("loader.3ds", MainFile(MeshObject("a", mesh) + light + MeshObject("b", mesh) +
                                                           MeshObject("c", Vertices({{9, 9, 9}}))));
  T3DSLoader loader;
  loader.Open(path);
  ASSERT_EQ(loader.MeshCount, 3);
  const auto a = loader.BuildMesh(0);
  EXPECT_EQ(a->Name, "a");
  ASSERT_EQ(a->VertexCount, 4);
  ASSERT_EQ(a->Vertices.size(), 4u);
  ASSERT_EQ(a->TexCoords.size(), 4u);
  ASSERT_EQ(a->Normals.size(), 4u);
  EXPECT_EQ(a->TexCoords[0].u, 0.5f);
  EXPECT_EQ(a->TexCoords[0].v, 0.25f);
  // No coordinate in the file for vertices 2 and 3.
  EXPECT_EQ(a->TexCoords[3].u, 0);
  EXPECT_EQ(a->TexCoords[3].v, 0);
  ExpectVec(a->Normals[1], 0, 0, 0);
  ASSERT_EQ(a->FaceCount, 2);
  EXPECT_EQ(a->Faces[1].a, 1u);
  EXPECT_EQ(a->Faces[1].b, 3u);
  EXPECT_EQ(a->Faces[1].c, 2u);
  EXPECT_EQ(loader.BuildMesh(1)->Name, "b");
  EXPECT_EQ(loader.BuildMesh(2)->Vertices[0].z, 9);
}

TEST(Loader, LargeMeshKeepsItsCounts) {
  std::string vertices = U16(300), faces = U16(500);
  for (int i = 0; i < 300; ++i) vertices += F32(static_cast<float>(i)) + F32(0) + F32(static_cast<float>(i % 7));
  for (int f = 0; f < 500; ++f)
    faces += U16(static_cast<uint16_t>(f % 300)) + U16(static_cast<uint16_t>((f * 7) % 300)) +
             U16(static_cast<uint16_t>((f * 13) % 300)) + U16(0xFFFF);
  T3DSLoader loader;
  loader.Open(WriteFile("large.3ds", MainFile(MeshObject("big", Chunk(0x4110, vertices) + Chunk(0x4120, faces)))));
  const auto mesh = loader.BuildMesh(0);
  EXPECT_EQ(mesh->VertexCount, 300);
  EXPECT_EQ(mesh->FaceCount, 500);
  EXPECT_EQ(mesh->Faces[499].a, 499u % 300);
  EXPECT_EQ(mesh->Faces[499].b, (499u * 7) % 300);
  EXPECT_EQ(mesh->Faces[499].c, (499u * 13) % 300);
  EXPECT_EQ(mesh->Vertices[299].x, 299);
}

TEST(Normals, AreaWeightedAndNeverNaN) {
  // Vertex 0 is shared by a large face in the XY plane (normal +Z, twice the
  // area 4) and a small one in the XZ plane (normal -Y, 1). Vertex 4 is touched
  // by no face, vertex 5 only by a face of zero area.
  TMeshDataN mesh = MakeMesh({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 1}, {5, 5, 5}, {7, 7, 7}},
                             {{0, 1, 2}, {0, 3, 1}, {5, 5, 5}});
  mesh.Faces[1] = TFace{0, 1, 3};
  SmoothNormals(mesh);
  // (0, 1, 3): (2,0,0) x (0,0,1) = (0, -2, 0).
  const float length = std::sqrt(16.0f + 4.0f);
  ExpectVec(mesh.Normals[0], 0, -2 / length, 4 / length);
  ExpectVec(mesh.Normals[2], 0, 0, 1);
  ExpectVec(mesh.Normals[3], 0, -1, 0);
  ExpectVec(mesh.Normals[4], 0, 0, 0, 0);
  ExpectVec(mesh.Normals[5], 0, 0, 0, 0);
  EXPECT_FALSE(std::isnan(mesh.Normals[5].x));
  // The per-vertex brute force gives the same normals.
  for (int32_t i = 0; i < mesh.VertexCount; ++i) {
    const Vec3 n = mesh.VertexNormal(i);
    ExpectVec(n, mesh.Normals[i].x, mesh.Normals[i].y, mesh.Normals[i].z);
  }
}

TEST(Normals, FaceNamingAVertexTwiceCountsTwice) {
  // Faces (0, 1, 2) and (0, 0, 3) where the second names vertex 0 twice: its
  // face normal is zero, so vertex 0 keeps the first face's direction.
  TMeshDataN mesh = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2}, {0, 0, 3}});
  SmoothNormals(mesh);
  ExpectVec(mesh.Normals[0], 0, 0, 1);
  ExpectVec(mesh.Normals[3], 0, 0, 0, 0);
  // A face naming a vertex twice on a mesh where that matters: (0, 1, 0) is
  // degenerate too, so only (1, 2, 0) contributes to vertex 1.
  TMeshDataN twice = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{1, 2, 0}, {0, 1, 0}});
  SmoothNormals(twice);
  ExpectVec(twice.Normals[1], 0, 0, 1);
}

TEST(Normals, SetSizeComputesThem) {
  TMeshDataN mesh = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 2, 1}});
  mesh.SetSize(3, 1);
  ExpectVec(mesh.Normals[0], 0, 0, -1);
  mesh.SetSize(4, 1);
  EXPECT_EQ(mesh.Vertices.size(), 4u);
  ExpectVec(mesh.Normals[3], 0, 0, 0, 0);
}

TEST(MeshData, AddVertexAndClear) {
  TMeshDataNM mesh;
  EXPECT_EQ(mesh.AddVertex({1, 2, 3}, {0.5f, 0.5f}), 0);
  EXPECT_EQ(mesh.AddVertex({4, 5, 6}, {1, 0}), 1);
  EXPECT_EQ(mesh.VertexCount, 2);
  EXPECT_EQ(mesh.Normals.size(), 2u);
  EXPECT_EQ(mesh.TexCoords[1].u, 1);
  mesh.Faces = {TFace{0, 1, 1}};
  mesh.FaceCount = 1;
  const TTriangle t = mesh.GetTriangle(0);
  ExpectVec(t.p0, 1, 2, 3);
  ExpectVec(t.p2, 4, 5, 6);
  mesh.Clear();
  EXPECT_EQ(mesh.VertexCount, 0);
  EXPECT_EQ(mesh.FaceCount, 0);
  EXPECT_TRUE(mesh.Vertices.empty() && mesh.Faces.empty() && mesh.TexCoords.empty());
  EXPECT_EQ(mesh.Material.Kind, mkColor);
}

TEST(Transforms, RotateVertexOrderAndSigns) {
  ExpectVec(RotateVertex({0, 1, 0}, {90, 0, 0}), 0, 0, 1);
  // The Y step turns X toward Z.
  ExpectVec(RotateVertex({1, 0, 0}, {0, 90, 0}), 0, 0, 1);
  ExpectVec(RotateVertex({1, 0, 0}, {0, 0, 90}), 0, 1, 0);
  // X first, then Y, then Z.
  ExpectVec(RotateVertex({0, 1, 0}, {90, 90, 0}), -1, 0, 0);
  EXPECT_FLOAT_EQ(DegToRad(180), 3.14159265f);
}

TEST(Brush, LoadModelTurnsZUpToYUp) {
  const std::string mesh = Vertices({{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}) + Faces({{2, 1, 0}});
  const std::string path = WriteFile("brush.3ds", MainFile(MeshObject("one", mesh) + MeshObject("two", mesh)));
  TLUMBrush brush(path);
  EXPECT_EQ(Shared3DSLoader, nullptr);
  ASSERT_EQ(brush.MeshCount, 2);
  ASSERT_EQ(brush.Meshes.size(), 2u);
  const TMeshDataNM& m = *brush.Meshes[0];
  ExpectVec(m.Vertices[0], 0, 1, 0);
  ExpectVec(m.Vertices[1], 0, 0, -1);
  ExpectVec(m.Vertices[2], 1, 0, 0);
  // The normals follow the turned positions: the file's normal (1, 1, 1)/sqrt 3
  // becomes (1, 1, -1)/sqrt 3.
  const float s = 1 / std::sqrt(3.0f);
  for (int i = 0; i < 3; ++i) ExpectVec(m.Normals[i], s, s, -s);
  EXPECT_EQ(brush.Meshes[1]->Name, "two");
}

TEST(Brush, ScaleLeavesNormalsAlone) {
  const std::string mesh = Vertices({{0, 0, 0}, {4, 0, 0}, {0, 4, 0}}) + Faces({{0, 1, 2}});
  TLUMBrush brush(WriteFile("scale.3ds", MainFile(MeshObject("m", mesh) + MeshObject("n", mesh))));
  const Vec3 normal = brush.Meshes[1]->Normals[0];
  brush.Scale({0.25f, 0.25f, 0.25f});
  for (const auto& m : brush.Meshes) {
    ExpectVec(m->Vertices[1], 1, 0, 0);
    ExpectVec(m->Vertices[2], 0, 0, -1);
  }
  ExpectVec(brush.Meshes[1]->Normals[0], normal.x, normal.y, normal.z, 0);
}

TEST(Brush, FailuresPropagate) {
  EXPECT_THROW(TLUMBrush(testing::TempDir() + "absent.3ds"), EFOpenError);
  EXPECT_EQ(Shared3DSLoader, nullptr);
  const std::string bad = Vertices({{0, 0, 0}}) + Faces({{0, 0, 1}});
  EXPECT_THROW(TLUMBrush(WriteFile("badbrush.3ds", MainFile(MeshObject("m", bad)))), E3DSError);
  EXPECT_EQ(Shared3DSLoader, nullptr);
}

TEST(Utilities, RandomVec3DrawsInOrderWithinItsBounds) {
  RandSeed = 12345;
  const Vec3 v = RandomVec3(1, 10, 100);
  RandSeed = 12345;
  double r[6];
  for (double& value : r) value = RandomFloat();
  EXPECT_FLOAT_EQ(v.x, static_cast<float>(r[0] - r[1]));
  EXPECT_FLOAT_EQ(v.y, static_cast<float>((r[2] - r[3]) * 10));
  EXPECT_FLOAT_EQ(v.z, static_cast<float>((r[4] - r[5]) * 100));
  RandSeed = 1;
  for (int i = 0; i < 200000; ++i) {
    const Vec3 p = RandomVec3(600, 600, 600);
    ASSERT_LT(std::fabs(p.x), 600);
    ASSERT_LT(std::fabs(p.y), 600);
    ASSERT_LT(std::fabs(p.z), 600);
  }
}
