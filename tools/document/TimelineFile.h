// A timeline's file as the editor keeps it: read; saved only as a text that
// reads, atomically, the previous file kept as "<file>~"; watched for
// changes made to it by others; and the recovery file beside it,
// ".<name>.recovery", which holds the unsaved text between saves so that a
// crash loses nothing, offered back at the next start.
#pragma once
#include <optional>
#include <string>

#include "Timeline.h"
#include "platform/Stream.h"

class TimelineFile {
 public:
  explicit TimelineFile(std::string path, TrackLayout layout = SongLayout());

  const std::string& Path() const { return FilePath; }
  std::string BackupPath() const { return FilePath + "~"; }
  std::string RecoveryPath() const;

  // The file's text; false with the reason. The file as read is the one
  // ChangedOnDisk compares with.
  bool Read(std::string& text, std::string& reason);
  // Saves the text: refused with the reader's error ("line N: ...") where
  // it does not read; written atomically, keeping the previous file as
  // BackupPath(); the recovery file removed. False with the reason; the
  // old file stays as it was.
  bool Save(const std::string& text, std::string& reason);
  // Whether the file has been written (or removed) since it was last read
  // or saved here.
  bool ChangedOnDisk() const { return FileStampOf(FilePath) != Seen; }

  // Writes the unsaved text to the recovery file, atomically.
  bool WriteRecovery(const std::string& text, std::string& reason);
  // The recovery file's text, where there is one that differs from the
  // file's text and was written no earlier than the file.
  std::optional<std::string> Recovery() const;
  void DiscardRecovery();

 private:
  std::string FilePath;
  TrackLayout Layout;
  TFileStamp Seen;
};
