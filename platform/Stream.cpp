#include "platform/Stream.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <system_error>

std::string PlatformPath(const std::string& name) {
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

bool FileExists(const std::string& name) {
  struct stat info {};
  return stat(PlatformPath(name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TFileStamp FileStampOf(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path path(PlatformPath(name));
  std::error_code error;
  const fs::file_time_type modified = fs::last_write_time(path, error);
  if (error) return {};
  const uintmax_t size = fs::file_size(path, error);
  if (error) return {};
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch());
  return TFileStamp{static_cast<int64_t>(ns.count()), static_cast<int64_t>(size)};
}

TFileStream::TFileStream(const std::string& fileName) : Name(fileName) {
  File = std::fopen(PlatformPath(fileName).c_str(), "rb");
  if (File == nullptr) throw EFOpenError("Cannot open file " + fileName);
  // A directory opens on this platform but cannot be read: treat it as unopenable.
  struct stat info {};
  if (fstat(fileno(File), &info) != 0 || !S_ISREG(info.st_mode)) {
    std::fclose(File);
    File = nullptr;
    throw EFOpenError("Cannot open file " + fileName);
  }
  FileSize = static_cast<int64_t>(info.st_size);
}

TFileStream::~TFileStream() {
  if (File != nullptr) std::fclose(File);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  size_t got = std::fread(buffer, 1, static_cast<size_t>(count), File);
  Pos += static_cast<int64_t>(got);
  return static_cast<int64_t>(got);
}

void TFileStream::ReadBuffer(void* buffer, int64_t count) {
  if (Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TFileStream::Seek(int64_t position) {
  if (position < 0) position = 0;
  std::fseek(File, static_cast<long>(position), SEEK_SET);
  Pos = position;
}
