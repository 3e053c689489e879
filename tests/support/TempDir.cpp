#include "support/TempDir.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

TempDir::TempDir() {
  std::random_device random;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto candidate = base / ("vemla-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      Dir = candidate.string();
      break;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(Dir, ignored);
}

std::string TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
  std::string path = Dir + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

void AppendInt32(std::vector<uint8_t>& bytes, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

void AppendFloat(std::vector<uint8_t>& bytes, float value) {
  uint32_t v;
  std::memcpy(&v, &value, 4);
  AppendInt32(bytes, static_cast<int32_t>(v));
}
