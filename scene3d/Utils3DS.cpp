#include "scene3d/Utils3DS.h"

#include <cstdio>
#include <functional>
#include <new>
#include <vector>

#include "platform/Beep.h"
#include "scene3d/File3DS.h"

void RaiseError3DS(const std::string& message) {
  WarningBeep();
  throw E3DSError(message);
}

TChunkNode3DS* FindChunk(TChunkNode3DS* start, uint16_t id) {
  if (start == nullptr) return nullptr;
  if (start->Id == id) return start;
  // Each entry is the next node to visit at one depth; no recursion, so a
  // deep tree cannot exhaust the call stack.
  std::vector<TChunkNode3DS*> pending{start->FirstChild};
  while (!pending.empty()) {
    TChunkNode3DS* node = pending.back();
    if (node == nullptr) {
      pending.pop_back();
      continue;
    }
    pending.back() = node->NextSibling;
    if (node->Id == id) return node;
    pending.push_back(node->FirstChild);
  }
  return nullptr;
}

TChunkNode3DS* FindSibling(TChunkNode3DS* start, uint16_t id) {
  for (TChunkNode3DS* node = start; node != nullptr; node = node->NextSibling)
    if (node->Id == id) return node;
  return nullptr;
}

void ReleaseChunkTree(TChunkNode3DS* node) {
  std::vector<TChunkNode3DS*> pending;
  if (node != nullptr) pending.push_back(node);
  while (!pending.empty()) {
    TChunkNode3DS* current = pending.back();
    pending.pop_back();
    if (current->NextSibling != nullptr) pending.push_back(current->NextSibling);
    if (current->FirstChild != nullptr) pending.push_back(current->FirstChild);
    delete current;
  }
}

void InitMesh3DS(TMesh3DS& mesh) {
  mesh = TMesh3DS{};
  TMapInfo3DS& map = mesh.MapInfo;
  map.TileU = 1;
  map.TileV = 1;
  map.Scale = 1;
  map.Matrix[0] = 1;
  map.Matrix[4] = 1;
  map.PlanarWidth = 1;
  map.PlanarHeight = 1;
  map.CylinderHeight = 1;
}

void ReleaseMesh3DS(TMesh3DS& mesh) { mesh = TMesh3DS{}; }

namespace {

bool HoldsMesh(const TNamedObject3DS& entry) { return FindChunk(entry.Chunk, CHK_TRI_MESH) != nullptr; }

// Reads a child's payload, hands it to use, and releases it again.
void WithPayload(TFile3DS& file, TChunkNode3DS* node, const std::function<void(TChunkPayload3DS&)>& use) {
  file.ReadChunkData(node);
  if (node->Payload) use(*node->Payload);
  TFile3DS::ReleaseChunkData(node);
}

void CheckFaces(const TMesh3DS& mesh) {
  for (size_t f = 0; f < mesh.Faces.size(); ++f) {
    const TFace3DS& face = mesh.Faces[f];
    for (uint16_t corner : {face.A, face.B, face.C}) {
      if (corner < mesh.VertexCount) continue;
      char text[256];
      std::snprintf(text, sizeof text, "Face %zu of the mesh \"%.64s\" names vertex %u, but the mesh has %u vertices.",
                    f, mesh.Name.c_str(), static_cast<unsigned>(corner), static_cast<unsigned>(mesh.VertexCount));
      RaiseError3DS(text);
    }
  }
}

}  // namespace

int32_t CountMeshes(TFile3DS& file) {
  file.UpdateNamedObjects();
  int32_t count = 0;
  for (const TNamedObject3DS& entry : file.NamedObjects)
    if (HoldsMesh(entry)) ++count;
  return count;
}

void GetMeshByIndex(TFile3DS& file, int32_t index, TMesh3DS& mesh) {
  mesh = TMesh3DS{};
  if (file.Root == nullptr) RaiseError3DS("The database passed as an argument has not be created yet.");
  if (file.Root->Id != CHK_MAIN && file.Root->Id != CHK_PROJECT_MAIN)
    RaiseError3DS("The database passed as an argument is the wrong kind of\rdatabase for this function.");
  file.UpdateNamedObjects();
  int32_t count = 0;
  for (const TNamedObject3DS& entry : file.NamedObjects) {
    if (!HoldsMesh(entry)) continue;
    if (++count == index + 1) {
      try {
        ExtractMesh(file, entry.Chunk, mesh);
      } catch (const std::bad_alloc&) {
        RaiseError3DS("Not enough memory to complete operation.");
      }
      return;
    }
  }
}

namespace {

// The material groups, smoothing groups and box map below a face list.
void ReadFaceExtras(TFile3DS& file, TChunkNode3DS* faces, TMesh3DS& mesh) {
  if (faces->FirstChild == nullptr) return;
  std::vector<TChunkNode3DS*> groups;
  for (TChunkNode3DS* group = FindChunk(faces, CHK_FACE_MATERIAL); group != nullptr;
       group = FindSibling(group->NextSibling, CHK_FACE_MATERIAL))
    groups.push_back(group);
  mesh.MaterialGroupCount = static_cast<uint16_t>(groups.size());
  mesh.MaterialGroups.assign(groups.size(), TObjMat3DS{});
  for (size_t g = 0; g < groups.size(); ++g)
    WithPayload(file, groups[g], [&](TChunkPayload3DS& data) {
      mesh.MaterialGroups[g].Name = data.Text;
      mesh.MaterialGroups[g].FaceCount = data.Count;
      mesh.MaterialGroups[g].FaceIndices = std::move(data.Values);
    });
  if (TChunkNode3DS* smooth = FindSibling(faces->FirstChild, CHK_SMOOTH_GROUPS))
    WithPayload(file, smooth, [&](TChunkPayload3DS& data) { mesh.SmoothGroups = std::move(data.SmoothGroups); });
  if (TChunkNode3DS* box = FindSibling(faces->FirstChild, CHK_BOX_MAP))
    WithPayload(file, box, [&](TChunkPayload3DS& data) {
      mesh.BoxMap = data.BoxMap;
      mesh.HasBoxMap = true;
    });
}

// One child of the triangle mesh into the mesh record; other ids are passed over.
void ReadMeshPart(TFile3DS& file, TChunkNode3DS* child, TMesh3DS& mesh) {
  switch (child->Id) {
    case CHK_VERTICES:
      WithPayload(file, child, [&](TChunkPayload3DS& data) {
        mesh.VertexCount = data.Count;
        mesh.Vertices = std::move(data.Vertices);
      });
      break;
    case CHK_VERTEX_FLAGS:
      WithPayload(file, child, [&](TChunkPayload3DS& data) {
        mesh.VertexFlagCount = data.Count;
        mesh.VertexFlags = std::move(data.Values);
      });
      break;
    case CHK_FACES:
      WithPayload(file, child, [&](TChunkPayload3DS& data) {
        mesh.FaceCount = data.Count;
        mesh.Faces = std::move(data.Faces);
      });
      ReadFaceExtras(file, child, mesh);
      break;
    case CHK_TEX_COORDS:
      WithPayload(file, child, [&](TChunkPayload3DS& data) {
        mesh.TexCoordCount = data.Count;
        mesh.TexCoords = std::move(data.TexCoords);
      });
      break;
    case CHK_LOCAL_MATRIX:
      WithPayload(file, child, [&](TChunkPayload3DS& data) { mesh.LocalMatrix = data.Matrix; });
      break;
    case CHK_MESH_COLOR:
      WithPayload(file, child, [&](TChunkPayload3DS& data) { mesh.MeshColor = data.Color; });
      break;
    case CHK_MAPPING_INFO:
      WithPayload(file, child, [&](TChunkPayload3DS& data) {
        mesh.HasMapInfo = true;
        mesh.MapInfo = data.MapInfo;
      });
      break;
    case CHK_PROC_NAME:
      WithPayload(file, child, [&](TChunkPayload3DS& data) { mesh.ProcName = data.Text; });
      break;
    case CHK_PROC_DATA:
      WithPayload(file, child, [&](TChunkPayload3DS& data) {
        mesh.ProcDataSize = static_cast<uint32_t>(data.Bytes.size());
        mesh.ProcData = std::move(data.Bytes);
      });
      break;
    default:
      break;
  }
}

// The object's flag chunks (hidden, frozen, ...) into the mesh record.
void ReadObjectFlags(const TChunkNode3DS* objectNode, TMesh3DS& mesh) {
  for (const TChunkNode3DS* child = objectNode->FirstChild; child != nullptr; child = child->NextSibling) {
    switch (child->Id) {
      case CHK_OBJ_HIDDEN: mesh.IsHidden = true; break;
      case CHK_OBJ_VIS_LOFTER: mesh.IsVisLofter = true; break;
      case CHK_OBJ_NO_CAST: mesh.IsNoCast = true; break;
      case CHK_OBJ_MATTE: mesh.IsMatte = true; break;
      case CHK_OBJ_FAST: mesh.IsFast = true; break;
      case CHK_OBJ_PROCEDURAL: mesh.IsProcedural = true; break;
      case CHK_OBJ_FROZEN: mesh.IsFrozen = true; break;
      case CHK_OBJ_NO_RECEIVE: mesh.IsNoReceive = true; break;
      default: break;
    }
  }
}

}  // namespace

void ExtractMesh(TFile3DS& file, TChunkNode3DS* objectNode, TMesh3DS& mesh) {
  TChunkNode3DS* meshNode = FindSibling(objectNode->FirstChild, CHK_TRI_MESH);
  if (meshNode == nullptr)
    RaiseError3DS(
        "The Name passed to the functions exists but is not the type of object asked for.\r"
        "For example asking for a mesh object with the GetCameraByName3DS function.");
  InitMesh3DS(mesh);
  file.ReadChunkData(objectNode);
  if (objectNode->Payload) mesh.Name = objectNode->Payload->Text;
  for (TChunkNode3DS* child = meshNode->FirstChild; child != nullptr; child = child->NextSibling)
    ReadMeshPart(file, child, mesh);
  ReadObjectFlags(objectNode, mesh);
  CheckFaces(mesh);
}
