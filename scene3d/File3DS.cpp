#include "scene3d/File3DS.h"

#include <bit>
#include <cstdio>
#include <new>

#include "scene3d/Utils3DS.h"

// Arrays are read straight from the file into their records.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(Vec3) == 12 && sizeof(TFace3DS) == 8 && sizeof(TTexCoord) == 8);

namespace {

const char* const NotEnoughMemory = "Not enough memory to complete operation.";

std::string ChunkText(const char* format, unsigned id, uint64_t offset) {
  char text[160];
  std::snprintf(text, sizeof text, format, id, static_cast<unsigned long long>(offset));
  return text;
}

std::string TextAt(const char* format, uint64_t offset) {
  char text[160];
  std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(offset));
  return text;
}

bool IsContainer(uint16_t id) {
  switch (id) {
    case 0x1200: case 0x2100: case 0x2D2D: case 0x2D3D: case 0x3000: case 0x3D3D: case 0x3DAA:
    case 0x3DFF: case 0x4100: case 0x4D4D: case 0x8000: case 0x8001: case 0xA010: case 0xA020:
    case 0xA030: case 0xA040: case 0xA041: case 0xA042: case 0xA050: case 0xA052: case 0xA053:
    case 0xA084: case 0xA200: case 0xA204: case 0xA210: case 0xA220: case 0xA230: case 0xA33A:
    case 0xA33C: case 0xA33D: case 0xA33E: case 0xA340: case 0xA342: case 0xA344: case 0xA346:
    case 0xA348: case 0xA34A: case 0xA34C: case 0xAFFF: case 0xC23D:
      return true;
    default:
      return id >= 0xB000 && id <= 0xB007;
  }
}

// Bytes of fixed own data before the children, or -1 when the id is not a
// fixed-size row of the table.
int FixedOwnData(uint16_t id) {
  switch (id) {
    case 0x0030: case 0x1420: case 0x1430: case 0xB030:
      return 2;
    case 0x0011:
      return 3;
    case 0x0002: case 0x0031: case 0x0100: case 0x1300: case 0x1400: case 0x1410: case 0x3D3E:
    case 0xB009: case 0xB015: case 0xD000:
      return 4;
    case 0xB008:
      return 8;
    case 0x4641:
      return 10;
    case 0x0010: case 0x1500: case 0x4600: case 0xA310: case 0xB013:
      return 12;
    case 0x7001:
      return 14;
    case 0x2200: case 0x2300: case 0x2302: case 0x3010: case 0x3020: case 0x3030: case 0x3040:
    case 0x3050: case 0x3060:
      return 16;
    case 0x4610:
      return 20;
    case 0xB014:
      return 24;
    case 0x3070:
      return 28;
    case 0x4700:
      return 32;
    case 0x4160:
      return 48;
    default:
      return -1;
  }
}

bool HasTextOwnData(uint16_t id) {
  switch (id) {
    case 0x1100: case 0x3080: case 0x4000: case 0x4181: case 0xA000: case 0xA300: case 0xB011:
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---- TObjectList ----

TObjectList::TObjectList(TFile3DS& owner) : Owner(owner) {}

TObjectList::~TObjectList() {
  for (auto& slot : Slots)
    if (slot) ReleaseMesh3DS(*slot);
}

int32_t TObjectList::MeshCount() {
  if (Slots.empty()) Slots.resize(static_cast<size_t>(CountMeshes(Owner)));
  return static_cast<int32_t>(Slots.size());
}

TMesh3DS* TObjectList::Mesh(int32_t index) {
  if (MeshCount() == 0) return nullptr;
  if (index < 0 || static_cast<size_t>(index) >= Slots.size()) {
    char text[64];
    std::snprintf(text, sizeof text, "List index out of bounds (%d)", index);
    throw EListError(text);
  }
  if (!Slots[index]) {
    // Stored only once extraction succeeded, so a failed one is tried again.
    auto mesh = std::make_unique<TMesh3DS>();
    GetMeshByIndex(Owner, index, *mesh);
    Slots[index] = std::move(mesh);
  }
  return Slots[index].get();
}

// ---- TFile3DS ----

TFile3DS::TFile3DS()
    : MaterialList(std::make_unique<TMaterialList>(*this)),
      ObjectList(std::make_unique<TObjectList>(*this)),
      KeyFramer(std::make_unique<TKeyFramer>(*this)) {}

TFile3DS::TFile3DS(const std::string& fileName) : TFile3DS() {
  FileName = fileName;
  Stream = std::make_unique<TFileStream>(fileName);
  IndexStale = true;
  try {
    ReadChunkTree();
  } catch (...) {
    ReleaseChunkTree(Root);
    Root = nullptr;
    throw;
  }
}

TFile3DS::~TFile3DS() {
  KeyFramer.reset();
  ObjectList.reset();
  MaterialList.reset();
  ReleaseChunkTree(Root);
  Root = nullptr;
  NamedObjects.clear();
  Stream.reset();
}

// ---- reading primitives ----

template <typename T>
T TFile3DS::Read() {
  T value;
  Stream->ReadBuffer(&value, sizeof value);
  return value;
}

std::string TFile3DS::ReadText() {
  const int64_t start = Stream->Position();
  std::string text;
  for (;;) {
    char c;
    if (Stream->Read(&c, 1) != 1)
      RaiseError3DS(TextAt("The text at offset %llu is cut off by the end of the file.", start));
    if (c == 0) return text;
    if (text.size() == 255)
      RaiseError3DS(TextAt("The text at offset %llu is longer than 255 characters.", start));
    text.push_back(c);
  }
}

void TFile3DS::ReadArray(void* data, uint64_t bytes) {
  if (bytes > 0) Stream->ReadBuffer(data, static_cast<int64_t>(bytes));
}

// Data that would reach past its chunk is refused; data the chunk holds but
// the file does not is a short read, reported before anything is allocated.
void TFile3DS::RequireData(const TChunkNode3DS* node, uint64_t end) {
  if (end > ChunkEnd(node))
    RaiseError3DS(ChunkText("The data of chunk 0x%04X at offset %llu reaches past the chunk's end.",
                            node->Id, node->FileOffset));
  if (end > static_cast<uint64_t>(Stream->Size())) throw EReadError("Stream read error");
}

// ---- the walk ----

TChunkNode3DS* TFile3DS::ReadHeader() {
  const uint32_t offset = static_cast<uint32_t>(Stream->Position());
  const uint16_t id = Read<uint16_t>();
  const uint32_t length = Read<uint32_t>();
  if (length < 6)
    RaiseError3DS(ChunkText("The chunk 0x%04X at offset %llu is shorter than its header.", id, offset));
  auto* node = new TChunkNode3DS;
  node->Id = id;
  node->Length = length;
  node->FileOffset = offset;
  return node;
}

void TFile3DS::ReadChunkTree() {
  try {
    Stream->Seek(0);
    const uint16_t id = Read<uint16_t>();
    const uint32_t length = Read<uint32_t>();
    Root = new TChunkNode3DS;
    Root->Id = id;
    Root->Length = length;
    Root->FileOffset = 0;
    if (id != CHK_MAIN && id != CHK_PROJECT_MAIN && id != CHK_MATLIB_MAIN) return;
    if (length < 6)
      RaiseError3DS(ChunkText("The chunk 0x%04X at offset %llu is shorter than its header.", id, 0));
    ParseChildren(Root);
  } catch (const std::bad_alloc&) {
    RaiseError3DS(NotEnoughMemory);
  }
}

void TFile3DS::SkipOwnData(const TChunkNode3DS* node) {
  const uint16_t id = node->Id;
  uint64_t end;
  if (IsContainer(id)) return;
  if (const int size = FixedOwnData(id); size >= 0) {
    end = static_cast<uint64_t>(Stream->Position()) + size;
  } else if (HasTextOwnData(id)) {
    ReadText();
    end = static_cast<uint64_t>(Stream->Position());
  } else if (id == 0xB010) {
    ReadText();
    end = static_cast<uint64_t>(Stream->Position()) + 6;
  } else if (id == 0xB00A) {
    Stream->Seek(Stream->Position() + 2);
    ReadText();
    end = static_cast<uint64_t>(Stream->Position()) + 4;
  } else if (id == CHK_FACES) {
    RequireData(node, static_cast<uint64_t>(Stream->Position()) + 2);
    const uint16_t count = Read<uint16_t>();
    end = static_cast<uint64_t>(Stream->Position()) + 8ull * count;
  } else {
    end = ChunkEnd(node);  // a leaf: all of it
  }
  if (end > ChunkEnd(node))
    RaiseError3DS(ChunkText("The data of chunk 0x%04X at offset %llu reaches past the chunk's end.",
                            node->Id, node->FileOffset));
  Stream->Seek(static_cast<int64_t>(end));
}

// Walks the subtree below node. The walk keeps its own stack of open chunks
// instead of recursing, so deeply nested files cannot exhaust the call stack.
void TFile3DS::ParseChildren(TChunkNode3DS* node) {
  struct Level {
    TChunkNode3DS* Node;
    TChunkNode3DS* Last;
    uint64_t End;
  };
  SkipOwnData(node);
  std::vector<Level> levels{{node, nullptr, ChunkEnd(node)}};
  while (!levels.empty()) {
    Level& level = levels.back();
    if (static_cast<uint64_t>(Stream->Position()) >= level.End) {
      levels.pop_back();
      continue;
    }
    const uint64_t offset = static_cast<uint64_t>(Stream->Position());
    TChunkNode3DS* child = ReadHeader();
    if (ChunkEnd(child) > level.End) {
      const uint16_t id = child->Id;
      delete child;
      RaiseError3DS(ChunkText("The chunk 0x%04X at offset %llu reaches past its parent's end.", id, offset));
    }
    (level.Last ? level.Last->NextSibling : level.Node->FirstChild) = child;
    level.Last = child;
    if (child->Id == CHK_EXTRA_DATA) {
      ParseExtraData(child);
    } else {
      SkipOwnData(child);
      if (static_cast<uint64_t>(Stream->Position()) < ChunkEnd(child))
        levels.push_back({child, nullptr, ChunkEnd(child)});
    }
  }
}

// Children of an extra-data chunk are checked: a foreign id ends the chunk,
// a child longer than the chunk is dropped and the walk goes on behind its
// header. A remnant too short for a header ends the chunk as well.
void TFile3DS::ParseExtraData(TChunkNode3DS* node) {
  SkipOwnData(node);
  const uint64_t end = ChunkEnd(node);
  TChunkNode3DS* last = nullptr;
  while (static_cast<uint64_t>(Stream->Position()) < end) {
    const uint64_t offset = static_cast<uint64_t>(Stream->Position());
    if (end - offset < 6) break;
    const uint16_t id = Read<uint16_t>();
    const uint32_t length = Read<uint32_t>();
    if (id < 0x8002 || id > 0x800F) break;
    if (length < 6)
      RaiseError3DS(ChunkText("The chunk 0x%04X at offset %llu is shorter than its header.", id, offset));
    if (offset + length > end) continue;  // dropped; the stream stands behind its header
    auto* child = new TChunkNode3DS;
    child->Id = id;
    child->Length = length;
    child->FileOffset = static_cast<uint32_t>(offset);
    (last ? last->NextSibling : node->FirstChild) = child;
    last = child;
    ParseExtraData(child);  // these ids are leaves: this only skips them
  }
  Stream->Seek(static_cast<int64_t>(end));
}

// ---- payloads ----

template <typename T>
void TFile3DS::ReadCounted(const TChunkNode3DS* node, uint16_t& count, std::vector<T>& array) {
  RequireData(node, static_cast<uint64_t>(Stream->Position()) + 2);
  count = Read<uint16_t>();
  const uint64_t bytes = sizeof(T) * uint64_t{count};
  RequireData(node, static_cast<uint64_t>(Stream->Position()) + bytes);
  array.resize(count);
  ReadArray(array.data(), bytes);
}

void TFile3DS::ReadMapInfo(const TChunkNode3DS* node, TMapInfo3DS& map) {
  RequireData(node, static_cast<uint64_t>(Stream->Position()) + 86);
  map.MapType = Read<uint16_t>();
  map.TileU = Read<float>();
  map.TileV = Read<float>();
  map.Center.x = Read<float>();
  map.Center.y = Read<float>();
  map.Center.z = Read<float>();
  map.Scale = Read<float>();
  for (float& value : map.Matrix) value = Read<float>();
  map.PlanarWidth = Read<float>();
  map.PlanarHeight = Read<float>();
  map.CylinderHeight = Read<float>();
}

bool TFile3DS::ReadPayload(const TChunkNode3DS* node, TChunkPayload3DS& data) {
  const uint64_t position = static_cast<uint64_t>(Stream->Position());
  switch (node->Id) {
    case CHK_NAMED_OBJECT:
    case CHK_PROC_NAME:
      data.Text = ReadText();
      return true;
    case CHK_VERTICES:
      ReadCounted(node, data.Count, data.Vertices);
      return true;
    case CHK_VERTEX_FLAGS:
      ReadCounted(node, data.Count, data.Values);
      return true;
    case CHK_FACES:
      ReadCounted(node, data.Count, data.Faces);
      return true;
    case CHK_FACE_MATERIAL:
      data.Text = ReadText();
      ReadCounted(node, data.Count, data.Values);
      return true;
    case CHK_SMOOTH_GROUPS: {
      // The count comes from the length, cut to 16 bits like every count.
      data.Count = static_cast<uint16_t>((node->Length - 6) / 4);
      const uint64_t bytes = 4ull * data.Count;
      RequireData(node, position + bytes);
      data.SmoothGroups.resize(data.Count);
      ReadArray(data.SmoothGroups.data(), bytes);
      return true;
    }
    case CHK_BOX_MAP:
      for (std::string& text : data.BoxMap) text = ReadText();
      return true;
    case CHK_TEX_COORDS:
      ReadCounted(node, data.Count, data.TexCoords);
      return true;
    case CHK_LOCAL_MATRIX:
      RequireData(node, position + 48);
      ReadArray(data.Matrix.data(), 48);
      return true;
    case CHK_MESH_COLOR:
      RequireData(node, position + 1);
      data.Color = Read<uint8_t>();
      return true;
    case CHK_MAPPING_INFO:
      ReadMapInfo(node, data.MapInfo);
      return true;
    case CHK_PROC_DATA: {
      const uint64_t bytes = node->Length - 6;
      RequireData(node, position + bytes);
      data.Bytes.resize(bytes);
      ReadArray(data.Bytes.data(), bytes);
      return true;
    }
    default:
      return false;
  }
}

void TFile3DS::ReadChunkData(TChunkNode3DS* node) {
  if (node == nullptr || node->Payload || !Stream) return;
  try {
    auto data = std::make_unique<TChunkPayload3DS>();
    Stream->Seek(static_cast<int64_t>(static_cast<uint64_t>(node->FileOffset) + 6));
    if (!ReadPayload(node, *data)) return;
    RequireData(node, static_cast<uint64_t>(Stream->Position()));
    node->Payload = std::move(data);
  } catch (const std::bad_alloc&) {
    RaiseError3DS(NotEnoughMemory);
  }
}

void TFile3DS::ReleaseChunkData(TChunkNode3DS* node) {
  if (node != nullptr) node->Payload.reset();
}

void TFile3DS::UpdateNamedObjects() {
  if (!IndexStale) return;
  NamedObjects.clear();
  TChunkNode3DS* editor = FindChunk(Root, CHK_EDITOR);
  std::vector<TChunkNode3DS*> objects;
  try {
    if (editor != nullptr)
      for (TChunkNode3DS* object = FindChunk(editor, CHK_NAMED_OBJECT); object != nullptr;
           object = FindSibling(object->NextSibling, CHK_NAMED_OBJECT))
        objects.push_back(object);
    NamedObjects.reserve(objects.size());
  } catch (const std::bad_alloc&) {
    RaiseError3DS(NotEnoughMemory);
  }
  if (editor == nullptr) return;
  for (TChunkNode3DS* object : objects) {
    ReadChunkData(object);
    NamedObjects.push_back({object->Payload ? object->Payload->Text : std::string(), object});
  }
  IndexStale = false;
}
