// The 3DS reader: the tree walk, mesh numbering and extraction, the cache,
// its error messages and its reaction to damaged files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Chunks3DS.h"
#include "platform/Stream.h"
#include "scene3d/File3DS.h"
#include "scene3d/Utils3DS.h"

using namespace chunks;

namespace {

std::string TwoTriangles(const std::string& faceChildren = {}) {
  return Vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}) + Faces({{0, 1, 2}, {1, 3, 2}}, faceChildren);
}

std::string ErrorOf(const std::string& path, int index = 0) {
  try {
    TFile3DS file(path);
    file.Objects().Mesh(index);
  } catch (const E3DSError& e) {
    return e.what();
  }
  return "no E3DSError";
}

std::vector<uint16_t> ChildIds(const TChunkNode3DS* node) {
  std::vector<uint16_t> ids;
  for (const TChunkNode3DS* c = node->FirstChild; c != nullptr; c = c->NextSibling) ids.push_back(c->Id);
  return ids;
}

}  // namespace

TEST(File3DS, ExtractsMeshesInFileOrder) {
  const std::string path = WriteFile("two.3ds", MainFile(MeshObject("first", TwoTriangles()) +
                                                         MeshObject("second", Vertices({{5, 6, 7}}))));
  TFile3DS file(path);
  ASSERT_EQ(file.Objects().MeshCount(), 2);
  const TMesh3DS* first = file.Objects().Mesh(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Name, "first");
  ASSERT_EQ(first->VertexCount, 4);
  EXPECT_EQ(first->Vertices[3].x, 1);
  EXPECT_EQ(first->Vertices[3].y, 1);
  ASSERT_EQ(first->FaceCount, 2);
  EXPECT_EQ(first->Faces[1].A, 1);
  EXPECT_EQ(first->Faces[1].B, 3);
  EXPECT_EQ(first->Faces[1].C, 2);
  EXPECT_EQ(first->Faces[1].Flags, 7);
  const TMesh3DS* second = file.Objects().Mesh(1);
  EXPECT_EQ(second->Name, "second");
  EXPECT_EQ(second->Vertices[0].z, 7);
  EXPECT_EQ(second->FaceCount, 0);
}

TEST(File3DS, FillsEveryMeshField) {
  std::string matrix, mapInfo = U16(3);
  for (int i = 0; i < 12; ++i) matrix += F32(static_cast<float>(i));
  for (int i = 0; i < 21; ++i) mapInfo += F32(static_cast<float>(i + 100));
  const std::string flags = Chunk(0x4010) + Chunk(0x4011) + Chunk(0x4012) + Chunk(0x4013) + Chunk(0x4014) +
                            Chunk(0x4015) + Chunk(0x4016) + Chunk(0x4017);
  const std::string mesh = TwoTriangles() + Chunk(0x4111, U16(2) + U16(9) + U16(8)) +
                           Chunk(0x4140, U16(1) + F32(0.25f) + F32(0.75f)) + Chunk(0x4160, matrix) +
                           Chunk(0x4165, U8(42)) + Chunk(0x4170, mapInfo) + Chunk(0x4181, Text("proc")) +
                           Chunk(0x4182, "xyz");
  TFile3DS file(WriteFile("fields.3ds", MainFile(MeshObject("all", mesh, flags))));
  const TMesh3DS& m = *file.Objects().Mesh(0);
  EXPECT_TRUE(m.IsHidden && m.IsVisLofter && m.IsNoCast && m.IsMatte && m.IsFast && m.IsProcedural &&
              m.IsFrozen && m.IsNoReceive);
  EXPECT_EQ(m.VertexFlagCount, 2);
  EXPECT_EQ(m.VertexFlags, (std::vector<uint16_t>{9, 8}));
  ASSERT_EQ(m.TexCoordCount, 1);
  EXPECT_EQ(m.TexCoords[0].v, 0.75f);
  EXPECT_EQ(m.LocalMatrix[11], 11);
  EXPECT_EQ(m.MeshColor, 42);
  EXPECT_TRUE(m.HasMapInfo);
  EXPECT_EQ(m.MapInfo.MapType, 3);
  EXPECT_EQ(m.MapInfo.TileU, 100);
  EXPECT_EQ(m.MapInfo.Center.z, 104);
  EXPECT_EQ(m.MapInfo.Matrix[0], 106);
  EXPECT_EQ(m.MapInfo.CylinderHeight, 120);
  EXPECT_EQ(m.ProcName, "proc");
  EXPECT_EQ(m.ProcDataSize, 3u);
  EXPECT_EQ(std::string(m.ProcData.begin(), m.ProcData.end()), "xyz");
}

TEST(File3DS, MissingChunksLeaveDefaults) {
  TFile3DS file(WriteFile("bare.3ds", MainFile(MeshObject("bare", TwoTriangles()))));
  const TMesh3DS& m = *file.Objects().Mesh(0);
  EXPECT_EQ(m.TexCoordCount, 0);
  EXPECT_TRUE(m.TexCoords.empty());
  EXPECT_TRUE(m.SmoothGroups.empty());
  EXPECT_EQ(m.MaterialGroupCount, 0);
  EXPECT_FALSE(m.HasMapInfo || m.HasBoxMap || m.IsHidden);
  EXPECT_EQ(m.MapInfo.TileU, 1);
  EXPECT_EQ(m.MapInfo.Matrix[0], 1);
  EXPECT_EQ(m.MapInfo.Matrix[4], 1);
  EXPECT_EQ(m.MapInfo.Matrix[8], 0);
  EXPECT_EQ(m.MapInfo.PlanarHeight, 1);
}

TEST(File3DS, FaceChunkChildrenFollowTheFaces) {
  // Two material groups (one without faces), smoothing groups whose count
  // comes from the length (two stray bytes at the end), and a box map.
  const std::string children = Chunk(0x4130, Text("red") + U16(2) + U16(1) + U16(0)) +
                               Chunk(0x4130, Text("none") + U16(0)) +
                               Chunk(0x4150, U32(1) + U32(2) + U32(4) + "zz") +
                               Chunk(0x4190, Text("a") + Text("b") + Text("c") + Text("d") + Text("e") + Text("f"));
  TFile3DS file(WriteFile("groups.3ds", MainFile(MeshObject("m", TwoTriangles(children)))));
  const TMesh3DS& m = *file.Objects().Mesh(0);
  ASSERT_EQ(m.MaterialGroupCount, 2);
  EXPECT_EQ(m.MaterialGroups[0].Name, "red");
  EXPECT_EQ(m.MaterialGroups[0].FaceIndices, (std::vector<uint16_t>{1, 0}));
  EXPECT_EQ(m.MaterialGroups[1].Name, "none");
  EXPECT_EQ(m.MaterialGroups[1].FaceCount, 0);
  EXPECT_TRUE(m.MaterialGroups[1].FaceIndices.empty());
  EXPECT_EQ(m.SmoothGroups, (std::vector<uint32_t>{1, 2, 4}));
  EXPECT_TRUE(m.HasBoxMap);
  EXPECT_EQ(m.BoxMap[5], "f");
}

TEST(File3DS, NumbersOnlyObjectsWithTriangleMeshes) {
  const std::string light = Chunk(0x4000, Text("lamp") + Chunk(0x4600, F32(1) + F32(2) + F32(3)));
  const std::string camera = Chunk(0x4000, Text("cam") + Chunk(0x4700, std::string(32, '\0')));
  TFile3DS file(WriteFile("mixed.3ds", MainFile(MeshObject("a", TwoTriangles()) + light + camera +
                                                Chunk(0x0100, U32(0)) + MeshObject("b", TwoTriangles()))));
  EXPECT_EQ(file.NamedObjects.size(), 0u);  // built on first use
  EXPECT_EQ(file.Objects().MeshCount(), 2);
  ASSERT_EQ(file.NamedObjects.size(), 4u);
  EXPECT_EQ(file.NamedObjects[2].Name, "cam");
  EXPECT_EQ(file.Objects().Mesh(1)->Name, "b");
}

TEST(File3DS, IndexesOnlyTheFirstEditorSection) {
  const std::string bytes = Chunk(0x4D4D, Chunk(0x3D3D, MeshObject("one", TwoTriangles())) +
                                              Chunk(0x3D3D, MeshObject("two", TwoTriangles())));
  TFile3DS file(WriteFile("editors.3ds", bytes));
  EXPECT_EQ(file.Objects().MeshCount(), 1);
  EXPECT_EQ(file.Objects().Mesh(0)->Name, "one");
}

TEST(File3DS, ForeignRootHasNoMeshes) {
  TFile3DS file(WriteFile("foreign.3ds", Chunk(0x1234, MainFile(MeshObject("m", TwoTriangles())))));
  EXPECT_EQ(file.Root->FirstChild, nullptr);
  EXPECT_EQ(file.Objects().MeshCount(), 0);
  EXPECT_EQ(file.Objects().Mesh(0), nullptr);
}

TEST(File3DS, MaterialLibraryIsWalkedWithoutMeshes) {
  const std::string material = Chunk(0xAFFF, Chunk(0xA000, Text("steel")) + Chunk(0xA010, Chunk(0x0011, "rgb")));
  TFile3DS file(WriteFile("matlib.3ds", Chunk(0x3DAA, material)));
  ASSERT_NE(file.Root->FirstChild, nullptr);
  EXPECT_EQ(ChildIds(file.Root->FirstChild), (std::vector<uint16_t>{0xA000, 0xA010}));
  EXPECT_EQ(ChildIds(file.Root->FirstChild->FirstChild->NextSibling), (std::vector<uint16_t>{0x0011}));
  EXPECT_EQ(file.Objects().MeshCount(), 0);
  EXPECT_EQ(file.Objects().Mesh(0), nullptr);
}

TEST(File3DS, ExtraDataKeepsOnlyItsOwnChildren) {
  // 0x8003 claims more than its parent holds: dropped, and the walk goes on
  // right behind its header, where 0x8004 starts. 0x1234 ends the chunk; the
  // bytes after it are never read as chunks.
  const std::string extra = Chunk(0x8001, Chunk(0x8002, "ab") + ChunkWithLength(0x8003, 1000) + Chunk(0x8004) +
                                              Chunk(0x1234) + "junk");
  TFile3DS file(WriteFile("extra.3ds", MainFile(extra + MeshObject("after", TwoTriangles()))));
  TChunkNode3DS* node = FindChunk(file.Root, 0x8001);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(ChildIds(node), (std::vector<uint16_t>{0x8002, 0x8004}));
  EXPECT_EQ(file.Objects().Mesh(0)->Name, "after");
}

TEST(File3DS, CachedMeshIsNotReadAgain) {
  const std::string path = WriteFile("cache.3ds", MainFile(MeshObject("m", TwoTriangles())));
  TFile3DS file(path);
  const TMesh3DS* first = file.Objects().Mesh(0);
  std::ofstream(path, std::ios::binary | std::ios::trunc).close();  // the open file now has no bytes
  EXPECT_EQ(file.Objects().Mesh(0), first);
  EXPECT_EQ(first->VertexCount, 4);
}

TEST(File3DS, ExtractionReleasesThePayloads) {
  TFile3DS file(WriteFile("release.3ds", MainFile(MeshObject("m", TwoTriangles()))));
  file.Objects().Mesh(0);
  TChunkNode3DS* object = FindChunk(file.Root, 0x4000);
  ASSERT_TRUE(object->Payload);
  EXPECT_EQ(object->Payload->Text, "m");
  EXPECT_FALSE(FindChunk(object, 0x4110)->Payload);
  EXPECT_FALSE(FindChunk(object, 0x4120)->Payload);
}

TEST(File3DS, LaterDuplicateReplacesEarlier) {
  TFile3DS file(WriteFile("dup.3ds", MainFile(MeshObject("m", Vertices({{1, 1, 1}}) + Vertices({{2, 2, 2}, {3, 3, 3}})))));
  const TMesh3DS& m = *file.Objects().Mesh(0);
  ASSERT_EQ(m.VertexCount, 2);
  EXPECT_EQ(m.Vertices[0].x, 2);
}

TEST(File3DS, TreeServices) {
  TFile3DS file(WriteFile("tree.3ds", MainFile(MeshObject("m", TwoTriangles()))));
  EXPECT_EQ(FindChunk(file.Root, 0x4D4D), file.Root);
  EXPECT_EQ(FindChunk(file.Root, 0x4120)->FileOffset, 6u + 6 + 6 + 2 + 6 + 6 + 2 + 48);
  EXPECT_EQ(FindChunk(file.Root, 0x9999), nullptr);
  TChunkNode3DS* vertices = FindChunk(file.Root, 0x4110);
  EXPECT_EQ(FindSibling(vertices, 0x4120), vertices->NextSibling);
  EXPECT_EQ(FindSibling(vertices->NextSibling, 0x4110), nullptr);
}

TEST(File3DS, DeeplyNestedFileIsWalked) {
  const std::string inner = MeshObject("deep", TwoTriangles());
  const int levels = 100000;
  std::string bytes;
  for (int i = levels; i > 0; --i) bytes += U16(0x3000) + U32(static_cast<uint32_t>(inner.size() + 6 * i));
  TFile3DS file(WriteFile("deep.3ds", MainFile(bytes + inner)));
  EXPECT_EQ(file.Objects().MeshCount(), 1);
  EXPECT_EQ(file.Objects().Mesh(0)->FaceCount, 2);
}

// ---- messages ----

TEST(File3DSErrors, DatabaseMessages) {
  TFile3DS empty;
  TMesh3DS mesh;
  try {
    GetMeshByIndex(empty, 0, mesh);
    ADD_FAILURE();
  } catch (const E3DSError& e) {
    EXPECT_STREQ(e.what(), "The database passed as an argument has not be created yet.");
  }
  const std::string matlib = WriteFile("kind.3ds", Chunk(0x3DAA, Chunk(0x3D3D, MeshObject("m", TwoTriangles()))));
  EXPECT_EQ(ErrorOf(matlib), "The database passed as an argument is the wrong kind of\rdatabase for this function.");
}

TEST(File3DSErrors, MeshDeeperThanADirectChild) {
  const std::string object = Chunk(0x4000, Text("nested") + Chunk(0x3000, Chunk(0x4100, TwoTriangles())));
  EXPECT_EQ(ErrorOf(WriteFile("nested.3ds", MainFile(object))),
            "The Name passed to the functions exists but is not the type of object asked for.\r"
            "For example asking for a mesh object with the GetCameraByName3DS function.");
}

TEST(File3DSErrors, IndexBeyondTheSlots) {
  TFile3DS file(WriteFile("index.3ds", MainFile(MeshObject("m", TwoTriangles()))));
  try {
    file.Objects().Mesh(3);
    ADD_FAILURE();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
}

TEST(File3DSErrors, StreamErrors) {
  try {
    TFile3DS file(testing::TempDir() + "missing.3ds");
    ADD_FAILURE();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + testing::TempDir() + "missing.3ds");
  }
  // The root promises more children than the file holds.
  const std::string whole = MainFile(MeshObject("m", TwoTriangles()));
  std::string longer = whole;
  longer.replace(2, 4, U32(static_cast<uint32_t>(whole.size() + 100)));
  EXPECT_THROW(TFile3DS(WriteFile("short_tree.3ds", longer)), EReadError);
  // The tree is complete, but the vertex array is cut off by the end of the file.
  const std::string last = MainFile(MeshObject("m", Vertices({{1, 2, 3}, {4, 5, 6}})));
  TFile3DS file(WriteFile("short_data.3ds", last.substr(0, last.size() - 5)));
  EXPECT_THROW(file.Objects().Mesh(0), EReadError);
}

// ---- damaged files ----

TEST(File3DSDamage, LengthBelowTheHeader) {
  const std::string bytes = MainFile(MeshObject("m", ChunkWithLength(0x4110, 5) + "x"));
  try {
    TFile3DS file(WriteFile("len5.3ds", bytes));
    ADD_FAILURE();
  } catch (const E3DSError& e) {
    EXPECT_STREQ(e.what(), "The chunk 0x4110 at offset 26 is shorter than its header.");
  }
}

TEST(File3DSDamage, ChildPastItsParent) {
  const std::string bytes = MainFile(MeshObject("m", TwoTriangles() + ChunkWithLength(0x4165, 50, "c")));
  try {
    TFile3DS file(WriteFile("past.3ds", bytes));
    ADD_FAILURE();
  } catch (const E3DSError& e) {
    EXPECT_NE(std::string(e.what()).find("The chunk 0x4165 at offset "), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("reaches past its parent's end."), std::string::npos) << e.what();
  }
}

TEST(File3DSDamage, OwnDataPastTheChunk) {
  // A face chunk whose count promises more faces than the chunk holds.
  const std::string bytes = MainFile(MeshObject("m", Chunk(0x4120, U16(100) + std::string(8, '\0'))));
  EXPECT_THROW(TFile3DS(WriteFile("faces_past.3ds", bytes)), E3DSError);
}

TEST(File3DSDamage, Texts) {
  const std::string longName = MainFile(MeshObject(std::string(256, 'n'), TwoTriangles()));
  try {
    TFile3DS file(WriteFile("longname.3ds", longName));
    ADD_FAILURE();
  } catch (const E3DSError& e) {
    EXPECT_STREQ(e.what(), "The text at offset 18 is longer than 255 characters.");
  }
  // 255 characters still fit.
  TFile3DS fits(WriteFile("name255.3ds", MainFile(MeshObject(std::string(255, 'n'), TwoTriangles()))));
  EXPECT_EQ(fits.Objects().Mesh(0)->Name.size(), 255u);
  // A name without its zero at the end of the file.
  const std::string open = ChunkWithLength(0x4D4D, 100, ChunkWithLength(0x3D3D, 94, ChunkWithLength(0x4000, 88, "abc")));
  try {
    TFile3DS file(WriteFile("opentext.3ds", open));
    ADD_FAILURE();
  } catch (const E3DSError& e) {
    EXPECT_STREQ(e.what(), "The text at offset 18 is cut off by the end of the file.");
  }
}

TEST(File3DSDamage, CountPastTheChunk) {
  // 1000 vertices announced in a chunk that holds one.
  const std::string bytes = MainFile(MeshObject("m", Chunk(0x4110, U16(1000) + F32(0) + F32(0) + F32(0))));
  TFile3DS file(WriteFile("count.3ds", bytes));
  try {
    file.Objects().Mesh(0);
    ADD_FAILURE();
  } catch (const E3DSError& e) {
    EXPECT_STREQ(e.what(), "The data of chunk 0x4110 at offset 26 reaches past the chunk's end.");
  }
  // A failed extraction is not cached.
  EXPECT_THROW(file.Objects().Mesh(0), E3DSError);
}

TEST(File3DSDamage, FaceBeyondTheVertices) {
  const std::string bytes = MainFile(MeshObject("m", Vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + Faces({{0, 1, 3}})));
  EXPECT_EQ(ErrorOf(WriteFile("badface.3ds", bytes)), "Face 0 of the mesh \"m\" names vertex 3, but the mesh has 3 vertices.");
  // Faces without any vertex chunk name vertices that do not exist either.
  EXPECT_NE(ErrorOf(WriteFile("novertices.3ds", MainFile(MeshObject("m", Faces({{0, 0, 0}}))))), "no E3DSError");
}

TEST(File3DSDamage, HugeLengthsAllocateNothing) {
  // A procedural data chunk claiming nearly 4 GiB, its parents sized to match.
  const uint32_t data = 0xFFFF0000u;
  const std::string bytes = ChunkWithLength(0x4D4D, data + 26,
                                            ChunkWithLength(0x3D3D, data + 20,
                                                            ChunkWithLength(0x4000, data + 14,
                                                                            Text("m") + ChunkWithLength(0x4100, data + 6,
                                                                                                       ChunkWithLength(0x4182, data)))));
  TFile3DS file(WriteFile("huge.3ds", bytes));
  EXPECT_EQ(file.Objects().MeshCount(), 1);
  EXPECT_THROW(file.Objects().Mesh(0), EReadError);
}

// The fuzzer's seeds are well-formed files: each opens and yields its meshes.
TEST(File3DS, SeedCorpusLoads) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VEMLA_SOURCE_DIR "/fuzz/corpus/3ds")) {
    SCOPED_TRACE(entry.path().string());
    TFile3DS file(entry.path().string());
    for (int32_t i = 0; i < file.Objects().MeshCount(); ++i) EXPECT_NE(file.Objects().Mesh(i), nullptr);
    ++files;
  }
  EXPECT_GE(files, 8);
}
