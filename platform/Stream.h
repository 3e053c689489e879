// Read-only file streams with the errors every reader of the program shares:
// "Cannot open file %s" when a file cannot be opened and "Stream read error"
// when a read that must be complete comes up short.
#pragma once
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// The program writes file names with backslashes; on this platform they
// become slashes where the file is opened.
std::string PlatformPath(const std::string& name);
// Whether a regular file of that name can be read.
bool FileExists(const std::string& name);

// What changes whenever a file is written: its modification time and size.
// Both are -1 for a file that is not there.
struct TFileStamp {
  int64_t ModifiedNs = -1;
  int64_t Size = -1;
  bool operator==(const TFileStamp&) const = default;
};
TFileStamp FileStampOf(const std::string& name);

class TFileStream {
 public:
  // Opens the file read-only; raises EFOpenError("Cannot open file <name>").
  explicit TFileStream(const std::string& fileName);
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  // Reads up to count bytes and returns how many arrived.
  int64_t Read(void* buffer, int64_t count);
  // Reads exactly count bytes or raises EReadError("Stream read error").
  void ReadBuffer(void* buffer, int64_t count);
  void Seek(int64_t position);
  int64_t Position() const { return Pos; }
  int64_t Size() const { return FileSize; }
  const std::string& FileName() const { return Name; }

 private:
  std::FILE* File = nullptr;
  std::string Name;
  int64_t Pos = 0;
  int64_t FileSize = 0;
};
