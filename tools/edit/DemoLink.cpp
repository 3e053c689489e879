#include "DemoLink.h"

TDemoLink::TDemoLink(TimelineDocument& document, const SyncServerOptions& options)
    : Doc(document), Sync(document, options) {
  Sync.Server().Pause(true);
  Sync.Server().SetRow(0);
}

void TDemoLink::SetPlaying(bool playing) {
  Plays = playing;
  Sync.Server().Pause(!playing);
}

std::string TDemoLink::Where() const {
  const SyncServer& server = Sync.Server();
  return server.Address() + ":" + std::to_string(server.Port());
}

namespace {
std::string Count(size_t demos) {
  return demos == 0 ? "no demo" : demos == 1 ? "1 demo" : std::to_string(demos) + " demos";
}
}  // namespace

std::string TDemoLink::Summary() const { return Count(static_cast<size_t>(Demos())); }

TDemoLink::TNews TDemoLink::Poll() {
  TNews news;
  const int tracksBefore = Doc.Layout().Channels();
  for (const SyncEvent& e : Sync.Poll()) {
    const std::string demo = "Demo " + std::to_string(e.Demo);
    switch (e.What) {
      // The demos counted as each joins and leaves, in the events' order.
      case SyncEvent::Kind::Joined:
        Joined.insert(e.Demo);
        news.Lines.push_back({e.Message + " (" + Count(Joined.size()) + " connected)"});
        break;
      case SyncEvent::Kind::Left: {
        Joined.erase(e.Demo);
        // A demo that only left is news; one dropped for a fault, an error.
        const bool dropped = e.Message.find(" was dropped: ") != std::string::npos;
        news.Lines.push_back({e.Message + " (" + Count(Joined.size()) + " connected)", dropped});
        break;
      }
      case SyncEvent::Kind::TrackAsked:
        // A project gains the track (a name it cannot have is said in a
        // Message); a channel timeline has its channels only.
        if (e.Known) break;
        if (!Doc.IsProject())
          news.Lines.push_back({demo + " asked for " + e.Track + ", which the timeline has no channel of", true});
        else if (Doc.TrackIndex(e.Track) >= 0)
          news.Lines.push_back({demo + " asked for the new track " + e.Track + ": added, without keys"});
        break;
      case SyncEvent::Kind::Row: news.Row = e.Row; break;
      case SyncEvent::Kind::Message: news.Lines.push_back({e.Message, true}); break;
    }
  }
  news.TracksAdded = Doc.Layout().Channels() != tracksBefore;
  return news;
}
