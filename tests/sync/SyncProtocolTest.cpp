// The sync protocol's bytes: the editor's commands as a demo reads them, and
// a demo's stream cut into its greeting and commands however it arrives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "SyncProtocol.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes BigWord(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

Bytes Join(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes GetTrack(const std::string& name) { return Join({{2}, BigWord(uint32_t(name.size())), Text(name)}); }
Bytes SetRow(uint32_t row) { return Join({{3}, BigWord(row)}); }

const Bytes Greeting = Text("hello, synctracker!");

// Feeds the bytes in pieces of the size given (cycled); the messages, or
// the fault where the stream turned out garbage.
struct Fed {
  std::vector<DemoMessage> Messages;
  std::string Fault;
  bool Fine = true;
};
Fed FeedInPieces(DemoStream& stream, const Bytes& bytes, const std::vector<size_t>& pieces) {
  Fed fed;
  size_t at = 0;
  for (size_t k = 0; at < bytes.size() && fed.Fine; ++k) {
    const size_t n = std::min(pieces[k % pieces.size()], bytes.size() - at);
    fed.Fine = stream.Feed(bytes.data() + at, n, fed.Messages, fed.Fault);
    at += n;
    EXPECT_LE(stream.Held(), 5 + MaxSyncTrackName) << "less than one command is held";
  }
  return fed;
}
}  // namespace

TEST(SyncCommands, TheEditorsCommandsAreBigEndianWordsAfterTheirByte) {
  const Key key{0x01020304, -2.5f, Shape::Ramp, 0};
  uint32_t bits;
  std::memcpy(&bits, &key.Value, 4);
  EXPECT_EQ(EncodeSetKey(7, key), Join({{0}, BigWord(7), BigWord(0x01020304), BigWord(bits), {3}}));
  for (int shape = 0; shape < ShapeCount; ++shape)
    EXPECT_EQ(EncodeSetKey(0, Key{5, 1, Shape(shape), 0}).back(), shape) << "step, linear, smooth, ramp";
  EXPECT_EQ(EncodeDeleteKey(65536, 300), Join({{1}, BigWord(65536), BigWord(300)}));
  EXPECT_EQ(EncodeSetRow(123456), Join({{3}, BigWord(123456)}));
  EXPECT_EQ(EncodePause(true), (Bytes{4, 1}));
  EXPECT_EQ(EncodePause(false), (Bytes{4, 0}));
  EXPECT_EQ(EncodeSaveTracks(), (Bytes{5}));
  EXPECT_EQ(std::string(SyncEditorGreeting, SyncEditorGreetingBytes), "hello, demo!");
}

TEST(DemoStream, CutsTheGreetingAndCommandsOutOfPiecesOfAnySize) {
  const Bytes stream = Join({Greeting, GetTrack("camera:rot.y"), SetRow(17), GetTrack("x"), SetRow(0xFFFFFFFF),
                             GetTrack(std::string(MaxSyncTrackName, 'n'))});
  for (const std::vector<size_t>& pieces :
       std::vector<std::vector<size_t>>{{1}, {2}, {3}, {5}, {7, 1, 13}, {19}, {4096}, {0, 1}}) {
    DemoStream demo;
    const Fed fed = FeedInPieces(demo, stream, pieces);
    ASSERT_TRUE(fed.Fine) << fed.Fault;
    ASSERT_EQ(fed.Messages.size(), 6u) << "pieces of " << pieces[0];
    EXPECT_EQ(fed.Messages[0].What, DemoMessage::Kind::Greeted);
    EXPECT_EQ(fed.Messages[1].What, DemoMessage::Kind::GetTrack);
    EXPECT_EQ(fed.Messages[1].Track, "camera:rot.y");
    EXPECT_EQ(fed.Messages[2].What, DemoMessage::Kind::SetRow);
    EXPECT_EQ(fed.Messages[2].Row, 17);
    EXPECT_EQ(fed.Messages[3].Track, "x");
    EXPECT_EQ(fed.Messages[4].Row, -1) << "a row is a signed word";
    EXPECT_EQ(fed.Messages[5].Track.size(), MaxSyncTrackName);
    EXPECT_TRUE(demo.Greeted());
    EXPECT_FALSE(demo.MidMessage());
    EXPECT_EQ(demo.Held(), 0u);
  }
}

TEST(DemoStream, GarbageIsRefusedWithItsReason) {
  struct Case {
    Bytes Stream;
    std::string Fault;
  };
  const std::vector<Case> cases = {
      {Text("hello, synctracker?"), "greeted with something other than \"hello, synctracker!\" (byte 19 is 63)"},
      {Text("GET / HTTP/1.1\r\n"), "greeted with something other than \"hello, synctracker!\" (byte 1 is 71)"},
      {Join({Greeting, {0}}), "sent command 0, which a demo does not send (GET_TRACK is 2, SET_ROW 3)"},
      {Join({Greeting, SetRow(1), {9, 1, 2}}), "sent command 9, which a demo does not send (GET_TRACK is 2, SET_ROW 3)"},
      {Join({Greeting, {2}, BigWord(0xFFFFFFFF)}), "asked for a track with a name of 4294967295 bytes (1 to 1024 are taken)"},
      {Join({Greeting, {2}, BigWord(MaxSyncTrackName + 1)}),
       "asked for a track with a name of 1025 bytes (1 to 1024 are taken)"},
      {Join({Greeting, {2}, BigWord(0)}), "asked for a track with a name of 0 bytes (1 to 1024 are taken)"},
  };
  for (const Case& c : cases)
    for (size_t piece : {size_t{1}, size_t{64}}) {
      DemoStream demo;
      const Fed fed = FeedInPieces(demo, c.Stream, {piece});
      EXPECT_FALSE(fed.Fine);
      EXPECT_EQ(fed.Fault, c.Fault);
    }
  // What came before the garbage is given out.
  DemoStream demo;
  const Fed fed = FeedInPieces(demo, Join({Greeting, SetRow(4), {7}}), {100});
  EXPECT_FALSE(fed.Fine);
  ASSERT_EQ(fed.Messages.size(), 2u);
  EXPECT_EQ(fed.Messages[1].Row, 4);
}
