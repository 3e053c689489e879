// The timeline's file behind the editor, which stays the source: opened
// into the document, saved atomically (never a text that does not read),
// the unsaved text kept in the recovery file a moment after each edit, a
// recovery file newer than the file offered back at the start, and the
// file watched for changes made by others. Where the system keeps its
// user's documents otherwise (platform/DocumentBackend.h, a browser's), a
// save may wait on the user, another timeline may be picked to open, and
// the compiled track handed to the player. Times are seconds on any clock
// that only goes forward.
#pragma once
#include <optional>
#include <string>

#include "Document.h"
#include "TimelineFile.h"

// Unsaved edits reach the recovery file this long after the edit at most.
constexpr double RecoveryDelay = 1.0;
// The file's stamp is looked at this often.
constexpr double DiskPollInterval = 1.0;

// What a look at the time brought, for the status line or a question.
struct TSessionNews {
  std::string Error;               // a recovery file that could not be written, a file gone, a save that failed
  std::string Note;                // the file reloaded after a change on disk
  bool ChangedUnderEdits = false;  // the file changed on disk while there are unsaved edits: ask
  std::string Saved;               // a save that waited on the user is done: where it went
  bool Opened = false;             // another timeline was picked and is now the document
};

class TEditSession {
 public:
  explicit TEditSession(const std::string& path);

  TimelineDocument& Document() { return Doc; }
  const TimelineDocument& Document() const { return Doc; }
  const std::string& Path() const { return File.Path(); }
  std::string RecoveryPath() const { return File.RecoveryPath(); }

  // Reads the file into the document; false with the reason. A text that
  // does not read is opened all the same (Document().Error() says why).
  bool Open(std::string& reason);
  // The recovery file's text, where one newer than the file differs from it.
  std::optional<std::string> Recovery() const { return File.Recovery(); }
  // Takes the recovered text as an edit of the text (undoable), unsaved.
  void Restore(const std::string& text, double now);
  void DiscardRecovery() { File.DiscardRecovery(); }

  // Saves the document's text; false with the reason (for a text that does
  // not read, the reader's error with its line), the file and the edits
  // then as they were. True where it is saved, or under way where the
  // system asks the user first (Saving; Tick brings its end).
  bool Save(std::string& reason);
  bool Saving() const { return File.SaveUnderWay(); }
  // Where the last save went, or what it asks of the user while under way.
  const std::string& SaveNote() const { return File.SaveNote(); }

  // Whether the user can pick another timeline to open; if so, asks (Tick
  // brings it as the document, its undo history begun again).
  bool OpenOffered() const;
  void AskToOpen();
  // Takes the timeline at path as the document, the file from now on;
  // false with the reason, everything then as it was.
  bool OpenAnother(const std::string& path, std::string& reason);

  // Whether the player can be handed a track; if so, hands it the
  // document's track, compiled, to play as the show; false with the reason.
  bool PlayerOffered() const;
  bool PlayInPlayer(std::string& reason);
  // The document's text has changed (an edit, an undo) at that time.
  void Edited(double now);
  // Takes the file's text from the disk as an edit of the text (the edits
  // made so far can still be undone), saved; false with the reason.
  bool Reload(std::string& reason);
  // The file's change on disk is seen and left: the edits stay, unsaved.
  void KeepEdits();

  // Writes the recovery file now where there are unsaved edits (a signal
  // ends the program); false with the reason.
  bool KeepUnsaved(std::string& reason);
  // What to say when the unsaved edits cannot be kept, for the reason.
  std::string NotKept(const std::string& reason) const;

  // Does what is due by now: the answers the system has brought taken,
  // the recovery file written (or removed once nothing is unsaved), the
  // file's stamp looked at.
  TSessionNews Tick(double now);
  // Seconds from now until the next thing Tick does.
  double SecondsToNext(double now) const;

 private:
  TimelineFile File;
  TimelineDocument Doc;
  std::optional<double> RecoveryDue;
  double NextPoll = 0;
  // The file's stamp as last read, saved or looked at, and how many looks
  // in a row have found it missing.
  TFileStamp Noticed;
  int MissingLooks = 0;
  // The text of the save under way, and whether the system was last told
  // that there are unsaved edits.
  std::string SavingText;
  bool NotedUnsaved = false;
};
