// The live preview's packet: a little-endian signed 32-bit count N, then N
// 32-bit floats for channels 0 to N - 1. N is valid from 0 to 64. The server
// cuts packets out of each connection's byte stream; the editing client
// writes them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int PacketPort = 1024;
constexpr int32_t MaxPacketChannels = 64;
// A whole packet of the largest count.
constexpr size_t MaxPacketBytes = 4 + 4 * MaxPacketChannels;

std::vector<uint8_t> EncodePacket(const std::vector<float>& values);

// What the framer found in the stream, in stream order.
struct TPacketEvent {
  bool OutOfSync = false;     // a count outside 0 to 64, whose 4 bytes are dropped
  std::vector<float> Values;  // a whole packet's values
};

// Cuts one connection's byte stream into packets. A packet is given out only
// once its count and all its values are in; a count outside 0 to 64 is given
// out as out of sync and only its 4 bytes are dropped, so a stream that has
// lost its place finds it again on the next 4 bytes that read as a valid
// count. Between calls the framer holds less than one packet.
class TPacketFramer {
 public:
  // Appends the bytes and hands every event they complete to the list.
  void Feed(const uint8_t* data, size_t size, std::vector<TPacketEvent>& events);
  size_t Held() const { return Pending.size(); }

 private:
  std::vector<uint8_t> Pending;
};
