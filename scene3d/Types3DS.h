// Records and constants of the 3DS reader: chunk ids, the chunk tree node,
// decoded payloads, the extracted mesh record and the reader's exception.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Types.h"

// Chunk ids on the road from a file to a mesh, and the two version chunks a
// writer puts beside them (the reader passes over those).
constexpr uint16_t CHK_MAIN = 0x4D4D;
constexpr uint16_t CHK_VERSION = 0x0002;
constexpr uint16_t CHK_MESH_VERSION = 0x3D3E;
constexpr uint16_t CHK_PROJECT_MAIN = 0xC23D;
constexpr uint16_t CHK_MATLIB_MAIN = 0x3DAA;
constexpr uint16_t CHK_EDITOR = 0x3D3D;
constexpr uint16_t CHK_NAMED_OBJECT = 0x4000;
constexpr uint16_t CHK_OBJ_HIDDEN = 0x4010;
constexpr uint16_t CHK_OBJ_VIS_LOFTER = 0x4011;
constexpr uint16_t CHK_OBJ_NO_CAST = 0x4012;
constexpr uint16_t CHK_OBJ_MATTE = 0x4013;
constexpr uint16_t CHK_OBJ_FAST = 0x4014;
constexpr uint16_t CHK_OBJ_PROCEDURAL = 0x4015;
constexpr uint16_t CHK_OBJ_FROZEN = 0x4016;
constexpr uint16_t CHK_OBJ_NO_RECEIVE = 0x4017;
constexpr uint16_t CHK_TRI_MESH = 0x4100;
constexpr uint16_t CHK_VERTICES = 0x4110;
constexpr uint16_t CHK_VERTEX_FLAGS = 0x4111;
constexpr uint16_t CHK_FACES = 0x4120;
constexpr uint16_t CHK_FACE_MATERIAL = 0x4130;
constexpr uint16_t CHK_TEX_COORDS = 0x4140;
constexpr uint16_t CHK_SMOOTH_GROUPS = 0x4150;
constexpr uint16_t CHK_LOCAL_MATRIX = 0x4160;
constexpr uint16_t CHK_MESH_COLOR = 0x4165;
constexpr uint16_t CHK_MAPPING_INFO = 0x4170;
constexpr uint16_t CHK_PROC_NAME = 0x4181;
constexpr uint16_t CHK_PROC_DATA = 0x4182;
constexpr uint16_t CHK_BOX_MAP = 0x4190;
constexpr uint16_t CHK_EXTRA_DATA = 0x8001;

// One texture coordinate; the mesh classes use the same record.
struct TTexCoord {
  float u = 0, v = 0;
};

struct TFace3DS {
  uint16_t A = 0, B = 0, C = 0, Flags = 0;
};

struct TObjMat3DS {
  std::string Name;
  uint16_t FaceCount = 0;
  std::vector<uint16_t> FaceIndices;
};

// Zero-filled as declared; InitMesh3DS sets the fresh values (the 1.0s).
struct TMapInfo3DS {
  uint16_t MapType = 0;
  float TileU = 0, TileV = 0;
  Vec3 Center{};
  float Scale = 0;
  std::array<float, 12> Matrix{};
  float PlanarWidth = 0, PlanarHeight = 0, CylinderHeight = 0;
};

// The decoded payload of one chunk. Only the fields of the chunk's id are
// used; arrays are moved out of it into the mesh record.
struct TChunkPayload3DS {
  std::string Text;                  // 0x4000, 0x4181; the material name of 0x4130
  uint16_t Count = 0;                // the stored count of the arrays below
  std::vector<Vec3> Vertices;        // 0x4110
  std::vector<uint16_t> Values;      // 0x4111 vertex flags, 0x4130 face indices
  std::vector<TFace3DS> Faces;       // 0x4120
  std::vector<uint32_t> SmoothGroups;  // 0x4150
  std::vector<TTexCoord> TexCoords;  // 0x4140
  std::array<std::string, 6> BoxMap;   // 0x4190
  std::array<float, 12> Matrix{};    // 0x4160
  uint8_t Color = 0;                 // 0x4165
  TMapInfo3DS MapInfo;               // 0x4170
  std::vector<uint8_t> Bytes;        // 0x4182
};

// One node of the chunk tree. A node owns its children and its next
// siblings; ReleaseChunkTree frees them without recursing along long lists.
struct TChunkNode3DS {
  uint16_t Id = 0;
  uint32_t Length = 0;
  uint32_t FileOffset = 0;
  std::unique_ptr<TChunkPayload3DS> Payload;
  TChunkNode3DS* NextSibling = nullptr;
  TChunkNode3DS* FirstChild = nullptr;
};

struct TNamedObject3DS {
  std::string Name;
  TChunkNode3DS* Chunk = nullptr;
};

// One triangle mesh as extracted from the file.
struct TMesh3DS {
  std::string Name;
  bool IsHidden = false;
  bool IsVisLofter = false;
  bool IsMatte = false;
  bool IsNoCast = false;
  bool IsFast = false;
  bool IsNoReceive = false;
  bool IsFrozen = false;
  uint16_t VertexCount = 0;
  std::vector<Vec3> Vertices;
  uint16_t VertexFlagCount = 0;
  std::vector<uint16_t> VertexFlags;
  uint16_t TexCoordCount = 0;
  std::vector<TTexCoord> TexCoords;
  bool HasMapInfo = false;
  TMapInfo3DS MapInfo;
  std::array<float, 12> LocalMatrix{};
  uint16_t FaceCount = 0;
  std::vector<TFace3DS> Faces;
  std::vector<uint32_t> SmoothGroups;
  bool HasBoxMap = false;
  std::array<std::string, 6> BoxMap;
  uint8_t MeshColor = 0;
  uint16_t MaterialGroupCount = 0;
  std::vector<TObjMat3DS> MaterialGroups;
  bool IsProcedural = false;
  uint32_t ProcDataSize = 0;
  std::string ProcName;
  std::vector<uint8_t> ProcData;
};

// The reader's errors; each is raised through RaiseError3DS after the beep.
class E3DSError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The object list's error for an index beyond its slots.
class EListError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};
