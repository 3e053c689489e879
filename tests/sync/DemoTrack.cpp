#include "DemoTrack.h"

#include <cstring>

double DemoValue(const DemoTrack& keys, double row) {
  if (keys.empty()) return 0;
  auto next = keys.upper_bound(static_cast<int>(row < 0 ? -1 : row));
  if (next == keys.begin()) return keys.begin()->second.Value;
  const auto key = std::prev(next);
  if (next == keys.end() || key->second.Shape == 0) return key->second.Value;
  double t = (row - key->first) / double(next->first - key->first);
  if (key->second.Shape == 2) t = t * t * (3 - 2 * t);
  if (key->second.Shape == 3) t = t * t;
  return key->second.Value + (next->second.Value - key->second.Value) * t;
}

namespace {
uint32_t LittleWord(const std::string& bytes, size_t at) {
  return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 | uint32_t(uint8_t(bytes[at + 2])) << 16 |
         uint32_t(uint8_t(bytes[at + 3])) << 24;
}
}  // namespace

bool ReadDemoTrackFile(const std::string& bytes, DemoTrack& keys) {
  keys.clear();
  if (bytes.size() < 4) return false;
  const uint32_t count = LittleWord(bytes, 0);
  if (bytes.size() != 4 + 9 * size_t{count}) return false;
  for (uint32_t k = 0; k < count; ++k) {
    const size_t at = 4 + 9 * size_t{k};
    const uint32_t bits = LittleWord(bytes, at + 4);
    float value;
    std::memcpy(&value, &bits, 4);
    keys[int32_t(LittleWord(bytes, at))] = DemoKey{value, uint8_t(bytes[at + 8])};
  }
  return true;
}
