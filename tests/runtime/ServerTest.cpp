// The live server: the packet framer on its own, then the server object with
// real connections on 127.0.0.1 and a frame counter in place of rendering.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <thread>

#include "platform/Message.h"
#include "platform/SharedState.h"
#include "runtime/PacketFraming.h"
#include "runtime/VRTServer.h"

namespace {
std::vector<uint8_t> Word(int32_t value) {
  std::vector<uint8_t> bytes(4);
  std::memcpy(bytes.data(), &value, 4);
  return bytes;
}

std::vector<uint8_t> Join(const std::vector<std::vector<uint8_t>>& parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<TPacketEvent> FeedAll(TPacketFramer& framer, const std::vector<uint8_t>& bytes) {
  std::vector<TPacketEvent> events;
  framer.Feed(bytes.data(), bytes.size(), events);
  return events;
}
}  // namespace

TEST(PacketFramer, CutsWholePacketsOfEveryValidCountInOrder) {
  TPacketFramer framer;
  std::vector<float> full(64);
  for (int k = 0; k < 64; ++k) full[k] = static_cast<float>(k) * 0.25f;
  const float nan = std::nanf("");
  auto events = FeedAll(framer, Join({EncodePacket({}), EncodePacket({nan, 0.5f}), EncodePacket(full)}));
  ASSERT_EQ(events.size(), 3u);
  EXPECT_TRUE(events[0].Values.empty());
  EXPECT_FALSE(events[0].OutOfSync);
  ASSERT_EQ(events[1].Values.size(), 2u);
  EXPECT_TRUE(std::isnan(events[1].Values[0]));
  EXPECT_EQ(events[1].Values[1], 0.5f);
  EXPECT_EQ(events[2].Values, full);
  EXPECT_EQ(framer.Held(), 0u);
}

TEST(PacketFramer, CountsOutsideTheRangeAreOutOfSyncAndDropOnlyTheirFourBytes) {
  TPacketFramer framer;
  auto events = FeedAll(framer, Join({Word(65), Word(-1), Word(INT32_MIN), EncodePacket({1.0f})}));
  ASSERT_EQ(events.size(), 4u);
  EXPECT_TRUE(events[0].OutOfSync && events[1].OutOfSync && events[2].OutOfSync);
  EXPECT_EQ(events[3].Values, std::vector<float>{1.0f});
}

TEST(PacketFramer, APacketSplitIntoSingleBytesIsGivenOutOnceWhole) {
  TPacketFramer framer;
  const auto bytes = EncodePacket({1, 2, 3});
  std::vector<TPacketEvent> events;
  for (size_t k = 0; k < bytes.size(); ++k) {
    framer.Feed(&bytes[k], 1, events);
    EXPECT_EQ(events.size(), k + 1 == bytes.size() ? 1u : 0u) << "after byte " << k;
  }
  EXPECT_EQ(events[0].Values, (std::vector<float>{1, 2, 3}));
}

TEST(PacketFramer, GarbageIsReadFourBytesAtATimeUntilAZeroFloatReadsAsACount) {
  TPacketFramer framer;
  // A float 1.0 (0x3F800000) is far above 64; +0.0 is the count 0.
  float one = 1.0f, zero = 0.0f;
  std::vector<uint8_t> garbage(8);
  std::memcpy(&garbage[0], &one, 4);
  std::memcpy(&garbage[4], &one, 4);
  std::vector<uint8_t> zeroWord(4);
  std::memcpy(zeroWord.data(), &zero, 4);
  auto events = FeedAll(framer, Join({garbage, zeroWord, EncodePacket({7})}));
  ASSERT_EQ(events.size(), 4u);
  EXPECT_TRUE(events[0].OutOfSync && events[1].OutOfSync);
  EXPECT_TRUE(!events[2].OutOfSync && events[2].Values.empty());
  EXPECT_EQ(events[3].Values, std::vector<float>{7});
}

TEST(PacketFramer, HoldsLessThanOnePacketBetweenFeedsWhateverArrives) {
  TPacketFramer framer;
  std::mt19937 random(7);
  std::vector<uint8_t> chunk(1024);
  std::vector<TPacketEvent> events;
  for (int round = 0; round < 2000; ++round) {
    const size_t size = random() % chunk.size();
    for (size_t k = 0; k < size; ++k) chunk[k] = static_cast<uint8_t>(random() % 3 == 0 ? 0 : random());
    events.clear();
    framer.Feed(chunk.data(), size, events);
    ASSERT_LT(framer.Held(), MaxPacketBytes);
  }
}

namespace {
// A server on a free port of its own, rendering into a counter.
struct TestServer {
  TestServer() {
    for (int attempt = 0; attempt < 50 && !Server; ++attempt) {
      Port = 20000 + static_cast<int>((getpid() * 7 + attempt * 131) % 30000);
      try {
        Server = std::make_unique<TVRTServerObject>(Port, false, [this] {
          ++Frames;
          std::copy(std::begin(Channels), std::end(Channels), LastFrame);
        });
      } catch (const EServerError&) {
      }
    }
  }
  // Passes until the condition holds, for at most the seconds given.
  bool PollUntil(const std::function<bool()>& done, int seconds = 2) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done() && std::chrono::steady_clock::now() < end) Server->Poll(5);
    return done();
  }

  int Port = 0;
  std::unique_ptr<TVRTServerObject> Server;
  int Frames = 0;
  float LastFrame[ChannelCount] = {};
};

int ConnectTo(int port) {
  SocketFailure failure;
  return static_cast<int>(CurrentSocketBackend().Connect("127.0.0.1", port, failure));
}

void SendBytes(int socket, const std::vector<uint8_t>& bytes) {
  SocketFailure failure;
  ASSERT_TRUE(CurrentSocketBackend().Send(socket, bytes.data(), bytes.size(), failure)) << failure.Text;
}
}  // namespace

TEST(VRTServer, CaptionsFollowConnectsAndDisconnectsOfAnyClient) {
  TestServer test;
  ASSERT_TRUE(test.Server) << "no free port";
  TVRTServerObject& server = *test.Server;
  EXPECT_EQ(server.OfflineCaption(), "Offline");
  EXPECT_EQ(server.Label1Caption(), "Reading 0 streams");
  const int a = ConnectTo(test.Port);
  ASSERT_TRUE(test.PollUntil([&] { return server.ClientCount() == 1; }));
  EXPECT_EQ(server.OfflineCaption(), "ONLINE");
  const int b = ConnectTo(test.Port);
  ASSERT_TRUE(test.PollUntil([&] { return server.ClientCount() == 2; }));
  close(a);
  ASSERT_TRUE(test.PollUntil([&] { return server.ClientCount() == 1; }));
  // Offline although b is still connected.
  EXPECT_EQ(server.OfflineCaption(), "Offline");
  close(b);
  ASSERT_TRUE(test.PollUntil([&] { return server.ClientCount() == 0; }));
}

TEST(VRTServer, PacketsSetTheChannelsAndRenderOneFrameForAllThatArriveTogether) {
  TestServer test;
  ASSERT_TRUE(test.Server);
  std::fill(std::begin(Channels), std::end(Channels), 3.0f);
  const int client = ConnectTo(test.Port);
  SendBytes(client, EncodePacket({std::nanf(""), 0.5f}));
  ASSERT_TRUE(test.PollUntil([&] { return test.Frames == 1; }));
  EXPECT_EQ(test.Server->Label1Caption(), "Reading 2 streams");
  EXPECT_TRUE(std::isnan(test.LastFrame[0]));
  EXPECT_EQ(test.LastFrame[1], 0.5f);
  for (int k = 2; k < ChannelCount; ++k) ASSERT_TRUE(std::isnan(test.LastFrame[k])) << k;

  // An out-of-sync count: the caption changes, the channels and frames do not.
  SendBytes(client, Word(65));
  ASSERT_TRUE(test.PollUntil([&] { return test.Server->Label1Caption() == "Out of sync"; }));
  EXPECT_EQ(test.Frames, 1);
  EXPECT_EQ(Channels[1], 0.5f);

  // Three packets in one send: each applied in order, one frame after the last.
  int applied = 0;
  test.Server->PacketApplied = [&](SocketId, const std::vector<float>& values) {
    EXPECT_EQ(values.size(), static_cast<size_t>(applied + 1));
    ++applied;
  };
  SendBytes(client, Join({EncodePacket({1}), EncodePacket({1, 2}), EncodePacket({1, 2, 3})}));
  ASSERT_TRUE(test.PollUntil([&] { return applied == 3; }));
  EXPECT_EQ(test.Frames, 2);
  EXPECT_EQ(test.Server->Label1Caption(), "Reading 3 streams");
  EXPECT_EQ(test.LastFrame[2], 3.0f);
  EXPECT_TRUE(std::isnan(test.LastFrame[3]));
  close(client);
}

TEST(VRTServer, TicksRenderEveryHalfSecondWithoutAnyClient) {
  TestServer test;
  ASSERT_TRUE(test.Server);
  const auto start = std::chrono::steady_clock::now();
  // Two ticks are due 1.0 s after start; allow a slow machine ample time.
  while (test.Frames < 2 && std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) test.Server->Poll(10);
  EXPECT_GE(test.Frames, 2);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
}

TEST(VRTServer, AResetConnectionIsReportedWithoutABoxAndClosed) {
  TestServer test;
  ASSERT_TRUE(test.Server);
  StartRecordingMessages();
  const int client = ConnectTo(test.Port);
  ASSERT_TRUE(test.PollUntil([&] { return test.Server->ClientCount() == 1; }));
  // Closing with a zero linger time resets the connection.
  linger hard{1, 0};
  setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  close(client);
  ASSERT_TRUE(test.PollUntil([&] { return test.Server->ClientCount() == 0; }));
  StopRecordingMessages();
  ASSERT_EQ(RecordedMessages().size(), 1u);
  EXPECT_EQ(RecordedMessages()[0].Text, "Socket error: " + std::string(std::strerror(ECONNRESET)) + " (" +
                                            std::to_string(ECONNRESET) + "), on API 'recv'");
  EXPECT_EQ(test.Server->OfflineCaption(), "Offline");
}

TEST(VRTServer, APortInUseCannotBeListenedOn) {
  TestServer test;
  ASSERT_TRUE(test.Server);
  try {
    TVRTServerObject second(test.Port, false, [] {});
    FAIL() << "a second server listened on the same port";
  } catch (const EServerError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Cannot listen on TCP port " + std::to_string(test.Port) + ": " + std::strerror(EADDRINUSE));
  }
}

TEST(VRTServer, TheStatusWindowShowsBothCaptionsOnButtonFace) {
  TestServer test;
  ASSERT_TRUE(test.Server);
  const std::vector<uint32_t> pixels = test.Server->StatusPixels();
  ASSERT_EQ(pixels.size(), 178u * 60u);
  auto inkIn = [&](int top, int bottom) {
    int ink = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < 178; ++x) ink += pixels[y * 178 + x] == 0 ? 1 : 0;
    return ink;
  };
  EXPECT_GT(inkIn(8, 21), 20);   // "Offline"
  EXPECT_GT(inkIn(32, 45), 40);  // "Reading 0 streams"
  EXPECT_EQ(inkIn(0, 6) + inkIn(48, 60), 0);
  EXPECT_EQ(pixels[0], 0xF0F0F0u);
}

// Many clients at once, each sending valid packets (whole or in pieces),
// garbage that never reads as a count, and cutting its connection in the
// middle of a packet before connecting again. Every whole packet must be
// applied exactly once, in its connection's order, and the server must still
// serve a fresh client afterwards.
//
// Connections are made by the thread that runs the server, one between two
// passes: the listen backlog holds only a few connections, and handshakes
// it drops bring their data seconds later, which would say nothing about the
// server.
TEST(VRTServer, ThirtyTwoClientsSendingEverythingAtOnce) {
  TestServer test;
  ASSERT_TRUE(test.Server);
  constexpr int ClientThreads = 32;
  constexpr SocketId Wanted = -2;
  std::vector<std::vector<int>> sent(ClientThreads);     // sequence numbers sent whole
  std::map<int, std::vector<int>> applied;               // client -> sequence numbers applied
  // (connection, client) -> last sequence applied; a connection's number
  // may come back for another client once the first has gone.
  std::map<std::pair<SocketId, int>, int> lastOnConnection;
  test.Server->PacketApplied = [&](SocketId connection, const std::vector<float>& values) {
    ASSERT_EQ(values.size(), 3u);
    const int client = static_cast<int>(values[0]), sequence = static_cast<int>(values[1]);
    auto last = lastOnConnection.find({connection, client});
    if (last != lastOnConnection.end() && last->second >= sequence) ADD_FAILURE() << "out of order on a connection";
    lastOnConnection[{connection, client}] = sequence;
    applied[client].push_back(sequence);
  };
  std::vector<std::atomic<SocketId>> connections(ClientThreads);
  for (auto& connection : connections) connection = Wanted;
  std::atomic<int> running{ClientThreads};
  std::vector<std::thread> clients;
  for (int c = 0; c < ClientThreads; ++c)
    clients.emplace_back([&, c] {
      std::mt19937 random(static_cast<unsigned>(c) + 1);
      SocketBackend& sockets = CurrentSocketBackend();
      SocketFailure failure;
      const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(2000);
      for (int sequence = 0; std::chrono::steady_clock::now() < end; ++sequence) {
        const SocketId connection = connections[c];
        if (connection < 0) {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
          continue;
        }
        const auto packet = EncodePacket({static_cast<float>(c), static_cast<float>(sequence), 0.25f});
        switch (random() % 8) {
          case 0: {  // garbage: whole words that are never valid counts
            std::vector<uint8_t> garbage;
            for (int k = random() % 8 + 1; k > 0; --k) {
              const auto word = Word(static_cast<int32_t>(65 + random() % 100000) * (random() % 2 ? 1 : -1));
              garbage.insert(garbage.end(), word.begin(), word.end());
            }
            sockets.Send(connection, garbage.data(), garbage.size(), failure);
            break;
          }
          case 1: {  // a packet in pieces
            const size_t cut = 1 + random() % (packet.size() - 1);
            sockets.Send(connection, packet.data(), cut, failure);
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
            if (sockets.Send(connection, packet.data() + cut, packet.size() - cut, failure))
              sent[c].push_back(sequence);
            break;
          }
          case 2:  // cut off in the middle of a packet, then connect again
            sockets.Send(connection, packet.data(), 1 + random() % (packet.size() - 1), failure);
            sockets.Close(connection);
            connections[c] = Wanted;
            break;
          default:  // a whole packet
            if (sockets.Send(connection, packet.data(), packet.size(), failure)) sent[c].push_back(sequence);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 1000));
      }
      const SocketId last = connections[c].exchange(-1);
      if (last >= 0) sockets.Close(last);
      --running;
    });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (running > 0 && std::chrono::steady_clock::now() < deadline) {
    for (auto& connection : connections)
      if (connection == Wanted) {
        SocketFailure failure;
        SocketId fresh = CurrentSocketBackend().Connect("127.0.0.1", test.Port, failure);
        SocketId expected = Wanted;
        if (!connection.compare_exchange_strong(expected, fresh)) CurrentSocketBackend().Close(fresh);
        test.Server->Poll(0);
      }
    test.Server->Poll(2);
  }
  for (auto& thread : clients) thread.join();
  auto allIn = [&] {
    for (int c = 0; c < ClientThreads; ++c)
      if (applied[c].size() < sent[c].size()) return false;
    return test.Server->ClientCount() == 0;
  };
  test.PollUntil(allIn, 5);
  for (int c = 0; c < ClientThreads; ++c) {
    std::vector<int> got = applied[c];
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, sent[c]) << "client " << c;
    EXPECT_GT(sent[c].size(), 20u) << "client " << c;
  }
  // A fresh client is still served.
  test.Server->PacketApplied = nullptr;
  const int frames = test.Frames;
  const int fresh = ConnectTo(test.Port);
  SendBytes(fresh, EncodePacket({42.0f}));
  ASSERT_TRUE(test.PollUntil([&] { return test.Frames > frames && test.LastFrame[0] == 42.0f; }));
  close(fresh);
}
