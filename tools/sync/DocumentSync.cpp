#include "DocumentSync.h"

#include <set>

DocumentSync::DocumentSync(TimelineDocument& document, SyncServerOptions options)
    : Doc(document), Sync(std::move(options)) {
  Sync.KeysOf = [this](const std::string& name, std::vector<Key>& keys) {
    const int found = Find(name);
    if (found < 0) return false;
    keys = Doc.Keys(found);
    return true;
  };
}

int DocumentSync::Find(const std::string& name) const {
  return Doc.IsProject() ? Doc.TrackIndex(name) : TrackNumber(name, Doc.Layout());
}

std::vector<SyncEvent> DocumentSync::Poll() {
  std::vector<SyncEvent> events = Sync.Poll();
  for (size_t k = 0; k < events.size(); ++k) {
    const SyncEvent& e = events[k];
    if (e.What != SyncEvent::Kind::TrackAsked || e.Known || !Doc.IsProject()) continue;
    std::string reason;
    if (Doc.AddTrack(e.Track, &reason) < 0)
      events.insert(events.begin() + std::ptrdiff_t(++k),
                    SyncEvent{SyncEvent::Kind::Message, e.Demo, e.Track, false, 0,
                              "Demo " + std::to_string(e.Demo) + " asked for a track the timeline cannot have: " + reason});
  }
  return events;
}

void DocumentSync::Changed() {
  std::set<std::string> asked;
  for (const SyncServer::DemoState& demo : Sync.Demos()) asked.insert(demo.Tracks.begin(), demo.Tracks.end());
  for (const std::string& name : asked) {
    const int found = Find(name);
    Sync.SetTrack(name, found >= 0 ? Doc.Keys(found) : std::vector<Key>{});
  }
}
