// TFile3DS reads a 3DS file: on opening it walks the chunk headers once into
// a tree; payloads are read later, on demand, from the still-open file. The
// object list numbers the file's triangle meshes and caches each one after
// its first extraction.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Stream.h"
#include "scene3d/Types3DS.h"

class TFile3DS;

// The mesh cache: one slot per mesh of the file, filled on first access.
class TObjectList {
 public:
  explicit TObjectList(TFile3DS& owner);
  ~TObjectList();
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;

  // The number of meshes (counted once the file has any).
  int32_t MeshCount();
  // The mesh with this 0-based index, owned by the list, or nothing when the
  // file has no meshes. Raises EListError for an index beyond the slots.
  TMesh3DS* Mesh(int32_t index);

 private:
  TFile3DS& Owner;
  std::vector<std::unique_ptr<TMesh3DS>> Slots;
};

// Companions for the file's material and keyframer sections; never filled.
class TMaterialList {
 public:
  explicit TMaterialList(TFile3DS& owner) : Owner(owner) {}

 private:
  [[maybe_unused]] TFile3DS& Owner;
};

class TKeyFramer {
 public:
  explicit TKeyFramer(TFile3DS& owner) : Owner(owner) {}

 private:
  [[maybe_unused]] TFile3DS& Owner;
};

class TFile3DS {
 public:
  // An empty reader with its companions and no file.
  TFile3DS();
  // Opens the file and reads its chunk tree; the file stays open until the
  // reader is destroyed. Raises the stream errors and E3DSError.
  explicit TFile3DS(const std::string& fileName);
  ~TFile3DS();
  TFile3DS(const TFile3DS&) = delete;
  TFile3DS& operator=(const TFile3DS&) = delete;

  // Decodes the node's payload unless it already has one.
  void ReadChunkData(TChunkNode3DS* node);
  // Frees the node's payload and every array it still owns.
  static void ReleaseChunkData(TChunkNode3DS* node);
  // Rebuilds the named-object index when it is stale.
  void UpdateNamedObjects();

  TObjectList& Objects() { return *ObjectList; }

  std::string FileName;
  TChunkNode3DS* Root = nullptr;
  std::vector<TNamedObject3DS> NamedObjects;
  bool IndexStale = true;

 private:
  void ReadChunkTree();
  void ParseChildren(TChunkNode3DS* node);
  void ParseExtraData(TChunkNode3DS* node);
  void SkipOwnData(const TChunkNode3DS* node);
  TChunkNode3DS* ReadHeader();
  void RequireData(const TChunkNode3DS* node, uint64_t end);

  // The node's payload of its own into data; false for an id that has none.
  bool ReadPayload(const TChunkNode3DS* node, TChunkPayload3DS& data);
  void ReadMapInfo(const TChunkNode3DS* node, TMapInfo3DS& map);
  // A u16 count and that many elements after it, each of the array's type.
  template <typename T>
  void ReadCounted(const TChunkNode3DS* node, uint16_t& count, std::vector<T>& array);
  // One little-endian value of a plain type.
  template <typename T>
  T Read();
  std::string ReadText();
  void ReadArray(void* data, uint64_t bytes);

  std::unique_ptr<TFileStream> Stream;
  std::unique_ptr<TMaterialList> MaterialList;
  std::unique_ptr<TObjectList> ObjectList;
  std::unique_ptr<TKeyFramer> KeyFramer;
};
