// A timeline's file as the editor keeps it: read; saved only as a text that
// reads, where the system keeps documents for the user (platform/
// DocumentBackend.h: natively atomically, the previous file kept as
// "<file>~"; in a browser through its picker or as a download, which may
// wait on the user); watched for changes made to it by others; and its
// unsaved text kept aside between saves (natively the recovery file beside
// it, ".<name>.recovery"), so that a crash loses nothing, offered back at
// the next start.
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
  // Where the unsaved text is kept: the recovery file's path, or the
  // system's words for its place.
  std::string RecoveryPath() const;

  // The file's text; false with the reason. The file as read is the one
  // ChangedOnDisk compares with.
  bool Read(std::string& text, std::string& reason);
  // Saves the text: refused with the reader's error ("line N: ...") where
  // it does not read; written atomically, keeping the previous file as
  // BackupPath(); the recovery file removed. False with the reason; the
  // old file stays as it was. Where the system asks the user first, true
  // means under way (SaveUnderWay), ended by SaveEnded.
  bool Save(const std::string& text, std::string& reason);
  bool SaveUnderWay() const { return UnderWay; }
  // Where the last save went, or what it asks of the user while under way.
  const std::string& SaveNote() const { return Note; }
  // The save under way has ended: saved as the file at savedPath (another
  // file where the user chose another name, this one from now on), or,
  // given nothing, not saved.
  void SaveEnded(const std::optional<std::string>& savedPath);
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
  bool UnderWay = false;
  std::string Note;
};
