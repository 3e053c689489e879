#include "runtime/PacketFraming.h"

#include <cstring>

namespace {
uint32_t ReadWord(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void WriteWord(uint32_t word, std::vector<uint8_t>& out) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(word >> shift));
}
}  // namespace

std::vector<uint8_t> EncodePacket(const std::vector<float>& values) {
  std::vector<uint8_t> bytes;
  bytes.reserve(4 + 4 * values.size());
  WriteWord(static_cast<uint32_t>(values.size()), bytes);
  for (float v : values) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    WriteWord(bits, bytes);
  }
  return bytes;
}

void TPacketFramer::Feed(const uint8_t* data, size_t size, std::vector<TPacketEvent>& events) {
  Pending.insert(Pending.end(), data, data + size);
  size_t at = 0;
  while (Pending.size() - at >= 4) {
    const int32_t count = static_cast<int32_t>(ReadWord(&Pending[at]));
    if (count < 0 || count > MaxPacketChannels) {
      events.push_back(TPacketEvent{.OutOfSync = true, .Values = {}});
      at += 4;
      continue;
    }
    const size_t whole = 4 + 4 * static_cast<size_t>(count);
    if (Pending.size() - at < whole) break;
    TPacketEvent packet;
    packet.Values.resize(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) {
      const uint32_t bits = ReadWord(&Pending[at + 4 + 4 * static_cast<size_t>(k)]);
      std::memcpy(&packet.Values[static_cast<size_t>(k)], &bits, 4);
    }
    events.push_back(std::move(packet));
    at += whole;
  }
  Pending.erase(Pending.begin(), Pending.begin() + static_cast<std::ptrdiff_t>(at));
}
