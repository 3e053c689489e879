// The GNU Rocket sync protocol as the editor's side speaks it. A demo
// connects over TCP and greets with the 19 bytes "hello, synctracker!"; the
// editor answers with the 12 bytes "hello, demo!". Then each command is one
// byte and a payload of big-endian 32-bit fields (a float as its IEEE bits):
//
//   demo to editor:  GET_TRACK  2  name length, name bytes
//                    SET_ROW    3  row (a playing demo's row as it changes)
//   editor to demo:  SET_KEY    0  track, row, value, shape byte
//                    DELETE_KEY 1  track, row
//                    SET_ROW    3  row
//                    PAUSE      4  one byte, 1 paused
//                    SAVE_TRACKS 5
//
// A track's number is the order in which that demo asked for it (from 0,
// per connection). The shape byte is RocketShapeNumber (Timeline.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Timeline.h"

constexpr int SyncPort = 1338;
constexpr const char SyncDemoGreeting[] = "hello, synctracker!";
constexpr const char SyncEditorGreeting[] = "hello, demo!";
constexpr size_t SyncDemoGreetingBytes = sizeof SyncDemoGreeting - 1;
constexpr size_t SyncEditorGreetingBytes = sizeof SyncEditorGreeting - 1;

enum class SyncCommand : uint8_t { SetKey = 0, DeleteKey = 1, GetTrack = 2, SetRow = 3, Pause = 4, SaveTracks = 5 };

// The longest track name a demo may ask for; a longer length is garbage.
constexpr uint32_t MaxSyncTrackName = 1024;

// The editor's commands as bytes.
std::vector<uint8_t> EncodeSetKey(uint32_t track, const Key& key);
std::vector<uint8_t> EncodeDeleteKey(uint32_t track, int row);
std::vector<uint8_t> EncodeSetRow(int row);
std::vector<uint8_t> EncodePause(bool paused);
std::vector<uint8_t> EncodeSaveTracks();

// What a demo has said, in its stream's order.
struct DemoMessage {
  enum class Kind { Greeted, GetTrack, SetRow } What;
  std::string Track;  // GetTrack: the name
  int Row = 0;        // SetRow
};

// Cuts a demo's byte stream into its greeting and commands. Bytes are
// taken as they come, in pieces of any size; a message is given out once
// it is whole. A stream that cannot be a demo's (a greeting that differs,
// a command the editor does not take, a name length past MaxSyncTrackName
// or of 0) is garbage: Feed returns false with the reason, and the stream
// is of no further use. Between calls it holds less than one message.
class DemoStream {
 public:
  bool Feed(const uint8_t* data, size_t size, std::vector<DemoMessage>& out, std::string& fault);
  bool Greeted() const { return GreetingSeen == SyncDemoGreetingBytes; }
  // Whether a message has begun and is not yet whole.
  bool MidMessage() const { return (GreetingSeen > 0 && !Greeted()) || !Pending.empty(); }
  // What the message begun is, for a demo that leaves or stalls mid-way.
  std::string Unfinished() const;
  size_t Held() const { return Pending.size(); }

 private:
  size_t GreetingSeen = 0;
  std::vector<uint8_t> Pending;  // the command begun
};
