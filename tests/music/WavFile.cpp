#include "WavFile.h"

#include <unistd.h>

#include <cstdio>

namespace {
void Put(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int k = 0; k < bytes; ++k) b.push_back((v >> (8 * k)) & 0xFF);
}
}  // namespace

std::string WriteWavFile(const std::string& name, const std::vector<int16_t>& samples, int rate) {
  const uint32_t bytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> b{'R', 'I', 'F', 'F'};
  Put(b, 36 + bytes, 4);
  for (char c : std::string("WAVEfmt ")) b.push_back(c);
  Put(b, 16, 4);
  Put(b, 1, 2);  // PCM
  Put(b, 1, 2);  // mono
  Put(b, rate, 4);
  Put(b, rate * 2, 4);
  Put(b, 2, 2);
  Put(b, 16, 2);
  for (char c : std::string("data")) b.push_back(c);
  Put(b, bytes, 4);
  for (int16_t sample : samples) Put(b, static_cast<uint16_t>(sample), 2);
  const std::string path = "/tmp/vemla-music-" + std::to_string(getpid()) + "-" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
  return path;
}
