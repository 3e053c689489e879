// libFuzzer target for the preview server's packet framing. The input's
// first byte says how many of the following bytes are piece sizes; the rest
// is the stream, fed to the framer in pieces of those sizes (cycled, 0
// allowed). The events must be exactly those a reference framer finds in the
// whole stream at once: every whole valid packet given out once, in order,
// each invalid count once as out of sync, and nothing more held back than
// the reference leaves over.
#include <cstring>
#include <vector>

#include "Pieces.h"
#include "runtime/PacketFraming.h"

namespace {
void Require(bool condition) {
  if (!condition) __builtin_trap();
}

int32_t Int32At(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
}

// The stream read from the start in one pass; returns the bytes left over.
size_t ReferenceFrame(const uint8_t* s, size_t size, std::vector<TPacketEvent>& events) {
  size_t at = 0;
  while (size - at >= 4) {
    const int32_t count = Int32At(s + at);
    if (count < 0 || count > 64) {
      events.push_back({.OutOfSync = true, .Values = {}});
      at += 4;
      continue;
    }
    if (size - at < 4 + 4 * static_cast<size_t>(count)) break;
    std::vector<float> values(static_cast<size_t>(count));
    if (count > 0) std::memcpy(values.data(), s + at + 4, 4 * values.size());
    events.push_back({.OutOfSync = false, .Values = values});
    at += 4 + 4 * values.size();
  }
  return size - at;
}

bool SameEvent(const TPacketEvent& a, const TPacketEvent& b) {
  if (a.OutOfSync != b.OutOfSync || a.Values.size() != b.Values.size()) return false;
  // Bit for bit, so that NaN payloads count too.
  return a.Values.empty() || std::memcmp(a.Values.data(), b.Values.data(), 4 * a.Values.size()) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const PiecedInput in = SplitPieces(data, size);
  const uint8_t* stream = in.Stream;
  const size_t streamSize = in.StreamSize;

  TPacketFramer framer;
  std::vector<TPacketEvent> events;
  FeedPieces(in, [&](const uint8_t* bytes, size_t n) {
    framer.Feed(bytes, n, events);
    Require(framer.Held() < MaxPacketBytes);
    return true;
  });

  std::vector<TPacketEvent> expected;
  const size_t left = ReferenceFrame(stream, streamSize, expected);
  Require(framer.Held() == left);
  Require(events.size() == expected.size());
  for (size_t k = 0; k < events.size(); ++k) {
    Require(SameEvent(events[k], expected[k]));
  }
  return 0;
}
