// A fresh temporary directory for a test, removed with its files afterwards.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return Dir; }
  // Writes bytes to a file in the directory and returns its full path.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

 private:
  std::string Dir;
};

// Little-endian byte builders for test files.
void AppendInt32(std::vector<uint8_t>& bytes, int32_t value);
void AppendFloat(std::vector<uint8_t>& bytes, float value);
