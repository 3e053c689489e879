#include "Session.h"

#include <algorithm>

#include "platform/DocumentBackend.h"

namespace {
// A file missing for this many looks in a row has gone, rather than being
// in the middle of someone's atomic save.
constexpr int MissingLooksToTell = 3;
}  // namespace

TEditSession::TEditSession(const std::string& path) : File(path) {}

bool TEditSession::Open(std::string& reason) {
  std::string text;
  if (!File.Read(text, reason)) return false;
  Doc.Load(text);
  Noticed = FileStampOf(File.Path());
  return true;
}

void TEditSession::Restore(const std::string& text, double now) {
  Doc.EditText(text);
  Edited(now);
}

bool TEditSession::Save(std::string& reason) {
  const std::string text = Doc.Text();
  if (!File.Save(text, reason)) return false;
  if (File.SaveUnderWay()) {
    SavingText = text;
    return true;
  }
  Doc.MarkSaved();
  Noticed = FileStampOf(File.Path());
  RecoveryDue.reset();
  return true;
}

bool TEditSession::OpenOffered() const { return CurrentDocumentBackend().PickerOffered(); }
void TEditSession::AskToOpen() { CurrentDocumentBackend().PickToOpen(); }

bool TEditSession::OpenAnother(const std::string& path, std::string& reason) {
  TimelineFile file(path);
  std::string text;
  if (!file.Read(text, reason)) return false;
  // The unsaved text kept for the document left goes with it.
  File.DiscardRecovery();
  File = std::move(file);
  Doc.Load(text);
  Noticed = FileStampOf(path);
  RecoveryDue.reset();
  MissingLooks = 0;
  return true;
}

bool TEditSession::PlayerOffered() const { return CurrentDocumentBackend().PlayerOffered(); }

bool TEditSession::PlayInPlayer(std::string& reason) {
  if (const std::optional<TimelineError>& error = Doc.Error()) {
    reason = std::string("the timeline does not read: ") + error->what();
    return false;
  }
  return CurrentDocumentBackend().PlayTrack(EncodeTrack(Doc.Track(), Doc.Layout().BeatsPerMinute), reason);
}

void TEditSession::Edited(double now) {
  // A quick run of edits is written once, at most RecoveryDelay after the
  // first of them.
  if (!RecoveryDue) RecoveryDue = now + RecoveryDelay;
}

bool TEditSession::Reload(std::string& reason) {
  std::string text;
  if (!File.Read(text, reason)) return false;
  Doc.EditText(text);
  Doc.MarkSaved();
  Noticed = FileStampOf(File.Path());
  File.DiscardRecovery();
  RecoveryDue.reset();
  return true;
}

void TEditSession::KeepEdits() {
  // Reading marks the file's present state as seen; the text read is not
  // taken. A file that cannot be read is looked at again on the next poll.
  std::string ignored, reason;
  if (File.Read(ignored, reason)) Noticed = FileStampOf(File.Path());
}

std::string TEditSession::NotKept(const std::string& reason) const {
  return "Cannot keep the unsaved edits in " + File.RecoveryPath() + ": " + reason;
}

bool TEditSession::KeepUnsaved(std::string& reason) {
  RecoveryDue.reset();
  return !Doc.Modified() || File.WriteRecovery(Doc.Text(), reason);
}

TSessionNews TEditSession::Tick(double now) {
  TSessionNews news;
  DocumentBackend& system = CurrentDocumentBackend();
  while (const std::optional<TDocumentAnswer> answer = system.TakeAnswer()) {
    std::string reason;
    switch (answer->Type) {
      case TDocumentAnswer::Saved:
        File.SaveEnded(answer->Path);
        Noticed = FileStampOf(File.Path());
        // Edits made while it waited stay unsaved.
        if (Doc.Text() == SavingText) {
          Doc.MarkSaved();
          RecoveryDue.reset();
        }
        news.Saved = answer->Note;
        break;
      case TDocumentAnswer::NotSaved:
        File.SaveEnded(std::nullopt);
        news.Error = "Not saved: " + answer->Note;
        break;
      case TDocumentAnswer::Opened:
        if (OpenAnother(answer->Path, reason))
          news.Opened = true;
        else
          news.Error = "Cannot open " + answer->Path + ": " + reason;
        break;
      case TDocumentAnswer::NotKept:
        news.Error = NotKept(answer->Note);
        break;
      case TDocumentAnswer::NotPlayed:
        news.Error = "Cannot play the show: " + answer->Note;
        break;
    }
  }
  if (Doc.Modified() != NotedUnsaved) {
    NotedUnsaved = Doc.Modified();
    system.NoteUnsaved(File.Path(), NotedUnsaved);
  }
  if (RecoveryDue && now >= *RecoveryDue) {
    RecoveryDue.reset();
    std::string reason;
    if (!Doc.Modified())
      File.DiscardRecovery();
    else if (!File.WriteRecovery(Doc.Text(), reason))
      news.Error = NotKept(reason);
  }
  if (now < NextPoll) return news;
  NextPoll = now + DiskPollInterval;
  if (!File.ChangedOnDisk()) {
    MissingLooks = 0;
    return news;
  }
  const TFileStamp stamp = FileStampOf(File.Path());
  if (stamp.Size < 0) {
    if (++MissingLooks == MissingLooksToTell)
      news.Error = "The file " + File.Path() + " has gone from the disk: saving (Ctrl+S) writes it again";
    return news;
  }
  MissingLooks = 0;
  if (stamp == Noticed) return news;
  Noticed = stamp;
  if (Doc.Modified()) {
    news.ChangedUnderEdits = true;
    return news;
  }
  std::string reason;
  if (Reload(reason))
    news.Note = "The file changed on disk and was reloaded";
  else
    news.Error = "The file changed on disk but cannot be read: " + reason;
  return news;
}

double TEditSession::SecondsToNext(double now) const {
  double next = NextPoll;
  if (RecoveryDue) next = std::min(next, *RecoveryDue);
  return std::max(0.0, next - now);
}
