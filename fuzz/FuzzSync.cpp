// libFuzzer target for the sync server's reading of what demos send. The
// input's first byte says how many of the following bytes are piece sizes;
// the rest is a demo's stream, fed in pieces of those sizes (cycled, 0
// allowed).
//
// First the stream alone: the messages must be exactly those a reference
// reader finds in the whole stream at once (the greeting, then GET_TRACK
// and SET_ROW commands; anything else garbage), the garbage found at the
// same message, and less than one command held back. Then the server over
// an in-memory socket backend that hands the stream to one demo in those
// pieces and takes what the server sends in pieces too: the server must
// report every track asked and every row, in order, answer the tracks it
// knows, drop the demo for garbage or keep it, and stay within its queue.
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "Pieces.h"
#include "SyncProtocol.h"
#include "SyncServer.h"

namespace {
void Require(bool condition) {
  if (!condition) __builtin_trap();
}

struct Reference {
  std::vector<DemoMessage> Messages;
  bool Garbage = false;
};

Reference ReferenceRead(const uint8_t* s, size_t size) {
  Reference ref;
  const std::string hello = "hello, synctracker!";
  size_t at = 0;
  for (; at < size && at < hello.size(); ++at)
    if (s[at] != uint8_t(hello[at])) {
      ref.Garbage = true;
      return ref;
    }
  if (at < hello.size()) return ref;
  ref.Messages.push_back({DemoMessage::Kind::Greeted, "", 0});
  while (at < size) {
    if (s[at] == 3) {
      if (size - at < 5) return ref;
      const uint32_t row = uint32_t{s[at + 1]} << 24 | uint32_t{s[at + 2]} << 16 | uint32_t{s[at + 3]} << 8 | s[at + 4];
      ref.Messages.push_back({DemoMessage::Kind::SetRow, "", int32_t(row)});
      at += 5;
    } else if (s[at] == 2) {
      if (size - at < 5) return ref;
      const uint32_t length =
          uint32_t{s[at + 1]} << 24 | uint32_t{s[at + 2]} << 16 | uint32_t{s[at + 3]} << 8 | s[at + 4];
      if (length == 0 || length > 1024) {
        ref.Garbage = true;
        return ref;
      }
      if (size - at - 5 < length) return ref;
      ref.Messages.push_back({DemoMessage::Kind::GetTrack, std::string(s + at + 5, s + at + 5 + length), 0});
      at += 5 + length;
    } else {
      ref.Garbage = true;
      return ref;
    }
  }
  return ref;
}

bool Same(const DemoMessage& a, const DemoMessage& b) { return a.What == b.What && a.Track == b.Track && a.Row == b.Row; }

// One listener (1) and one demo (2) in memory.
class MemorySockets final : public SocketBackend {
 public:
  MemorySockets(const uint8_t* stream, size_t size, const uint8_t* sizes, size_t sizeCount)
      : Stream(stream), Size(size), Sizes(sizes), SizeCount(sizeCount) {}
  SocketId Listen(int, int, SocketFailure&) override { return 1; }
  SocketId ListenOn(const std::string&, int, int, SocketFailure&) override { return 1; }
  int BoundPort(SocketId) override { return 1338; }
  SocketId Accept(SocketId, SocketFailure& failure) override {
    failure = SocketFailure{};
    if (Accepted) return -1;
    Accepted = true;
    return 2;
  }
  ReceiveOutcome Receive(SocketId, uint8_t* buffer, size_t size, size_t& received, SocketFailure&) override {
    received = 0;
    if (At == Size) return ReceiveOutcome::Closed;
    size_t piece = NextPiece();
    // A few empty reads in a row, then the rest: the stream always ends.
    if (piece == 0 && ++Empty < 4) return ReceiveOutcome::NoData;
    if (piece == 0) piece = Size;
    Empty = 0;
    received = std::min({piece, size, Size - At});
    std::memcpy(buffer, Stream + At, received);
    At += received;
    return ReceiveOutcome::Data;
  }
  SocketId Connect(const std::string&, int, SocketFailure& failure) override {
    failure = SocketFailure{1, "no"};
    return -1;
  }
  bool Send(SocketId, const uint8_t*, size_t size, SocketFailure&) override {
    SentBytes += size;
    return true;
  }
  bool SendSome(SocketId, const uint8_t*, size_t size, size_t& sent, SocketFailure&) override {
    sent = std::min(size, NextPiece() * 16);
    SentBytes += sent;
    return true;
  }
  void Close(SocketId socket) override { Closed += socket == 2; }
  void Wait(const std::vector<SocketId>&, int) override {}

  size_t At = 0, SentBytes = 0;
  int Closed = 0;

 private:
  size_t NextPiece() { return SizeCount == 0 ? Size : Sizes[Piece++ % SizeCount]; }
  const uint8_t* Stream;
  size_t Size;
  const uint8_t* Sizes;
  size_t SizeCount, Piece = 0;
  bool Accepted = false;
  int Empty = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const PiecedInput in = SplitPieces(data, size);
  const Reference ref = ReferenceRead(in.Stream, in.StreamSize);

  DemoStream demo;
  std::vector<DemoMessage> messages;
  std::string fault;
  bool fine = true;
  FeedPieces(in, [&](const uint8_t* bytes, size_t n) {
    fine = demo.Feed(bytes, n, messages, fault);
    Require(demo.Held() < 5 + MaxSyncTrackName);
    return fine;
  });
  Require(fine != ref.Garbage);
  Require(fine || !fault.empty());
  Require(messages.size() == ref.Messages.size());
  for (size_t k = 0; k < messages.size(); ++k) Require(Same(messages[k], ref.Messages[k]));

  MemorySockets sockets(in.Stream, in.StreamSize, in.Sizes, in.SizeCount);
  SetSocketBackend(&sockets);
  {
    SyncServerOptions options;
    options.MaxQueuedBytes = 4096;
    SyncServer server(options);
    server.KeysOf = [](const std::string& name, std::vector<Key>& keys) {
      if (name.empty() || name[0] != 'k') return false;
      for (size_t k = 0; k < name.size(); ++k) keys.push_back(Key{int(k) * 3, float(uint8_t(name[k])), Shape(k % 4), 0});
      return true;
    };
    std::vector<SyncEvent> events;
    for (int pass = 0; pass < 100000 && sockets.Closed == 0; ++pass) {
      for (SyncEvent& e : server.Poll()) events.push_back(std::move(e));
      if (pass % 7 == 3) {
        server.SetKey("k", Key{pass, 1.f, Shape::Linear, 0});
        server.SetTrack("kk", {Key{pass % 5, 2.f, Shape::Ramp, 0}});
        server.DeleteKey("k", pass - 7);
        server.SetRow(pass);
      }
      for (const SyncServer::DemoState& state : server.Demos()) Require(state.Queued <= options.MaxQueuedBytes);
    }
    Require(sockets.Closed == 1);
    // What the server reported is what the demo said, up to where it was dropped.
    size_t k = 0;
    bool left = false;
    for (const SyncEvent& e : events) {
      Require(!left);
      if (e.What == SyncEvent::Kind::Left) {
        left = true;
        continue;
      }
      if (e.What == SyncEvent::Kind::Message) continue;
      Require(k < ref.Messages.size());
      const DemoMessage& m = ref.Messages[k++];
      if (e.What == SyncEvent::Kind::Joined) Require(m.What == DemoMessage::Kind::Greeted);
      if (e.What == SyncEvent::Kind::TrackAsked)
        Require(m.What == DemoMessage::Kind::GetTrack && m.Track == e.Track && e.Known == (m.Track[0] == 'k'));
      if (e.What == SyncEvent::Kind::Row) Require(m.What == DemoMessage::Kind::SetRow && m.Row == e.Row);
    }
    Require(left);
    // All of it, unless the demo was dropped for not reading before it was read.
    const std::string& why = events.back().Message;
    Require(k == ref.Messages.size() || why.find("does not read") != std::string::npos);
    const bool unread = why.find("does not read") != std::string::npos;
    Require(unread || ref.Garbage == (why.find("was dropped: it") != std::string::npos));
  }
  SetSocketBackend(nullptr);
  return 0;
}
