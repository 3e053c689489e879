#include "TimelineFile.h"

#include "platform/DocumentBackend.h"
#include "platform/WholeFile.h"

TimelineFile::TimelineFile(std::string path, TrackLayout layout)
    : FilePath(std::move(path)), Layout(std::move(layout)) {}

std::string TimelineFile::RecoveryPath() const { return CurrentDocumentBackend().UnsavedPlace(FilePath); }

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
  if (UnderWay) {
    reason = "the save before it is still under way: " + Note;
    return false;
  }
  switch (CurrentDocumentBackend().Save(FilePath, text, Note)) {
    case TSaveStart::Failed: reason = Note; return false;
    case TSaveStart::Waiting: UnderWay = true; return true;
    case TSaveStart::Saved: break;
  }
  UnderWay = true;
  SaveEnded(FilePath);
  return true;
}

void TimelineFile::SaveEnded(const std::optional<std::string>& savedPath) {
  if (!UnderWay) return;
  UnderWay = false;
  if (!savedPath) return;
  // The unsaved text kept for the file it was is gone with the save.
  DiscardRecovery();
  FilePath = *savedPath;
  Seen = FileStampOf(FilePath);
}

bool TimelineFile::WriteRecovery(const std::string& text, std::string& reason) {
  return CurrentDocumentBackend().KeepUnsaved(FilePath, text, reason);
}

std::optional<std::string> TimelineFile::Recovery() const {
  const std::optional<std::string> text = CurrentDocumentBackend().Unsaved(FilePath);
  std::string saved, reason;
  if (!text) return std::nullopt;
  if (!ReadWholeFile(FilePath, saved, reason)) return text;
  if (*text == saved) return std::nullopt;
  return text;
}

void TimelineFile::DiscardRecovery() { CurrentDocumentBackend().DiscardUnsaved(FilePath); }
