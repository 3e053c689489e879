#include "platform/Directory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/Stream.h"

bool ChangeDirectory(const std::string& path) {
  std::error_code error;
  std::filesystem::current_path(PlatformPath(path), error);
  return !error;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(PlatformPath(path), error);
  return error ? path : absolute.lexically_normal().string();
}

bool PrepareOutputFolder(const std::string& path, std::string& reason) {
  namespace fs = std::filesystem;
  const fs::path folder(PlatformPath(path));
  std::error_code error;
  if (fs::exists(folder, error)) {
    if (!fs::is_directory(folder, error)) {
      reason = "it is not a folder";
      return false;
    }
  } else if (!fs::create_directories(folder, error) && error) {
    reason = error.message();
    return false;
  }
  // Writing is tried rather than judged from the folder's permissions, which
  // say too little on some systems (and nothing for an administrator).
  const fs::path probe = folder / ".vemla-write-check";
  std::FILE* file = std::fopen(probe.string().c_str(), "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  std::fclose(file);
  fs::remove(probe, error);
  return true;
}

std::string ScratchFilePath(const std::string& stem) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) folder = ".";
  std::random_device random;
  const uint64_t tag = (static_cast<uint64_t>(random()) << 32) ^ random();
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(tag));
  return (folder / (stem + "-" + hex)).string();
}
