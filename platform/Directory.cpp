#include "platform/Directory.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/Stream.h"

bool ChangeDirectory(const std::string& path) { return chdir(PlatformPath(path).c_str()) == 0; }

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
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  return true;
}
