#include "TimelineFile.h"

#include <filesystem>
#include <system_error>

#include "platform/WholeFile.h"

TimelineFile::TimelineFile(std::string path, TrackLayout layout)
    : FilePath(std::move(path)), Layout(std::move(layout)) {}

std::string TimelineFile::RecoveryPath() const {
  const std::filesystem::path file(PlatformPath(FilePath));
  return (file.parent_path() / ("." + file.filename().string() + ".recovery")).string();
}

bool TimelineFile::Read(std::string& text, std::string& reason) {
  const TFileStamp stamp = FileStampOf(FilePath);
  if (!ReadWholeFile(FilePath, text, reason)) return false;
  Seen = stamp;
  return true;
}

bool TimelineFile::Save(const std::string& text, std::string& reason) {
  try {
    ParseTimeline(text, Layout);
  } catch (const TimelineError& error) {
    reason = error.what();
    return false;
  }
  if (!ReplaceFile(FilePath, text, true, reason)) return false;
  Seen = FileStampOf(FilePath);
  DiscardRecovery();
  return true;
}

bool TimelineFile::WriteRecovery(const std::string& text, std::string& reason) {
  return ReplaceFile(RecoveryPath(), text, false, reason);
}

std::optional<std::string> TimelineFile::Recovery() const {
  const TFileStamp recovery = FileStampOf(RecoveryPath()), file = FileStampOf(FilePath);
  std::string text, saved, reason;
  if (recovery.Size < 0 || !ReadWholeFile(RecoveryPath(), text, reason)) return std::nullopt;
  if (file.Size < 0 || !ReadWholeFile(FilePath, saved, reason)) return text;
  if (text == saved || recovery.ModifiedNs < file.ModifiedNs) return std::nullopt;
  return text;
}

void TimelineFile::DiscardRecovery() {
  std::error_code ignored;
  std::filesystem::remove(PlatformPath(RecoveryPath()), ignored);
}
