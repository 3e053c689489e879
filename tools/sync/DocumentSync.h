// The sync server tied to an editor's document: demos are answered from the
// document's tracks (a project's by name, or a demo's own channels by
// their names), a track a demo asks for that a project lacks is added to
// it (TimelineDocument::AddTrack: known at once, written with its first
// key), and after every change of the document each demo is brought to
// it, only the differences being sent.
//
//   DocumentSync sync(doc);                  // listens on 127.0.0.1:1338
//   each frame:   for (const SyncEvent& e : sync.Poll()) show(e);
//   after an edit, undo, redo or reload:     sync.Changed();
//   on a cursor move:                        sync.Server().SetRow(row);
//   when idle:                               sync.Server().Wait(ms);
#pragma once
#include <vector>

#include "Document.h"
#include "SyncServer.h"

class DocumentSync {
 public:
  // Raises SyncServerError when the server cannot listen.
  explicit DocumentSync(TimelineDocument& document, SyncServerOptions options = {});

  SyncServer& Server() { return Sync; }
  const SyncServer& Server() const { return Sync; }
  // A pass of the server. A track a project lacks is added when a demo asks
  // for it; one that cannot be (its name cannot be written) is said in a
  // Message event after the TrackAsked one.
  std::vector<SyncEvent> Poll();
  // The document has changed: every track a demo asked for is brought to
  // the document's keys (none, where the document no longer has it).
  void Changed();

 private:
  // The document's channel or track of that name; -1 for none.
  int Find(const std::string& name) const;

  TimelineDocument& Doc;
  SyncServer Sync;
};
