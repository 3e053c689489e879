// Every staged model through the program's own 3DS reader and brush: one
// mesh, a texture coordinate for every vertex, and a unit normal everywhere.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "scene3d/LUM2Classes.h"

TEST(ModelsThroughTheReader, LoadAsOneMeshWithCoordinatesAndNormals) {
  const std::filesystem::path data = std::filesystem::path(VEMLA_STAGE_DIR) / "data";
  for (const char* name : {"clock.3ds", "pea.3ds", "cuberoom.3ds", "stempel.3ds"}) {
    TLUMBrush brush((data / name).string());
    ASSERT_EQ(brush.MeshCount, 1) << name;
    const TMeshDataNM& mesh = *brush.Meshes[0];
    EXPECT_GT(mesh.FaceCount, 0) << name;
    EXPECT_EQ(mesh.TexCoords.size(), static_cast<size_t>(mesh.VertexCount)) << name;
    ASSERT_EQ(mesh.Normals.size(), static_cast<size_t>(mesh.VertexCount)) << name;
    int bad = 0;
    for (const Vec3& n : mesh.Normals) {
      float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
      if (!(std::fabs(length - 1.0f) < 1e-3f)) ++bad;
    }
    EXPECT_EQ(bad, 0) << name << ": vertices without a unit normal";
  }
}
