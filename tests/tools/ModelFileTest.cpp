// The models' 3DS files: a consistent chunk tree holding one mesh with a
// texture coordinate for every vertex (the clock's file also its coarser
// levels, each a mesh like it), and shapes sized for their scenes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Model {
  std::vector<float> V;  // x, y, z in the file's axes
  int TexCoords = 0;
  std::vector<uint16_t> F;  // a, b, c
  int Objects = 0, Meshes = 0;
  float Min[3] = {1e9f, 1e9f, 1e9f}, Max[3] = {-1e9f, -1e9f, -1e9f};
  std::string Name;
  // The file's further objects, each read as a model of its own.
  std::vector<Model> Others;
};

uint16_t U16(const std::vector<uint8_t>& d, size_t at) { return uint16_t(d[at] | d[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& d, size_t at) { return U16(d, at) | uint32_t(U16(d, at + 2)) << 16; }

// Walks the chunks in [at, end); every chunk must end inside its parent and
// the children must fill it exactly.
void Walk(const std::vector<uint8_t>& d, size_t at, size_t end, Model& m, int depth) {
  while (at < end) {
    ASSERT_LE(at + 6, end) << "chunk header cut off at " << at;
    uint16_t id = U16(d, at);
    uint32_t len = U32(d, at + 2);
    ASSERT_GE(len, 6u) << "chunk " << std::hex << id;
    ASSERT_LE(at + len, end) << "chunk " << std::hex << id << " runs past its parent";
    size_t body = at + 6, stop = at + len;
    switch (id) {
      case 0x3D3D:
      case 0x4100:
        Walk(d, body, stop, m, depth + 1);
        break;
      case 0x4000: {
        const size_t name = body;
        while (body < stop && d[body]) ++body;
        Model* object = &m;
        if (m.Objects > 0) {
          m.Others.emplace_back();
          object = &m.Others.back();
        }
        ++m.Objects;
        if (object != &m) ++object->Objects;
        object->Name.assign(d.begin() + name, d.begin() + body);
        Walk(d, body + 1, stop, *object, depth + 1);
        break;
      }
      case 0x4110: {
        ++m.Meshes;
        uint16_t n = U16(d, body);
        ASSERT_EQ(len, 6u + 2 + 12u * n);
        m.V.resize(3 * n);
        std::memcpy(m.V.data(), &d[body + 2], 12 * n);
        for (int i = 0; i < n; ++i)
          for (int a = 0; a < 3; ++a) {
            m.Min[a] = std::min(m.Min[a], m.V[3 * i + a]);
            m.Max[a] = std::max(m.Max[a], m.V[3 * i + a]);
          }
        break;
      }
      case 0x4140:
        m.TexCoords = U16(d, body);
        ASSERT_EQ(len, 6u + 2 + 8u * m.TexCoords);
        break;
      case 0x4120: {
        uint16_t n = U16(d, body);
        for (int i = 0; i < n; ++i)
          for (int k = 0; k < 3; ++k) m.F.push_back(U16(d, body + 2 + 8 * i + 2 * k));
        // Children (smoothing groups) follow the face list.
        Walk(d, body + 2 + 8u * n, stop, m, depth + 1);
        break;
      }
      default:
        break;
    }
    at = stop;
  }
}

Model Load(const char* name) {
  std::ifstream in(fs::path(VEMLA_STAGE_DIR) / "data" / name, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), {});
  Model m;
  EXPECT_GE(d.size(), 6u) << name;
  if (d.size() < 6) return m;
  EXPECT_EQ(U16(d, 0), 0x4D4D) << name;
  EXPECT_EQ(U32(d, 2), d.size()) << name << ": the main chunk spans the file";
  Walk(d, 6, d.size(), m, 0);
  return m;
}

struct Vec {
  double X, Y, Z;
};
Vec Sub(Vec a, Vec b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
Vec Cross(Vec a, Vec b) { return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X}; }
double Dot(Vec a, Vec b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }

// Checks one mesh with uv per vertex and no degenerate faces, in a file of
// that many objects; returns its signed volume (positive when the faces turn
// outwards).
double CheckMesh(const Model& m, const char* name, int objects = 1) {
  EXPECT_EQ(m.Objects, objects) << name;
  EXPECT_EQ(m.Meshes, 1) << name;
  size_t n = m.V.size() / 3;
  EXPECT_GT(n, 0u) << name;
  EXPECT_EQ(size_t(m.TexCoords), n) << name << ": a texture coordinate for every vertex";
  auto at = [&](uint16_t i) { return Vec{m.V[3 * i], m.V[3 * i + 1], m.V[3 * i + 2]}; };
  double volume = 0;
  std::vector<int> used(n, 0);
  for (size_t f = 0; f + 2 < m.F.size(); f += 3) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_LT(m.F[f + k], n) << name << " face " << f / 3;
      if (m.F[f + k] >= n) return 0;
      used[m.F[f + k]] = 1;
    }
    Vec a = at(m.F[f]), b = at(m.F[f + 1]), c = at(m.F[f + 2]);
    Vec cr = Cross(Sub(b, a), Sub(c, a));
    EXPECT_GT(std::sqrt(Dot(cr, cr)), 1e-4) << name << ": face " << f / 3 << " has no area";
    volume += Dot(a, cr) / 6.0;
  }
  for (size_t i = 0; i < n; ++i) EXPECT_TRUE(used[i]) << name << ": vertex " << i << " belongs to no face";
  return volume;
}

}  // namespace

TEST(Models, ClockLiesFaceUpAndFillsTheNestAndTheTunnel) {
  Model m = Load("clock.3ds");
  // The full clock, then its two coarser levels, each a mesh of its own
  // with the same size and turned outwards.
  EXPECT_EQ(m.Name, "Clock");
  ASSERT_EQ(m.Others.size(), 2u);
  for (const Model& level : m.Others) {
    EXPECT_EQ(level.Name.rfind("Clock~", 0), 0u) << level.Name;
    EXPECT_GT(CheckMesh(level, level.Name.c_str()), 0) << level.Name;
    EXPECT_LT(level.F.size(), m.F.size()) << level.Name;
    EXPECT_NEAR(level.Max[0] - level.Min[0], m.Max[0] - m.Min[0], 0.5f) << level.Name;
  }
  double volume = CheckMesh(m, "clock.3ds", 3);
  EXPECT_GT(volume, 0) << "faces turn outwards";
  EXPECT_LE(m.F.size() / 3, 5000u) << "a few thousand triangles at most";
  // Radius about 60: the largest of the nest (scale 6.5) stays within the
  // view from 730 units, and the tunnel's clocks, 100 apart, overlap a little.
  float rx = (m.Max[0] - m.Min[0]) / 2, thick = m.Max[2] - m.Min[2];
  EXPECT_GT(rx, 50);
  EXPECT_LT(rx, 70);
  EXPECT_LT(thick, 20) << "lying flat, face up (+z)";
}

TEST(Models, PeaIsASmallClosedBall) {
  Model m = Load("pea.3ds");
  double volume = CheckMesh(m, "pea.3ds");
  double r = (m.Max[0] - m.Min[0]) / 2;
  EXPECT_NEAR(r, 6, 0.5);
  EXPECT_NEAR(volume, 4.0 / 3.0 * M_PI * r * r * r, 0.15 * volume) << "closed and turned outwards";
}

TEST(Models, RoomSurroundsTheCirclingCameraWithFacesTurnedInwards) {
  Model m = Load("cuberoom.3ds");
  double volume = CheckMesh(m, "cuberoom.3ds");
  EXPECT_LT(volume, 0) << "faces turn inwards";
  // The camera circles up to sqrt(40^2 + 10^2 + 40^2) = 57 units from the
  // centre, and the presses reach 60 units out.
  for (int a = 0; a < 3; ++a) {
    EXPECT_LT(m.Min[a], -70);
    EXPECT_GT(m.Max[a], 70);
  }
}

TEST(Models, StampStrikesWithAFlatFaceAtItsOrigin) {
  Model m = Load("stempel.3ds");
  double volume = CheckMesh(m, "stempel.3ds");
  EXPECT_GT(volume, 0) << "faces turn outwards";
  EXPECT_FLOAT_EQ(m.Min[2], 0.0f) << "the striking face lies at z = 0";
  EXPECT_GT(m.Max[2], 200) << "the rod rises along +z";
  // Scaled by 0.15 the head must stay clear of the neighbouring cell, 20 apart.
  EXPECT_LT((m.Max[0] - m.Min[0]) * 0.15f, 18.0f);
  EXPECT_GT((m.Max[0] - m.Min[0]) * 0.15f, 8.0f);
  int onFace = 0;
  for (size_t i = 0; i < m.V.size(); i += 3) onFace += m.V[i + 2] == 0.0f;
  EXPECT_GT(onFace, 8) << "a flat striking face";
}
