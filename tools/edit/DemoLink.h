// The demos the editor serves with --sync (GNU Rocket): the document's sync
// server (tools/sync/DocumentSync.h) as the editor drives it. Every change
// of the document goes to every connected demo at once; the cursor's row
// goes as SET_ROW, play and pause as PAUSE, and the request to save the
// tracks as SAVE_TRACKS; a demo that plays reports its rows, which the
// cursor follows. What happens (joins, leaves, drops, tracks asked) comes
// back as lines for the status line. The demos start paused, at the row
// the editor's cursor is on.
#pragma once
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Document.h"
#include "DocumentSync.h"

class TDemoLink {
 public:
  // Listens; raises SyncServerError (with the address and the reason)
  // when it cannot.
  TDemoLink(TimelineDocument& document, const SyncServerOptions& options);

  struct TNews {
    struct TLine {
      std::string Text;
      bool Error = false;
    };
    std::vector<TLine> Lines;  // in order, for the status line
    // The row a demo reported last (it plays, or was moved on its side).
    std::optional<int> Row;
    // The document gained tracks a demo asked for: its layout has changed.
    bool TracksAdded = false;
  };
  // A pass of the server.
  TNews Poll();

  // The document's text has changed (an edit, undo, redo, a reload).
  void Changed() { Sync.Changed(); }
  // The editor's cursor is on the row.
  void CursorAt(int row) { Sync.Server().SetRow(row); }
  // The demos play or pause, and every one joining later does the same.
  void SetPlaying(bool playing);
  bool Playing() const { return Plays; }
  // Asks every connected demo to save its tracks.
  void SaveTracks() { Sync.Server().SaveTracks(); }

  // Demos that have greeted.
  int Demos() const { return Sync.Server().DemoCount(); }
  // "127.0.0.1:1338", for messages.
  std::string Where() const;
  // "2 demos", "no demo", for the status line.
  std::string Summary() const;
  // What a wait sleeps on for the demos: the sockets added, the most
  // milliseconds it may sleep returned.
  int Watch(SocketWatch& watch, int milliseconds) const { return Sync.Server().Watch(watch, milliseconds); }

 private:
  TimelineDocument& Doc;
  DocumentSync Sync;
  bool Plays = false;
  std::set<int> Joined;  // the demos that have joined and not left, as the events tell
};
