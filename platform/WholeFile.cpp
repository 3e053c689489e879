#include "platform/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/Stream.h"

namespace fs = std::filesystem;

namespace {
std::string SystemReason() { return std::strerror(errno); }

// Writes the bytes and flushes them, to the disk where toDisk; false with
// the reason.
bool WriteAll(std::FILE* file, const std::string& bytes, bool toDisk, std::string& reason) {
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
#ifdef _WIN32
  if (written && toDisk) written = _commit(_fileno(file)) == 0;
#else
  if (written && toDisk) written = fsync(fileno(file)) == 0;
#endif
  if (!written) reason = SystemReason();
  if (std::fclose(file) != 0 && written) {
    written = false;
    reason = SystemReason();
  }
  return written;
}

// Writes a file at the path, whatever it is (a device, a pipe, a new file).
bool WriteFile(const fs::path& path, const std::string& bytes, bool toDisk, std::string& reason) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) {
    reason = SystemReason();
    return false;
  }
  return WriteAll(file, bytes, toDisk, reason);
}

// The file as it is stays as backup: a second name for it where the file
// system has them, else a copy; put in place by a rename.
bool KeepPrevious(const fs::path& target, const fs::path& backup, std::string& reason) {
  const fs::path temp = ReplacementPathOf(backup.string());
  std::error_code error;
  fs::remove(temp, error);
  fs::create_hard_link(target, temp, error);
  if (error) {
    error.clear();
    fs::copy_file(target, temp, fs::copy_options::overwrite_existing, error);
  }
  if (!error) fs::rename(temp, backup, error);
  if (!error) return true;
  reason = "cannot keep the previous file as " + backup.string() + ": " + error.message();
  std::error_code ignored;
  fs::remove(temp, ignored);
  return false;
}
}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
  try {
    TFileStream file(path);
    bytes.assign(static_cast<size_t>(file.Size()), '\0');
    file.ReadBuffer(bytes.data(), file.Size());
    return true;
  } catch (const EStreamError& e) {
    reason = e.what();
    return false;
  }
}

std::string ReplacementPathOf(const std::string& path) {
  const fs::path file(PlatformPath(path));
  return (file.parent_path() / ("." + file.filename().string() + ".saving")).string();
}

bool ReplaceFile(const std::string& path, const std::string& bytes, bool keepPrevious, std::string& reason) {
  std::error_code error;
  fs::path target(PlatformPath(path));
  const fs::file_status link = fs::symlink_status(target, error);
  if (link.type() == fs::file_type::not_found) error.clear();
  if (fs::is_symlink(link)) target = fs::weakly_canonical(target, error);
  if (error) {
    reason = error.message();
    return false;
  }
  const fs::file_status status = fs::status(target, error);
  const bool exists = fs::exists(status);
  if (exists && fs::is_directory(status)) {
    reason = std::generic_category().message(EISDIR);
    return false;
  }
  // What is not a file (a device, a pipe) cannot be renamed over: it is
  // written to as it is.
  if (exists && !fs::is_regular_file(status)) return WriteFile(target, bytes, false, reason);

  const fs::path temp = ReplacementPathOf(target.string());
  if (fs::is_directory(temp, error)) {
    reason = std::generic_category().message(EISDIR);
    return false;
  }
  bool done = WriteFile(temp, bytes, true, reason);
  if (done && keepPrevious && exists) done = KeepPrevious(target, target.string() + "~", reason);
  if (done) {
    fs::rename(temp, target, error);
    if (error) {
      reason = error.message();
      done = false;
    }
  }
  if (!done) fs::remove(temp, error);
  return done;
}
