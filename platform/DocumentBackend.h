// Where a tool's document lives for its user (the editor's timeline): saved
// where the user keeps it, its unsaved text kept aside between saves so that
// a crash or a closed page loses nothing, another document picked to open,
// and a compiled track handed to the player.
//
// The program itself reads documents by path; this backend holds what the
// system does beyond that. Natively (platform/native/) documents are files:
// a save replaces the file atomically, keeping the version before it as
// "<file>~"; the unsaved text goes to ".<name>.recovery" beside it; there is
// no picker (a document is named on the command line) and no player to hand
// a track to (the editor's preview and live previews are there instead).
// In a browser (platform/web/) they are the page's: a save goes through the
// browser's file-saving picker or as a download, the unsaved text into the
// browser's storage, a picked file into the program's own folders.
//
// What waits on the user (a picker) answers later: a save or an open is
// started, and its end is taken with TakeAnswer. Tests may put a fake in
// the backend's place.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TSaveStart {
  Saved,    // done: the note says where it went
  Waiting,  // under way, waiting on the user: the note says what is asked
  Failed,   // not saved: the note says why
};

// The end of something that waited on the user, or news of the storage.
struct TDocumentAnswer {
  enum Kind : uint8_t {
    Saved,     // the save under way is done: Path holds the text as saved (a new path where the user chose another name)
    NotSaved,  // the save under way ended without saving (Note: why, "cancelled" for a closed picker)
    Opened,    // a document was picked: Path holds its text
    NotKept,   // the unsaved text could not be kept (Note: why)
    NotPlayed, // the track could not be handed to the player (Note: why)
  };
  Kind Type = NotSaved;
  std::string Path;
  std::string Note;  // Saved: where it went, for the user; otherwise why
};

class DocumentBackend {
 public:
  virtual ~DocumentBackend() = default;

  // Saves text as the document at path. A document that lives in the
  // program's own folders (a browser's) is written there too once saved.
  virtual TSaveStart Save(const std::string& path, const std::string& text, std::string& note) = 0;
  // The next answer that has come, oldest first.
  virtual std::optional<TDocumentAnswer> TakeAnswer() = 0;

  // Whether the user can be asked for a document to open; if so, asks
  // (the answer comes as Opened, or never when the user turns it down).
  virtual bool PickerOffered() = 0;
  virtual void PickToOpen() = 0;

  // Where the document's unsaved text is kept, for messages: the recovery
  // file's path, or "this browser's storage".
  virtual std::string UnsavedPlace(const std::string& path) = 0;
  // Keeps the text as the document's unsaved text; false with the reason.
  virtual bool KeepUnsaved(const std::string& path, const std::string& text, std::string& reason) = 0;
  // The document's unsaved text, where it was kept since the document was
  // last written (natively: a recovery file no older than the file).
  virtual std::optional<std::string> Unsaved(const std::string& path) = 0;
  virtual void DiscardUnsaved(const std::string& path) = 0;
  // Whether the document now has unsaved edits, for a host that can be left
  // without the program having a say (a browser's tab, which then asks).
  virtual void NoteUnsaved(const std::string& path, bool unsaved) = 0;

  // Whether a track can be handed to the player; if so, hands it (a track
  // file's bytes) to the player, which plays it as the show; false with
  // the reason.
  virtual bool PlayerOffered() = 0;
  virtual bool PlayTrack(const std::vector<uint8_t>& track, std::string& reason) = 0;
};

DocumentBackend& CurrentDocumentBackend();
// nullptr restores the system's backend.
void SetDocumentBackend(DocumentBackend* backend);
