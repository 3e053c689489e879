#include "SyncServer.h"

#include <algorithm>
#include <cmath>

#include "NumberText.h"

namespace {
constexpr int ListenBacklog = 16;
// How long the listener rests after a connection could not be taken: it
// stays readable meanwhile, and waiting on it again at once would spin.
constexpr double AcceptPauseSeconds = 0.3;
// Bytes taken from a demo by one read, and the most reads one demo gets in
// a pass, so that a demo sending without pause cannot keep the others or
// the editor waiting.
constexpr size_t ReadBytes = 4096;
constexpr int ReadsPerPass = 16;

bool SameKey(const Key& a, const Key& b) { return a.Row == b.Row && a.Curve == b.Curve && SameValue(a.Value, b.Value); }

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string SecondsText(double seconds) { return ShortestNumber(seconds); }
}  // namespace

SyncServer::SyncServer(SyncServerOptions options) : Options(std::move(options)) {
  SocketFailure failure;
  Listener = CurrentSocketBackend().ListenOn(Options.Address, Options.Port, ListenBacklog, failure);
  if (Listener < 0)
    throw SyncServerError("Cannot listen for demos on " + Options.Address + " port " + std::to_string(Options.Port) +
                          ": " + failure.Text);
  ListeningPort = Options.Port != 0 ? Options.Port : CurrentSocketBackend().BoundPort(Listener);
}

SyncServer::~SyncServer() {
  for (const auto& [id, demo] : Connected) CurrentSocketBackend().Close(demo.Socket);
  CurrentSocketBackend().Close(Listener);
}

void SyncServer::Accept() {
  SocketBackend& sockets = CurrentSocketBackend();
  if (Clock::now() < ListenerRestsUntil) return;
  for (;;) {
    SocketFailure failure;
    const SocketId socket = sockets.Accept(Listener, failure);
    if (socket < 0) {
      if (failure.Code == 0) return;
      if (!AcceptFailureSaid)
        Events.push_back({SyncEvent::Kind::Message, 0, "", false, 0, "Cannot take a demo's connection: " + failure.Text});
      AcceptFailureSaid = true;
      ListenerRestsUntil = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(AcceptPauseSeconds));
      return;
    }
    AcceptFailureSaid = false;
    if (static_cast<int>(Connected.size()) >= Options.MaxDemos) {
      sockets.Close(socket);
      if (!DemoLimitSaid)
        Events.push_back({SyncEvent::Kind::Message, 0, "", false, 0,
                          "A demo was turned away: " + std::to_string(Options.MaxDemos) +
                              " are connected; more are turned away until one leaves"});
      DemoLimitSaid = true;
      continue;
    }
    DemoLimitSaid = false;
    Demo& demo = Connected[++LastId];
    demo.Socket = socket;
    demo.WaitingSince = Clock::now();
  }
}

void SyncServer::Queue(Demo& demo, const std::vector<uint8_t>& bytes) {
  if (!demo.DropReason.empty()) return;
  if (demo.Out.size() - demo.OutAt + bytes.size() > Options.MaxQueuedBytes) {
    demo.DropReason = "was dropped: it does not read what the editor sends (" +
                      std::to_string(demo.Out.size() - demo.OutAt) + " bytes wait for it)";
    return;
  }
  demo.Out.insert(demo.Out.end(), bytes.begin(), bytes.end());
}

void SyncServer::Flush(Demo& demo) {
  while (demo.DropReason.empty() && demo.OutAt < demo.Out.size()) {
    size_t sent = 0;
    SocketFailure failure;
    if (!CurrentSocketBackend().SendSome(demo.Socket, demo.Out.data() + demo.OutAt, demo.Out.size() - demo.OutAt,
                                         sent, failure)) {
      demo.DropReason = "was dropped: its connection failed: " + failure.Text;
      return;
    }
    if (sent == 0) break;
    demo.OutAt += sent;
  }
  // The sent bytes go once they are the larger part, so that a queue is
  // moved at most about as often as it doubles.
  if (demo.OutAt == demo.Out.size()) {
    demo.Out.clear();
    demo.OutAt = 0;
  } else if (demo.OutAt > demo.Out.size() / 2) {
    demo.Out.erase(demo.Out.begin(), demo.Out.begin() + static_cast<std::ptrdiff_t>(demo.OutAt));
    demo.OutAt = 0;
  }
}

void SyncServer::Drop(int id, const std::string& reason) {
  auto found = Connected.find(id);
  if (found == Connected.end()) return;
  CurrentSocketBackend().Close(found->second.Socket);
  Connected.erase(found);
  Events.push_back({SyncEvent::Kind::Left, id, "", false, 0, "Demo " + std::to_string(id) + " " + reason});
}

void SyncServer::DropMarked() {
  std::vector<std::pair<int, std::string>> dropped;
  for (const auto& [id, demo] : Connected)
    if (!demo.DropReason.empty()) dropped.emplace_back(id, demo.DropReason);
  for (const auto& [id, reason] : dropped) Drop(id, reason);
}

void SyncServer::SendDifferences(Demo& demo, uint32_t number, const std::vector<Key>& keys) {
  std::vector<Key>& held = demo.Held[number];
  // Both in row order: walked together, a key held and not wanted is
  // deleted, a key wanted and not held as it is, set.
  size_t h = 0;
  for (const Key& key : keys) {
    while (h < held.size() && held[h].Row < key.Row) Queue(demo, EncodeDeleteKey(number, held[h++].Row));
    const bool same = h < held.size() && SameKey(held[h], key);
    if (h < held.size() && held[h].Row == key.Row) ++h;
    if (!same) Queue(demo, EncodeSetKey(number, key));
  }
  for (; h < held.size(); ++h) Queue(demo, EncodeDeleteKey(number, held[h].Row));
  held.clear();
  for (const Key& key : keys) held.push_back(Key{key.Row, key.Value, key.Curve, 0});
}

void SyncServer::Answer(int id, Demo& demo, const DemoMessage& message) {
  switch (message.What) {
    case DemoMessage::Kind::Greeted:
      Queue(demo, std::vector<uint8_t>(SyncEditorGreeting, SyncEditorGreeting + SyncEditorGreetingBytes));
      if (EditorRow) {
        demo.Row = *EditorRow;
        Queue(demo, EncodeSetRow(*EditorRow));
      }
      if (EditorPaused) Queue(demo, EncodePause(*EditorPaused));
      Events.push_back({SyncEvent::Kind::Joined, id, "", false, 0, "Demo " + std::to_string(id) + " joined"});
      return;
    case DemoMessage::Kind::GetTrack: {
      if (demo.Tracks.size() >= Options.MaxTracksPerDemo) {
        demo.DropReason = "was dropped: it asked for more than " + std::to_string(Options.MaxTracksPerDemo) + " tracks";
        return;
      }
      const uint32_t number = static_cast<uint32_t>(demo.Tracks.size());
      demo.Tracks.push_back(message.Track);
      demo.Numbers[message.Track].push_back(number);
      demo.Held.emplace_back();
      std::vector<Key> keys;
      const bool known = KeysOf && KeysOf(message.Track, keys);
      if (known) SendDifferences(demo, number, keys);
      Events.push_back({SyncEvent::Kind::TrackAsked, id, message.Track, known, 0, ""});
      return;
    }
    case DemoMessage::Kind::SetRow:
      demo.Row = message.Row;
      Events.push_back({SyncEvent::Kind::Row, id, "", false, message.Row, ""});
      return;
  }
}

void SyncServer::Read(int id, Demo& demo) {
  uint8_t bytes[ReadBytes];
  std::vector<DemoMessage> messages;
  for (int read = 0; read < ReadsPerPass && demo.DropReason.empty(); ++read) {
    size_t received = 0;
    SocketFailure failure;
    const ReceiveOutcome outcome = CurrentSocketBackend().Receive(demo.Socket, bytes, sizeof bytes, received, failure);
    if (outcome == ReceiveOutcome::NoData) return;
    if (outcome == ReceiveOutcome::Failed) {
      demo.DropReason = "was dropped: its connection failed: " + failure.Text;
      return;
    }
    if (outcome == ReceiveOutcome::Closed) {
      if (demo.Stream.MidMessage() || !demo.Stream.Greeted())
        demo.DropReason = "left in the middle of " + demo.Stream.Unfinished();
      else
        demo.DropReason = "left";
      return;
    }
    messages.clear();
    std::string fault;
    const bool fine = demo.Stream.Feed(bytes, received, messages, fault);
    if (!messages.empty()) demo.WaitingSince = Clock::now();
    for (const DemoMessage& message : messages) Answer(id, demo, message);
    if (!fine) demo.DropReason = "was dropped: it " + fault;
  }
}

bool SyncServer::Stalled(const Demo& demo, Clock::time_point now) const {
  return (!demo.Stream.Greeted() || demo.Stream.MidMessage()) &&
         Seconds(now - demo.WaitingSince) > Options.StallSeconds;
}

std::vector<SyncEvent> SyncServer::Poll() {
  Accept();
  const Clock::time_point now = Clock::now();
  for (auto& [id, demo] : Connected) {
    Read(id, demo);
    if (demo.DropReason.empty() && Stalled(demo, now))
      demo.DropReason = "was dropped: it left " + demo.Stream.Unfinished() + " unfinished for more than " +
                        SecondsText(Options.StallSeconds) + " seconds";
    Flush(demo);
  }
  DropMarked();
  return std::move(Events);
}

int SyncServer::Watch(SocketWatch& watch, int milliseconds) const {
  const Clock::time_point now = Clock::now();
  // A listener that rests is not slept on: the pass after its rest takes it.
  if (now >= ListenerRestsUntil)
    watch.Readable.push_back(Listener);
  else
    milliseconds = std::min(milliseconds, static_cast<int>(std::ceil(Seconds(ListenerRestsUntil - now) * 1000)));
  double until = std::max(milliseconds, 0) / 1000.0;
  for (const auto& [id, demo] : Connected) {
    watch.Readable.push_back(demo.Socket);
    if (demo.OutAt < demo.Out.size()) watch.Writable.push_back(demo.Socket);
    if (!demo.DropReason.empty()) until = 0;
    if (!demo.Stream.Greeted() || demo.Stream.MidMessage())
      until = std::min(until, std::max(0.0, Options.StallSeconds - Seconds(now - demo.WaitingSince)) + 0.001);
  }
  if (!Events.empty()) until = 0;
  return static_cast<int>(std::ceil(until * 1000));
}

void SyncServer::Wait(int milliseconds) {
  SocketWatch watch;
  const int ms = Watch(watch, milliseconds);
  CurrentSocketBackend().WaitFor(watch.Readable, watch.Writable, ms);
}

void SyncServer::SetTrack(const std::string& track, const std::vector<Key>& keys) {
  for (auto& [id, demo] : Connected) {
    const auto numbers = demo.Numbers.find(track);
    if (numbers == demo.Numbers.end()) continue;
    for (uint32_t number : numbers->second) SendDifferences(demo, number, keys);
    Flush(demo);
  }
}

void SyncServer::SetKey(const std::string& track, const Key& key) {
  if (key.Row < 0) return;
  for (auto& [id, demo] : Connected) {
    const auto numbers = demo.Numbers.find(track);
    if (numbers == demo.Numbers.end()) continue;
    for (uint32_t number : numbers->second) {
      std::vector<Key> keys = demo.Held[number];
      const size_t at = KeysBefore(keys, key.Row);
      if (at < keys.size() && keys[at].Row == key.Row)
        keys[at] = key;
      else
        keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(at), key);
      SendDifferences(demo, number, keys);
    }
    Flush(demo);
  }
}

void SyncServer::DeleteKey(const std::string& track, int row) {
  for (auto& [id, demo] : Connected) {
    const auto numbers = demo.Numbers.find(track);
    if (numbers == demo.Numbers.end()) continue;
    for (uint32_t number : numbers->second) {
      std::vector<Key> keys = demo.Held[number];
      std::erase_if(keys, [&](const Key& k) { return k.Row == row; });
      SendDifferences(demo, number, keys);
    }
    Flush(demo);
  }
}

void SyncServer::SetRow(int row) {
  EditorRow = row;
  for (auto& [id, demo] : Connected) {
    if (!demo.Stream.Greeted() || demo.Row == row) continue;
    demo.Row = row;
    Queue(demo, EncodeSetRow(row));
    Flush(demo);
  }
}

void SyncServer::Pause(bool paused) {
  EditorPaused = paused;
  for (auto& [id, demo] : Connected) {
    if (!demo.Stream.Greeted()) continue;
    Queue(demo, EncodePause(paused));
    Flush(demo);
  }
}

void SyncServer::SaveTracks() {
  for (auto& [id, demo] : Connected) {
    if (!demo.Stream.Greeted()) continue;
    Queue(demo, EncodeSaveTracks());
    Flush(demo);
  }
}

std::vector<SyncServer::DemoState> SyncServer::Demos() const {
  std::vector<DemoState> states;
  for (const auto& [id, demo] : Connected)
    states.push_back(DemoState{id, demo.Stream.Greeted(), demo.Tracks, demo.Row, demo.Out.size() - demo.OutAt});
  return states;
}

int SyncServer::DemoCount() const {
  return static_cast<int>(std::count_if(Connected.begin(), Connected.end(),
                                        [](const auto& entry) { return entry.second.Stream.Greeted(); }));
}
