#include "SyncProtocol.h"

#include <algorithm>

namespace {
void PutWord(uint32_t word, std::vector<uint8_t>& out) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(word >> shift));
}

uint32_t WordAt(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

std::vector<uint8_t> Command(SyncCommand command) { return {static_cast<uint8_t>(command)}; }

// The whole size of the command begun in bytes (at least its first byte),
// or 0 while its length is not yet in; -1 for garbage, with the reason.
long CommandSize(const std::vector<uint8_t>& bytes, std::string& fault) {
  switch (static_cast<SyncCommand>(bytes[0])) {
    case SyncCommand::SetRow:
      return 5;
    case SyncCommand::GetTrack: {
      if (bytes.size() < 5) return 0;
      const uint32_t length = WordAt(&bytes[1]);
      if (length == 0 || length > MaxSyncTrackName) {
        fault = "asked for a track with a name of " + std::to_string(length) + " bytes (1 to " +
                std::to_string(MaxSyncTrackName) + " are taken)";
        return -1;
      }
      return 5 + long(length);
    }
    default:
      fault = "sent command " + std::to_string(bytes[0]) + ", which a demo does not send (GET_TRACK is 2, SET_ROW 3)";
      return -1;
  }
}
}  // namespace

std::vector<uint8_t> EncodeSetKey(uint32_t track, const Key& key) {
  std::vector<uint8_t> out = Command(SyncCommand::SetKey);
  PutWord(track, out);
  AppendRocketKey(key, true, out);
  return out;
}

std::vector<uint8_t> EncodeDeleteKey(uint32_t track, int row) {
  std::vector<uint8_t> out = Command(SyncCommand::DeleteKey);
  PutWord(track, out);
  PutWord(static_cast<uint32_t>(row), out);
  return out;
}

std::vector<uint8_t> EncodeSetRow(int row) {
  std::vector<uint8_t> out = Command(SyncCommand::SetRow);
  PutWord(static_cast<uint32_t>(row), out);
  return out;
}

std::vector<uint8_t> EncodePause(bool paused) {
  std::vector<uint8_t> out = Command(SyncCommand::Pause);
  out.push_back(paused ? 1 : 0);
  return out;
}

std::vector<uint8_t> EncodeSaveTracks() { return Command(SyncCommand::SaveTracks); }

bool DemoStream::Feed(const uint8_t* data, size_t size, std::vector<DemoMessage>& out, std::string& fault) {
  size_t at = 0;
  while (!Greeted() && at < size) {
    if (data[at] != static_cast<uint8_t>(SyncDemoGreeting[GreetingSeen])) {
      fault = "greeted with something other than \"" + std::string(SyncDemoGreeting) + "\" (byte " +
              std::to_string(GreetingSeen + 1) + " is " + std::to_string(data[at]) + ")";
      return false;
    }
    ++at;
    if (++GreetingSeen == SyncDemoGreetingBytes) out.push_back(DemoMessage{DemoMessage::Kind::Greeted, "", 0});
  }
  while (at < size) {
    // At most what the command begun still lacks is taken, so that no more
    // than one command is held.
    long whole = Pending.empty() ? 0 : CommandSize(Pending, fault);
    if (whole < 0) return false;
    size_t want = whole > 0 ? size_t(whole) - Pending.size() : Pending.empty() ? 1 : 5 - Pending.size();
    want = std::min(want, size - at);
    Pending.insert(Pending.end(), data + at, data + at + want);
    at += want;
    whole = CommandSize(Pending, fault);
    if (whole < 0) return false;
    if (whole == 0 || Pending.size() < size_t(whole)) continue;
    if (static_cast<SyncCommand>(Pending[0]) == SyncCommand::SetRow)
      out.push_back(DemoMessage{DemoMessage::Kind::SetRow, "", static_cast<int32_t>(WordAt(&Pending[1]))});
    else
      out.push_back(DemoMessage{DemoMessage::Kind::GetTrack, std::string(Pending.begin() + 5, Pending.end()), 0});
    Pending.clear();
  }
  return true;
}

std::string DemoStream::Unfinished() const {
  if (!Greeted()) return "its greeting (" + std::to_string(GreetingSeen) + " of its 19 bytes)";
  if (Pending.empty()) return "nothing";
  std::string fault;
  const long whole = CommandSize(Pending, fault);
  const std::string name = static_cast<SyncCommand>(Pending[0]) == SyncCommand::SetRow ? "SET_ROW" : "GET_TRACK";
  if (whole <= 0) return "a " + name + " command (" + std::to_string(Pending.size()) + " bytes of it)";
  return "a " + name + " command (" + std::to_string(Pending.size()) + " of its " + std::to_string(whole) + " bytes)";
}
