#include "scene3d/LUM2Classes.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/GLBuffers.h"
#include "platform/Random.h"
#include "platform/Stream.h"
#include "scene3d/LUM2_3ds.h"
#include "scene3d/LevelDraw.h"
#include "scene3d/MeshLevels.h"

static_assert(sizeof(TFace) == 12 && sizeof(Vec3) == 12 && sizeof(TTexCoord) == 8,
              "the vertex arrays are handed to OpenGL tightly packed");

namespace {

Vec3 VectorSub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vec3 CrossProduct(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Not normalised: twice the triangle's area, right-handed over p0, p1, p2.
Vec3 FaceNormal(const TTriangle& t) { return CrossProduct(VectorSub(t.p1, t.p0), VectorSub(t.p2, t.p0)); }

void AddTo(Vec3& sum, const Vec3& v) {
  sum.x += v.x;
  sum.y += v.y;
  sum.z += v.z;
}

// A zero vector stays zero instead of becoming 0/0.
Vec3 Normalize(const Vec3& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0)) return Vec3{};
  return {v.x / length, v.y / length, v.z / length};
}

template <typename T>
void Grow(std::vector<T>& array, int32_t count) {
  array.resize(static_cast<size_t>(std::max(count, 0)));
}

}  // namespace

// ---- TMeshData ----

void TMeshBuffers::Release() {
  DeleteBuffer(Vertices);
  DeleteBuffer(Indices);
  Vertices = Indices = 0;
}

TMeshData::TMeshData() = default;

TMeshData::~TMeshData() { Clear(); }

int32_t TMeshData::AddVertex(const Vec3& position, const TTexCoord& texCoord) {
  Grow(Vertices, VertexCount + 1);
  Grow(TexCoords, VertexCount + 1);
  Vertices[VertexCount] = position;
  TexCoords[VertexCount] = texCoord;
  Changed();
  return VertexCount++;
}

void TMeshData::SetSize(int32_t newVertexCount, int32_t newFaceCount) {
  Grow(Vertices, newVertexCount);
  Grow(TexCoords, newVertexCount);
  Grow(Faces, newFaceCount);
  VertexCount = std::max(newVertexCount, 0);
  FaceCount = std::max(newFaceCount, 0);
  Changed();
}

void TMeshData::Clear() {
  Vertices.clear();
  Faces.clear();
  TexCoords.clear();
  FaceCount = 0;
  VertexCount = 0;
  Changed();
}

void TMeshData::Changed() { Buffers.Release(); }

TTriangle TMeshData::GetTriangle(int32_t faceIndex) const {
  const TFace& face = Faces[faceIndex];
  return {Vertices[face.a], Vertices[face.b], Vertices[face.c]};
}

void TMeshData::Draw() {
  glBegin(GL_TRIANGLES);
  for (int32_t f = 0; f < FaceCount; ++f)
    for (uint32_t corner : {Faces[f].a, Faces[f].b, Faces[f].c}) {
      glTexCoord2f(TexCoords[corner].u, TexCoords[corner].v);
      glVertex3f(Vertices[corner].x, Vertices[corner].y, Vertices[corner].z);
    }
  glEnd();
}

void TMeshData::DrawArrays() { DrawElements(nullptr); }

namespace {
// The mesh's arrays in one vertex buffer and its faces in an index buffer,
// 16-bit where every index fits. False when there are no buffer objects.
bool MakeBuffers(TMeshBuffers& buffers, const TMeshData& mesh, const Vec3* normals) {
  const size_t count = static_cast<size_t>(mesh.VertexCount);
  const size_t positions = count * sizeof(Vec3);
  const size_t normalBytes = normals != nullptr ? count * sizeof(Vec3) : 0;
  const size_t coords = count * sizeof(TTexCoord);
  std::vector<uint8_t> bytes(positions + normalBytes + coords);
  std::copy_n(reinterpret_cast<const uint8_t*>(mesh.Vertices.data()), positions, bytes.data());
  if (normals != nullptr) std::copy_n(reinterpret_cast<const uint8_t*>(normals), normalBytes, bytes.data() + positions);
  std::copy_n(reinterpret_cast<const uint8_t*>(mesh.TexCoords.data()), coords, bytes.data() + positions + normalBytes);

  const size_t corners = static_cast<size_t>(mesh.FaceCount) * 3;
  const uint32_t* indices = &mesh.Faces.data()->a;
  const bool fitShort = std::all_of(indices, indices + corners, [](uint32_t i) { return i <= 0xFFFF; });
  std::vector<uint16_t> shortIndices;
  if (fitShort) shortIndices.assign(indices, indices + corners);

  buffers.Vertices = CreateStaticBuffer(GL_ARRAY_BUFFER, bytes.data(), bytes.size());
  if (buffers.Vertices == 0) return false;
  buffers.Indices = fitShort ? CreateStaticBuffer(GL_ELEMENT_ARRAY_BUFFER, shortIndices.data(), corners * 2)
                             : CreateStaticBuffer(GL_ELEMENT_ARRAY_BUFFER, indices, corners * 4);
  buffers.ShortIndices = fitShort;
  buffers.WithNormals = normals != nullptr;
  buffers.NormalsOffset = positions;
  buffers.TexCoordsOffset = positions + normalBytes;
  return true;
}

const void* At(size_t offset) { return reinterpret_cast<const void*>(offset); }
}  // namespace

void TMeshData::DrawElements(const Vec3* normals) {
  // Arrays shorter than the counts say (a caller's slip) are not read past.
  const bool whole = Vertices.size() >= static_cast<size_t>(VertexCount) &&
                     TexCoords.size() >= static_cast<size_t>(VertexCount) &&
                     Faces.size() >= static_cast<size_t>(FaceCount);
  if (FaceCount <= 0 || !whole) return;
  if (Buffers.Vertices != 0 && Buffers.WithNormals != (normals != nullptr)) Buffers.Release();
  const bool buffered = Buffers.Vertices != 0 || MakeBuffers(Buffers, *this, normals);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  if (normals != nullptr) glEnableClientState(GL_NORMAL_ARRAY);
  if (buffered) {
    BindBuffer(GL_ARRAY_BUFFER, Buffers.Vertices);
    BindBuffer(GL_ELEMENT_ARRAY_BUFFER, Buffers.Indices);
    glVertexPointer(3, GL_FLOAT, 0, At(0));
    if (normals != nullptr) glNormalPointer(GL_FLOAT, 0, At(Buffers.NormalsOffset));
    glTexCoordPointer(2, GL_FLOAT, 0, At(Buffers.TexCoordsOffset));
    glDrawElements(GL_TRIANGLES, FaceCount * 3, Buffers.ShortIndices ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT, At(0));
    BindBuffer(GL_ARRAY_BUFFER, 0);
    BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  } else {
    glVertexPointer(3, GL_FLOAT, 0, Vertices.data());
    if (normals != nullptr) glNormalPointer(GL_FLOAT, 0, normals);
    glTexCoordPointer(2, GL_FLOAT, 0, TexCoords.data());
    glDrawElements(GL_TRIANGLES, FaceCount * 3, GL_UNSIGNED_INT, Faces.data());
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

// ---- TMeshDataN ----

TMeshDataN::TMeshDataN() = default;

TMeshDataN::~TMeshDataN() { Normals.clear(); }

int32_t TMeshDataN::AddVertex(const Vec3& position, const TTexCoord& texCoord) {
  const int32_t index = TMeshData::AddVertex(position, texCoord);
  Grow(Normals, VertexCount);
  return index;
}

void TMeshDataN::SetSize(int32_t newVertexCount, int32_t newFaceCount) {
  TMeshData::SetSize(newVertexCount, newFaceCount);
  Grow(Normals, newVertexCount);
  ComputeNormals();
}

void TMeshDataN::ComputeNormals() {
  for (int32_t i = 0; i < VertexCount; ++i) Normals[i] = VertexNormal(i);
  Changed();
}

Vec3 TMeshDataN::VertexNormal(int32_t vertexIndex) const {
  Vec3 sum{};
  const uint32_t k = static_cast<uint32_t>(vertexIndex);
  for (int32_t f = 0; f < FaceCount; ++f) {
    const Vec3 n = FaceNormal(GetTriangle(f));
    for (uint32_t corner : {Faces[f].a, Faces[f].b, Faces[f].c})
      if (corner == k) AddTo(sum, n);
  }
  return Normalize(sum);
}

void TMeshDataN::Draw() {
  for (int32_t f = 0; f < FaceCount; ++f) {
    glBegin(GL_TRIANGLES);
    for (uint32_t corner : {Faces[f].a, Faces[f].b, Faces[f].c}) {
      glTexCoord2f(TexCoords[corner].u, TexCoords[corner].v);
      glNormal3f(Normals[corner].x, Normals[corner].y, Normals[corner].z);
      glVertex3f(Vertices[corner].x, Vertices[corner].y, Vertices[corner].z);
    }
    glEnd();
  }
}

void TMeshDataN::DrawArrays() {
  if (Normals.size() >= static_cast<size_t>(VertexCount)) DrawElements(Normals.data());
}

// ---- TMeshDataNM ----

TMeshDataNM::TMeshDataNM() = default;

TMeshDataNM::~TMeshDataNM() = default;

void TMeshDataNM::Draw() {
  Material.Apply();
  TMeshDataN::Draw();
}

void TMeshDataNM::DrawArrays() { TMeshDataN::DrawArrays(); }

// ---- mesh routines ----

void SmoothNormals(TMeshDataN& mesh) {
  for (int32_t i = 0; i < mesh.VertexCount; ++i) mesh.Normals[i] = Vec3{};
  for (int32_t f = 0; f < mesh.FaceCount; ++f) {
    const Vec3 n = FaceNormal(mesh.GetTriangle(f));
    const TFace& face = mesh.Faces[f];
    AddTo(mesh.Normals[face.a], n);
    AddTo(mesh.Normals[face.b], n);
    AddTo(mesh.Normals[face.c], n);
  }
  for (int32_t i = 0; i < mesh.VertexCount; ++i) mesh.Normals[i] = Normalize(mesh.Normals[i]);
  mesh.Changed();
}

double SummedArea(const TMeshData& mesh) {
  double sum = 0;
  for (int32_t f = 0; f < mesh.FaceCount; ++f) {
    const Vec3 n = FaceNormal(mesh.GetTriangle(f));
    sum += 0.5 * std::sqrt(static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y + static_cast<double>(n.z) * n.z);
  }
  return sum;
}

Vec3 RotateVertex(const Vec3& position, const Vec3& angles) {
  double x = position.x, y = position.y, z = position.z;
  const double a = DegToRad(angles.x), b = DegToRad(angles.y), c = DegToRad(angles.z);
  double t;
  t = std::cos(a) * y - std::sin(a) * z;
  z = std::sin(a) * y + std::cos(a) * z;
  y = t;
  t = std::cos(b) * x - std::sin(b) * z;
  z = std::sin(b) * x + std::cos(b) * z;
  x = t;
  t = std::cos(c) * x - std::sin(c) * y;
  y = std::sin(c) * x + std::cos(c) * y;
  x = t;
  return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

void RotateMesh(TMeshData& mesh, const Vec3& angles) {
  for (int32_t i = 0; i < mesh.VertexCount; ++i) mesh.Vertices[i] = RotateVertex(mesh.Vertices[i], angles);
  mesh.Changed();
}

void ScaleMesh(TMeshData& mesh, const Vec3& factors) {
  for (int32_t i = 0; i < mesh.VertexCount; ++i) {
    Vec3& v = mesh.Vertices[i];
    v.x *= factors.x;
    v.y *= factors.y;
    v.z *= factors.z;
  }
  mesh.Changed();
}

// ---- TLUMBrush ----

TLUMBrush::TLUMBrush(const std::string& fileName) { LoadModel(fileName); }

void TLUMBrush::LoadModel(const std::string& fileName) {
  Shared3DSLoader = new T3DSLoader;
  try {
    Import3DS(fileName);
  } catch (const EReadError& error) {
    delete Shared3DSLoader;
    Shared3DSLoader = nullptr;
    // A model cut short says which model it was.
    throw EReadError("Cannot read the model " + fileName + ": " + error.what());
  } catch (...) {
    delete Shared3DSLoader;
    Shared3DSLoader = nullptr;
    throw;
  }
  Rotate(MakeVec3(270, 0, 0));
  delete Shared3DSLoader;
  Shared3DSLoader = nullptr;
}

void TLUMBrush::Import3DS(const std::string& fileName) {
  Shared3DSLoader->Open(fileName);
  Meshes.clear();
  Levels.clear();
  for (int32_t i = 0; i < Shared3DSLoader->MeshCount; ++i) {
    std::unique_ptr<TMeshDataNM> mesh = Shared3DSLoader->BuildMesh(i);
    SmoothNormals(*mesh);
    const float detail = Meshes.empty() ? 0 : LevelDetail(mesh->Name, Meshes.front()->Name);
    if (detail > 0)
      Levels.push_back({std::move(mesh), detail, 1});
    else
      Meshes.push_back(std::move(mesh));
  }
  Shared3DSLoader->File.reset();
  MeshCount = static_cast<int32_t>(Meshes.size());
  std::sort(Levels.begin(), Levels.end(), [](const TMeshLevel& a, const TMeshLevel& b) { return a.Detail < b.Detail; });
  for (TMeshLevel& level : Levels) level.Light = LevelLight(*Meshes.front(), *level.Mesh);
  UpdateBounds();
}

void TLUMBrush::Rotate(const Vec3& angles) {
  for (auto& mesh : Meshes) {
    RotateMesh(*mesh, angles);
    SmoothNormals(*mesh);
  }
  for (TMeshLevel& level : Levels) {
    RotateMesh(*level.Mesh, angles);
    SmoothNormals(*level.Mesh);
  }
  UpdateBounds();
}

void TLUMBrush::Scale(const Vec3& factors) {
  for (auto& mesh : Meshes) ScaleMesh(*mesh, factors);
  const float largest = std::max({std::fabs(factors.x), std::fabs(factors.y), std::fabs(factors.z)});
  for (TMeshLevel& level : Levels) {
    ScaleMesh(*level.Mesh, factors);
    level.Detail *= largest;
  }
  UpdateBounds();
}

void TLUMBrush::UpdateBounds() {
  Centre = Vec3{};
  Radius = 0;
  if (Meshes.empty() || !Meshes.front() || Meshes.front()->VertexCount <= 0) return;
  const TMeshData& mesh = *Meshes.front();
  Vec3 low = mesh.Vertices[0], high = mesh.Vertices[0];
  for (int32_t i = 0; i < mesh.VertexCount; ++i) {
    const Vec3& v = mesh.Vertices[i];
    low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
    high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
  }
  Centre = {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
  for (int32_t i = 0; i < mesh.VertexCount; ++i) {
    const Vec3 d = VectorSub(mesh.Vertices[i], Centre);
    Radius = std::max(Radius, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
  }
}

void DrawBrush(const std::unique_ptr<TLUMBrush>& brush) {
  if (!brush || brush->Meshes.empty() || !brush->Meshes.front()) return;
  if (brush->Levels.empty()) {
    brush->Meshes.front()->DrawArrays();
    return;
  }
  const size_t level = ChooseLevel(*brush, MeasureDrawScale(brush->Centre, brush->Radius));
  if (level == 0)
    brush->Meshes.front()->DrawArrays();
  else
    DrawWithLight(*brush->Levels[level - 1].Mesh, brush->Levels[level - 1].Light);
}

// ---- utilities ----

namespace {

// (R1 - R2) * s with R1 drawn before R2 (operands of - have no fixed order).
float RandomComponent(float s) {
  const double r1 = RandomFloat();
  const double r2 = RandomFloat();
  return static_cast<float>((r1 - r2) * s);
}

}  // namespace

Vec3 RandomVec3(float sx, float sy, float sz) {
  Vec3 v;
  v.x = RandomComponent(sx);
  v.y = RandomComponent(sy);
  v.z = RandomComponent(sz);
  return v;
}

TTriangle MakeTriangle(const Vec3& p0, const Vec3& p1, const Vec3& p2) { return {p0, p1, p2}; }

float DegToRad(double degrees) { return static_cast<float>(degrees / 360.0 * 2.0 * std::numbers::pi); }

