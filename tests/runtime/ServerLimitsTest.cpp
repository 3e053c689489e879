// The live server at its limits, on a socket backend of the test's own: a
// listener whose connections cannot be taken, and more clients than the
// server serves at once.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <set>
#include <thread>

#include "platform/Message.h"
#include "platform/SocketBackend.h"
#include "runtime/VRTServer.h"

namespace {
constexpr SocketId ListenerId = 1;

// Connections queue on the listener until taken; a listener told to fail
// keeps looking readable, as a real one does when the process is out of
// descriptors. Waits on a readable listener return at once.
class FakeSockets final : public SocketBackend {
 public:
  SocketId Listen(int, int, SocketFailure&) override { return ListenerId; }
  SocketId Accept(SocketId, SocketFailure& failure) override {
    ++Accepts;
    failure = SocketFailure{};
    if (FailAccepts) {
      failure = SocketFailure{24, "Too many open files"};
      return -1;
    }
    if (Waiting.empty()) return -1;
    const SocketId id = Waiting.front();
    Waiting.pop_front();
    Open.insert(id);
    return id;
  }
  ReceiveOutcome Receive(SocketId connection, uint8_t*, size_t, size_t& received, SocketFailure&) override {
    received = 0;
    return Leaving.count(connection) != 0 ? ReceiveOutcome::Closed : ReceiveOutcome::NoData;
  }
  SocketId Connect(const std::string&, int, SocketFailure&) override { return -1; }
  bool Send(SocketId, const uint8_t*, size_t, SocketFailure&) override { return true; }
  void Close(SocketId socket) override {
    if (socket != ListenerId) Closed.insert(socket);
    Open.erase(socket);
  }
  void Wait(const std::vector<SocketId>& sockets, int milliseconds) override {
    ++Waits;
    for (SocketId s : sockets)
      if (s == ListenerId && (FailAccepts || !Waiting.empty())) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

  bool FailAccepts = false;
  std::deque<SocketId> Waiting;
  std::set<SocketId> Open, Closed, Leaving;
  int Accepts = 0;
  int Waits = 0;
};

struct LimitsTest : ::testing::Test {
  void SetUp() override {
    SetSocketBackend(&Sockets);
    StartRecordingMessages();
    Server = std::make_unique<TVRTServerObject>(PacketPort, false, [] {});
  }
  void TearDown() override {
    Server.reset();
    StopRecordingMessages();
    SetSocketBackend(nullptr);
  }
  int PassesFor(std::chrono::milliseconds span) {
    int passes = 0;
    const auto end = std::chrono::steady_clock::now() + span;
    for (; std::chrono::steady_clock::now() < end; ++passes) Server->Poll(10);
    return passes;
  }

  FakeSockets Sockets;
  std::unique_ptr<TVRTServerObject> Server;
};

TEST_F(LimitsTest, AListenerThatCannotAcceptRestsAndIsReportedOnce) {
  Sockets.FailAccepts = true;
  const int passes = PassesFor(std::chrono::milliseconds(1000));
  // Resting 0.3 s after each failure: a handful of tries in a second, and
  // passes at the pace of the server's own wait, not a spin.
  EXPECT_LE(Sockets.Accepts, 5);
  EXPECT_GE(Sockets.Accepts, 2);
  EXPECT_LT(passes, 200);
  ASSERT_EQ(RecordedMessages().size(), 1u);
  EXPECT_EQ(RecordedMessages()[0].Text, "Cannot accept a connection: Too many open files");

  // Once descriptors are free again, a waiting client is taken.
  Sockets.FailAccepts = false;
  Sockets.Waiting.push_back(100);
  PassesFor(std::chrono::milliseconds(500));
  EXPECT_EQ(Server->ClientCount(), 1u);
  EXPECT_EQ(Server->OfflineCaption(), "ONLINE");
}

TEST_F(LimitsTest, ClientsBeyondSixtyFourAreClosedAndAFreshOneIsServedOnceOneLeaves) {
  for (SocketId id = 100; id < 165; ++id) Sockets.Waiting.push_back(id);
  Server->Poll(0);
  EXPECT_EQ(Server->ClientCount(), 64u);
  EXPECT_EQ(Sockets.Closed, std::set<SocketId>{164});
  ASSERT_EQ(RecordedMessages().size(), 1u);
  EXPECT_NE(RecordedMessages()[0].Text.find("Too many clients"), std::string::npos);

  // More beyond the limit: closed too, without another notice.
  Sockets.Waiting.push_back(165);
  Server->Poll(0);
  EXPECT_TRUE(Sockets.Closed.count(165));
  EXPECT_EQ(RecordedMessages().size(), 1u);

  // One leaves: a fresh client is served.
  Sockets.Leaving.insert(100);
  Server->Poll(0);
  EXPECT_EQ(Server->ClientCount(), 63u);
  Sockets.Waiting.push_back(166);
  Server->Poll(0);
  EXPECT_EQ(Server->ClientCount(), 64u);
  EXPECT_FALSE(Sockets.Closed.count(166));
  EXPECT_TRUE(Sockets.Open.count(166));
}
}  // namespace
