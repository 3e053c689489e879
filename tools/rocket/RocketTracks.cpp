// The player's binary track files.
#include <cstring>

#include "Rocket.h"
#include "platform/WholeFile.h"

namespace {
constexpr char HexDigits[] = "0123456789ABCDEF";
constexpr size_t KeyBytes = 9;

bool Kept(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
}

int HexValue(char c) {
  const char* at = c != '\0' ? std::strchr(HexDigits, c) : nullptr;
  return at != nullptr ? int(at - HexDigits) : -1;
}

void PutWord(uint32_t word, std::vector<uint8_t>& out) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(word >> shift));
}

uint32_t WordAt(const std::string& bytes, size_t at) {
  uint32_t word = 0;
  for (int k = 3; k >= 0; --k) word = word << 8 | static_cast<uint8_t>(bytes[at + size_t(k)]);
  return word;
}
}  // namespace

std::string EscapeTrackName(const std::string& name) {
  std::string escaped;
  for (char c : name) {
    if (Kept(c)) {
      escaped += c;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    escaped += {'-', HexDigits[byte >> 4], HexDigits[byte & 15]};
  }
  return escaped;
}

bool UnescapeTrackName(const std::string& escaped, std::string& name) {
  name.clear();
  for (size_t k = 0; k < escaped.size(); ++k) {
    if (Kept(escaped[k])) {
      name += escaped[k];
      continue;
    }
    if (escaped[k] != '-' || k + 2 >= escaped.size() || HexValue(escaped[k + 1]) < 0 || HexValue(escaped[k + 2]) < 0)
      return false;
    const auto byte = static_cast<unsigned char>(HexValue(escaped[k + 1]) << 4 | HexValue(escaped[k + 2]));
    // A byte that would stand for itself is never escaped.
    if (Kept(static_cast<char>(byte))) return false;
    name += static_cast<char>(byte);
    k += 2;
  }
  return true;
}

std::string TrackFilePath(const std::string& base, const std::string& name) {
  return base + "_" + EscapeTrackName(name) + ".track";
}

std::vector<uint8_t> EncodeTrackFile(const std::vector<Key>& keys) {
  std::vector<uint8_t> out;
  out.reserve(4 + KeyBytes * keys.size());
  PutWord(static_cast<uint32_t>(keys.size()), out);
  for (const Key& key : keys) AppendRocketKey(key, false, out);
  return out;
}

bool DecodeTrackFile(const std::string& bytes, std::vector<Key>& keys, std::string& reason) {
  keys.clear();
  if (bytes.size() < 4) {
    reason = "a track file starts with its 4-byte key count; this one has " + std::to_string(bytes.size()) + " bytes";
    return false;
  }
  const uint32_t count = WordAt(bytes, 0);
  if (count > (bytes.size() - 4) / KeyBytes || bytes.size() != 4 + KeyBytes * count) {
    reason = "a track file of " + std::to_string(count) + " keys has " + std::to_string(4 + KeyBytes * uint64_t{count}) +
             " bytes; this one has " + std::to_string(bytes.size());
    return false;
  }
  for (uint32_t k = 0; k < count; ++k) {
    const size_t at = 4 + KeyBytes * k;
    Key key{static_cast<int32_t>(WordAt(bytes, at)), 0, Shape::Hold, 0};
    const uint32_t bits = WordAt(bytes, at + 4);
    std::memcpy(&key.Value, &bits, 4);
    if (!RocketShape(static_cast<uint8_t>(bytes[at + 8]), key.Curve)) {
      reason = "key " + std::to_string(k) + " has the unknown shape " + std::to_string(uint8_t(bytes[at + 8]));
      return false;
    }
    if (key.Row < 0 || (!keys.empty() && key.Row <= keys.back().Row)) {
      reason = "key " + std::to_string(k) + " at row " + std::to_string(key.Row) + " does not come after the one before";
      return false;
    }
    keys.push_back(key);
  }
  return true;
}

bool ExportTrackFiles(const Timeline& timeline, const std::string& base, std::string& reason) {
  for (size_t c = 0; c < timeline.Channels.size(); ++c) {
    const std::vector<uint8_t> bytes = EncodeTrackFile(timeline.Channels[c]);
    const std::string path = TrackFilePath(base, ChannelName(static_cast<int>(c), timeline.Layout));
    if (!ReplaceFile(path, std::string(bytes.begin(), bytes.end()), false, reason)) return false;
  }
  return true;
}
