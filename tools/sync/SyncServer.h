// The editor's side of GNU Rocket synchronisation (SyncProtocol.h): a TCP
// server the demos connect to, polled from the editor's loop. It never
// blocks: what a demo sends is taken as it comes and what goes to a demo
// waits in that demo's queue until its connection takes it, so a demo that
// stops reading holds up neither the editor nor the other demos.
//
// The editor's loop, in short:
//
//   SyncServer sync;                       // 127.0.0.1:1338
//   sync.KeysOf = [&](const std::string& name, std::vector<Key>& keys) {
//     const int track = doc.TrackIndex(name);
//     if (track < 0) return false;         // reported as TrackAsked, not Known
//     keys = doc.Keys(track);
//     return true;
//   };
//   for (;;) {
//     for (const SyncEvent& e : sync.Poll()) ...   // joins, leaves, tracks asked, rows
//     after an edit, for each track:  sync.SetTrack(name, doc.Keys(track));
//     on a cursor move:               sync.SetRow(row);
//     sync.Wait(milliseconds);         // sleeps until a demo sends something
//   }
//
// Each demo has its own track numbers, the order in which it asked for its
// tracks; edits are given by track name and go to every demo that asked
// for that track, under its number there, as the differences from what that
// demo holds. A demo that leaves, sends what a demo does not send, leaves a
// message unfinished too long, or stops reading is dropped with the reason
// (a Left event); the others go on. A demo that connects again asks for its
// tracks again and gets every key again.
#pragma once
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "SyncProtocol.h"
#include "Timeline.h"
#include "platform/SocketBackend.h"

// The server's port could not be had.
class SyncServerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SyncServerOptions {
  // The local address listened on: this machine only by default; "0.0.0.0"
  // for demos on other machines.
  std::string Address = "127.0.0.1";
  int Port = SyncPort;  // 0: a free port (SyncServer::Port says which)
  int MaxDemos = 32;    // connections beyond are closed at once
  // A demo that leaves its greeting or a command unfinished this long is
  // dropped (a name longer than the bytes that follow it never ends).
  double StallSeconds = 5;
  // The bytes that may wait for one demo to read them; past them it is dropped.
  size_t MaxQueuedBytes = size_t{64} << 20;
  // The tracks one demo may ask for.
  size_t MaxTracksPerDemo = 65536;
};

struct SyncEvent {
  enum class Kind {
    Joined,      // a demo greeted
    Left,        // a demo left or was dropped: Message says why
    TrackAsked,  // a demo asked for Track; Known: the timeline has it (KeysOf answered)
    Row,         // a playing demo is at Row
    Message,     // something the editor should show (Demo 0: the server's own)
  };
  Kind What;
  int Demo = 0;  // the demo's number, from 1, not used again while the server lives
  std::string Track;
  bool Known = false;
  int Row = 0;
  std::string Message;
};

class SyncServer {
 public:
  // Listens; raises SyncServerError when it cannot.
  explicit SyncServer(SyncServerOptions options = {});
  ~SyncServer();
  SyncServer(const SyncServer&) = delete;
  SyncServer& operator=(const SyncServer&) = delete;

  const std::string& Address() const { return Options.Address; }
  int Port() const { return ListeningPort; }

  // A track's keys by its name, to answer a demo asking for it; false
  // where the timeline has no such track (the demo gets no keys, and the
  // editor hears of it as a TrackAsked event that is not Known).
  std::function<bool(const std::string& track, std::vector<Key>& keys)> KeysOf;

  // One pass: takes the demos waiting to connect, reads what every demo
  // has sent and answers it, sends what waits, and drops the demos that
  // must go. The events since the last pass, in order.
  std::vector<SyncEvent> Poll();
  // Sleeps until a demo connects or sends something, queued bytes can
  // go, a stalled demo's time runs out, or milliseconds pass.
  void Wait(int milliseconds);
  // What Wait sleeps on, for a program that sleeps on other things too:
  // the sockets added to the watch, and the milliseconds it may sleep at
  // most (fewer than given where a stalled demo's time runs out sooner).
  int Watch(SocketWatch& watch, int milliseconds) const;

  // Every demo that asked for the track is brought to these keys (in row
  // order): only the keys that differ from what it holds are sent.
  void SetTrack(const std::string& track, const std::vector<Key>& keys);
  // One key set or deleted in every demo that asked for the track.
  void SetKey(const std::string& track, const Key& key);
  void DeleteKey(const std::string& track, int row);
  // The editor's cursor, its play state, and a request to save the tracks
  // (the player's files). A demo that joins later is told the last row and
  // pause state set. A demo is not sent the row it last reported itself,
  // so that an editor following a playing demo does not echo its rows.
  void SetRow(int row);
  void Pause(bool paused);
  void SaveTracks();

  struct DemoState {
    int Id;
    bool Greeted;
    std::vector<std::string> Tracks;  // by the demo's numbers
    std::optional<int> Row;           // the row it last reported or was sent
    size_t Queued;                    // bytes waiting for it to read
  };
  std::vector<DemoState> Demos() const;
  // Demos that have greeted.
  int DemoCount() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Demo {
    SocketId Socket = -1;
    DemoStream Stream;
    std::vector<std::string> Tracks;
    std::map<std::string, std::vector<uint32_t>> Numbers;  // name -> its numbers
    std::vector<std::vector<Key>> Held;                    // by number: the keys it was sent
    std::optional<int> Row;
    std::vector<uint8_t> Out;
    size_t OutAt = 0;                    // Out's bytes before it are sent
    Clock::time_point WaitingSince;     // when its unfinished message last made progress
    std::string DropReason;             // set: to be dropped at the next pass ("left", "was dropped: ...")
  };

  void Accept();
  void Read(int id, Demo& demo);
  void Answer(int id, Demo& demo, const DemoMessage& message);
  void Queue(Demo& demo, const std::vector<uint8_t>& bytes);
  void Flush(Demo& demo);
  void Drop(int id, const std::string& reason);
  void DropMarked();
  // Brings one demo's copy of one of its tracks to the keys.
  void SendDifferences(Demo& demo, uint32_t number, const std::vector<Key>& keys);
  bool Stalled(const Demo& demo, Clock::time_point now) const;

  SyncServerOptions Options;
  SocketId Listener = -1;
  int ListeningPort = -1;
  Clock::time_point ListenerRestsUntil;
  bool AcceptFailureSaid = false, DemoLimitSaid = false;
  std::map<int, Demo> Connected;
  int LastId = 0;
  std::optional<int> EditorRow;
  std::optional<bool> EditorPaused;
  std::vector<SyncEvent> Events;
};
