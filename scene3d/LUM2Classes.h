// Drawable triangle meshes (positions and texture coordinates; plus normals;
// plus a material), smooth normals, whole-mesh rotation and scaling, the
// model container TLUMBrush that the scenes load and draw (with the levels of
// detail of its first mesh, scene3d/MeshLevels.h), and small
// utilities: a random vector, triangles, degrees to radians. The blend
// switches come with the materials.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "scene3d/LUM2Materials.h"
#include "scene3d/Types3DS.h"

// Vertex indices of one triangle, as the indexed draw call takes them.
struct TFace {
  uint32_t a = 0, b = 0, c = 0;
};

struct TTriangle {
  Vec3 p0, p1, p2;
};

using TVertexArray = std::vector<Vec3>;

// A mesh's arrays as the driver's buffer objects, made on its first array
// draw after a change. A copy of a mesh makes buffers of its own, and a
// mesh assigned another's arrays lets go of those of its old ones.
struct TMeshBuffers {
  TMeshBuffers() = default;
  TMeshBuffers(const TMeshBuffers&) {}
  TMeshBuffers& operator=(const TMeshBuffers&) {
    Release();
    return *this;
  }
  ~TMeshBuffers() { Release(); }
  void Release();

  uint32_t Vertices = 0;  // positions, then normals (when drawn), then texture coordinates
  uint32_t Indices = 0;
  bool ShortIndices = false;
  bool WithNormals = false;
  size_t NormalsOffset = 0;
  size_t TexCoordsOffset = 0;
};

class TMeshData {
 public:
  TMeshData();
  // Appends a vertex and returns its index (the old count).
  virtual int32_t AddVertex(const Vec3& position, const TTexCoord& texCoord);
  virtual ~TMeshData();
  // Immediate mode, with whatever state the caller set.
  virtual void Draw();
  // Resizes the arrays (new elements are zero) and stores both counts.
  virtual void SetSize(int32_t newVertexCount, int32_t newFaceCount);
  // One glDrawElements over the mesh's own arrays, kept by the driver as
  // buffer objects between draws where the context has them.
  virtual void DrawArrays();
  // The arrays or counts were changed in place: the next array draw hands
  // them to the driver again. The mesh routines here say so themselves.
  void Changed();

  void Clear();
  TTriangle GetTriangle(int32_t faceIndex) const;

  TVertexArray Vertices;
  std::vector<TFace> Faces;
  std::vector<TTexCoord> TexCoords;
  int32_t VertexCount = 0;
  int32_t FaceCount = 0;
  std::string Name;

 protected:
  // The indexed draw of both array draws; normals is null for none.
  void DrawElements(const Vec3* normals);

 private:
  TMeshBuffers Buffers;
};

class TMeshDataN : public TMeshData {
 public:
  TMeshDataN();
  int32_t AddVertex(const Vec3& position, const TTexCoord& texCoord) override;
  ~TMeshDataN() override;
  void Draw() override;
  // Also resizes the normals and computes them face by face for each vertex.
  void SetSize(int32_t newVertexCount, int32_t newFaceCount) override;
  void DrawArrays() override;

  void ComputeNormals();
  // The normalised sum of the face normals of the faces that name the vertex.
  Vec3 VertexNormal(int32_t vertexIndex) const;

  TVertexArray Normals;
};

class TMeshDataNM : public TMeshDataN {
 public:
  TMeshDataNM();
  ~TMeshDataNM() override;
  // Applies the material, then draws like TMeshDataN.
  void Draw() override;
  // Does not apply the material: the caller's state decides the look.
  void DrawArrays() override;

  ::Material Material;
};

// Area-weighted vertex normals in one pass over the faces. A vertex no face
// touches, or whose faces add up to nothing, gets (0, 0, 0).
void SmoothNormals(TMeshDataN& mesh);
// The sum of the areas of the mesh's triangles.
double SummedArea(const TMeshData& mesh);
// Rotates every position about X, then Y, then Z (degrees), at double precision.
void RotateMesh(TMeshData& mesh, const Vec3& angles);
Vec3 RotateVertex(const Vec3& position, const Vec3& angles);
void ScaleMesh(TMeshData& mesh, const Vec3& factors);

// A coarser level of a brush's first mesh (see scene3d/MeshLevels.h).
struct TMeshLevel {
  std::unique_ptr<TMeshDataNM> Mesh;
  float Detail = 0;  // the width, in model units, of the widest part it leaves out
  float Light = 1;   // the factor on its colour's alpha that adds the full mesh's light
};

// One loaded model: every mesh of a 3DS file, turned from the file's Z-up
// frame into the scenes' Y-up frame and with smooth normals. The file's
// objects named as levels of its first mesh are kept as that mesh's Levels,
// not as meshes of their own.
class TLUMBrush {
 public:
  explicit TLUMBrush(const std::string& fileName);
  // Loads the file through the shared loader and turns it 270 degrees about X.
  void LoadModel(const std::string& fileName);
  void Import3DS(const std::string& fileName);
  // Rotates every mesh and recomputes its normals.
  void Rotate(const Vec3& angles);
  // Scales every mesh and level, and the levels' details by the largest
  // factor; normals stay as they are.
  void Scale(const Vec3& factors);

  std::vector<std::unique_ptr<TMeshDataNM>> Meshes;
  int32_t MeshCount = 0;
  // The first mesh's coarser levels, finest first.
  std::vector<TMeshLevel> Levels;
  // A sphere holding the first mesh, for choosing its level.
  Vec3 Centre{};
  float Radius = 0;

 private:
  void UpdateBounds();
};

// One indexed vertex-array draw of the brush's first mesh, in the caller's
// state, at the level the draw's pixels can show (scene3d/LevelDraw.h); a
// brush not loaded, or without meshes, draws nothing.
void DrawBrush(const std::unique_ptr<TLUMBrush>& brush);

// Each component (R1 - R2) * s from two successive shared random draws:
// within (-s, s), triangular.
Vec3 RandomVec3(float sx, float sy, float sz);
TTriangle MakeTriangle(const Vec3& p0, const Vec3& p1, const Vec3& p2);
float DegToRad(double degrees);

