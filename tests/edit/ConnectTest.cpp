// Connecting to the live previews never holds the editor up: a connection
// is begun without waiting and finished on a later tick, a host that never
// answers is given up after a while and tried again quietly, a refused
// address gives way to the host's next, a preview that comes later is
// found; and the wake pair that ends a wait on sockets from another
// thread. Only the platform's sockets, on 127.0.0.1, so that the same runs
// on Windows; every wait is bounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "LiveLink.h"
#include "platform/SocketBackend.h"
#include "runtime/PacketFraming.h"
#include "support/Unanswering.h"

namespace {
double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Mentions(const std::vector<std::string>& news, const std::string& text) {
  for (const std::string& line : news)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

// A listener on 127.0.0.1, at a free port or the one given.
struct Listener {
  explicit Listener(int port = 0) {
    Socket = Sockets.ListenOn("127.0.0.1", port, 4, Failure);
    Port = Socket >= 0 ? Sockets.BoundPort(Socket) : -1;
  }
  ~Listener() { Sockets.Close(Socket); }
  // The next connection, waiting at most 5 s.
  SocketId Accept() {
    for (int look = 0; look < 100; ++look) {
      const SocketId client = Sockets.Accept(Socket, Failure);
      if (client >= 0 || Failure.Code != 0) return client;
      Sockets.WaitFor({Socket}, {}, 50);
    }
    return -1;
  }
  SocketBackend& Sockets = CurrentSocketBackend();
  SocketFailure Failure;
  SocketId Socket = -1;
  int Port = -1;
};

// Up to count bytes from a connection, at most 5 s.
std::vector<uint8_t> Read(SocketId connection, size_t count) {
  std::vector<uint8_t> bytes(count);
  size_t have = 0;
  for (int look = 0; look < 100 && have < count; ++look) {
    size_t got = 0;
    SocketFailure failure;
    const ReceiveOutcome outcome = CurrentSocketBackend().Receive(connection, bytes.data() + have, count - have, got, failure);
    if (outcome == ReceiveOutcome::Closed || outcome == ReceiveOutcome::Failed) break;
    have += got;
    if (got == 0) CurrentSocketBackend().WaitFor({connection}, {}, 50);
  }
  bytes.resize(have);
  return bytes;
}

// The bytes as the preview's framer cuts them: one whole packet's values.
std::vector<float> Packet(const std::vector<uint8_t>& bytes) {
  TPacketFramer framer;
  std::vector<TPacketEvent> events;
  framer.Feed(bytes.data(), bytes.size(), events);
  if (events.size() != 1 || events[0].OutOfSync || framer.Held() != 0) return {};
  return events[0].Values;
}

// Ticks of the links, sleeping on the connections under way as the
// editor's wait does, until the news mentions the text: at most 100.
std::vector<std::string> TickUntil(TLiveLinks& links, double& now, double step, const std::string& text) {
  std::vector<std::string> news;
  for (int tick = 0; tick < 100 && !Mentions(news, text); ++tick) {
    SocketWatch watch;
    links.Watch(watch);
    EXPECT_TRUE(watch.Readable.empty());
    if (!watch.Writable.empty()) CurrentSocketBackend().WaitFor({}, watch.Writable, 50);
    for (std::string& line : links.Tick(now)) news.push_back(std::move(line));
    now += step;
  }
  return news;
}
}  // namespace

// Each tick returns at once, and the editor's loop keeps its pace, while
// the host does not answer; after the patience it is given up, said once,
// and tried again.
TEST(EditConnect, AHostThatNeverAnswersHoldsNothingUp) {
  TUnanswering host;
  ASSERT_GT(host.Port, 0) << host.Failure;
  const std::string where = "127.0.0.1:" + std::to_string(host.Port);
  TLiveLinks links;
  links.Add(TSendTarget{"127.0.0.1", host.Port});
  links.Send({1, 2});
  std::vector<std::string> news;
  double slowest = 0;
  // Ticks at a frame's pace of the links' clock, 5 s of it, in about 0.5 s.
  for (int frame = 0; frame <= 300; ++frame) {
    const auto start = std::chrono::steady_clock::now();
    for (std::string& line : links.Tick(frame / 60.0)) news.push_back(std::move(line));
    slowest = std::max(slowest, Since(start));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_LT(slowest, 0.1) << "a tick waited on the connection";
  ASSERT_TRUE(Mentions(news, "No preview at " + where + " yet (no answer within 3 s): trying again")) << news.size();
  EXPECT_EQ(links.Summary(), "0 of 1 previews");
  EXPECT_EQ(std::count_if(news.begin(), news.end(), [](const std::string& l) { return l.starts_with("No preview"); }), 1)
      << "said once, whatever the retries";
  EXPECT_LE(links.SecondsToNext(5.0), std::max(LinkRetryInterval, LinkConnectPatience));
}

TEST(EditConnect, APreviewThatComesLaterIsFoundAndGetsTheLastValues) {
  int port = 0;
  {
    Listener probe;
    ASSERT_GT(probe.Port, 0) << probe.Failure.Text;
    port = probe.Port;
  }
  TLiveLinks links;
  links.Add(TSendTarget{"127.0.0.1", port});
  links.Send({4, 5, 6});
  double now = 0;
  const std::vector<std::string> refused = TickUntil(links, now, 0.01, "No preview at 127.0.0.1:");
  ASSERT_TRUE(Mentions(refused, "No preview at 127.0.0.1:" + std::to_string(port) + " yet (")) << refused.size();

  Listener later(port);
  ASSERT_GE(later.Socket, 0) << later.Failure.Text;
  const std::vector<std::string> found = TickUntil(links, now, 0.5, "Sending to the preview");
  EXPECT_TRUE(Mentions(found, "Sending to the preview at 127.0.0.1:" + std::to_string(port)));
  EXPECT_EQ(links.Summary(), "1 of 1 previews");
  const SocketId client = later.Accept();
  ASSERT_GE(client, 0);
  EXPECT_EQ(Packet(Read(client, 16)), (std::vector<float>{4, 5, 6}));
  links.Send({7});
  EXPECT_EQ(Packet(Read(client, 8)), (std::vector<float>{7}));
  CurrentSocketBackend().Close(client);
}

// localhost is ::1 and 127.0.0.1 where IPv6 is on; the listener is on
// 127.0.0.1 only, so a refused ::1 gives way to it.
TEST(EditConnect, ARefusedAddressGivesWayToTheHostsNext) {
  Listener listener;
  ASSERT_GT(listener.Port, 0);
  TPreviewLink link("localhost", listener.Port);
  std::string reason;
  ConnectOutcome outcome = link.BeginConnect(reason);
  for (int look = 0; look < 100 && outcome == ConnectOutcome::Pending; ++look) {
    EXPECT_TRUE(link.Connecting());
    CurrentSocketBackend().WaitFor({}, {link.ConnectingSocket()}, 50);
    outcome = link.FinishConnect(reason);
  }
  EXPECT_EQ(outcome, ConnectOutcome::Connected) << reason;
  EXPECT_TRUE(link.Connected());
  EXPECT_FALSE(link.Connecting());
  EXPECT_EQ(link.ConnectingSocket(), -1);
  const SocketId client = listener.Accept();
  EXPECT_GE(client, 0);
  CurrentSocketBackend().Close(client);

  TPreviewLink nowhere("no-such-host.invalid", 1024);
  EXPECT_EQ(nowhere.BeginConnect(reason), ConnectOutcome::Failed);
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(nowhere.Connecting());
}

// A byte on the pair's writer ends a wait on its reader from another thread.
TEST(EditConnect, AWakePairEndsAWaitFromAnotherThread) {
  SocketBackend& sockets = CurrentSocketBackend();
  SocketId reader = -1, writer = -1;
  SocketFailure failure;
  ASSERT_TRUE(sockets.WakePair(reader, writer, failure)) << failure.Text;
  const auto start = std::chrono::steady_clock::now();
  std::thread waker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const uint8_t byte = 1;
    size_t sent = 0;
    SocketFailure failed;
    sockets.SendSome(writer, &byte, 1, sent, failed);
  });
  sockets.WaitFor({reader}, {}, 10000);
  const double waited = Since(start);
  waker.join();
  EXPECT_LT(waited, 5.0);
  uint8_t got = 0;
  size_t received = 0;
  EXPECT_EQ(sockets.Receive(reader, &got, 1, received, failure), ReceiveOutcome::Data);
  EXPECT_EQ(got, 1);
  EXPECT_EQ(sockets.Receive(reader, &got, 1, received, failure), ReceiveOutcome::NoData) << "non-blocking";
  sockets.Close(reader);
  sockets.Close(writer);
}
