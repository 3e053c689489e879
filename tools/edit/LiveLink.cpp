#include "LiveLink.h"

#include <algorithm>

namespace {
// Connected previews are looked at this often, to see one go.
constexpr double LookInterval = 1.0;
}  // namespace

void TLiveLinks::Add(const TSendTarget& target) {
  Links.push_back(TLink{std::make_unique<TPreviewLink>(target.Host, target.Port)});
}

void TLiveLinks::Send(const std::vector<float>& values) {
  Last = values;
  for (TLink& link : Links) {
    std::string reason;
    if (link.Link->Connected() && !link.Link->Send(values, reason)) link.NextTry = 0;
  }
}

std::vector<std::string> TLiveLinks::Tick(double now) {
  std::vector<std::string> news;
  const bool look = now >= NextLook;
  if (look) NextLook = now + LookInterval;
  for (TLink& link : Links) {
    std::string reason;
    if (link.Link->Connected()) {
      if (look && !link.Link->StillOpen(reason)) {
        news.push_back("Lost the preview at " + link.Link->Where() + ": " + reason + "; trying again");
        link.NextTry = now + LinkRetryInterval;
      }
      continue;
    }
    ConnectOutcome outcome;
    if (link.Link->Connecting()) {
      outcome = link.Link->FinishConnect(reason);
      if (outcome == ConnectOutcome::Pending && now - link.Began >= LinkConnectPatience) {
        link.Link->Close();
        outcome = ConnectOutcome::Failed;
        reason = "no answer within " + std::to_string(static_cast<int>(LinkConnectPatience)) + " s";
      }
    } else {
      if (now < link.NextTry) continue;
      link.Began = now;
      outcome = link.Link->BeginConnect(reason);
    }
    if (outcome == ConnectOutcome::Pending) continue;
    if (outcome == ConnectOutcome::Failed) {
      link.NextTry = now + LinkRetryInterval;
      if (!link.Told) news.push_back("No preview at " + link.Link->Where() + " yet (" + reason + "): trying again");
      link.Told = true;
      continue;
    }
    link.Told = false;
    news.push_back("Sending to the preview at " + link.Link->Where());
    if (!Last.empty() && !link.Link->Send(Last, reason))
      news.push_back("Lost the preview at " + link.Link->Where() + ": " + reason + "; trying again");
  }
  return news;
}

double TLiveLinks::SecondsToNext(double now) const {
  // Looks at connected previews only where there are some.
  double next = 1e9;
  for (const TLink& link : Links)
    next = std::min(next, link.Link->Connected()    ? NextLook
                          : link.Link->Connecting() ? link.Began + LinkConnectPatience
                                                    : link.NextTry);
  return std::max(0.0, next - now);
}

void TLiveLinks::Watch(SocketWatch& watch) const {
  for (const TLink& link : Links)
    if (link.Link->Connecting()) watch.Writable.push_back(link.Link->ConnectingSocket());
}

std::string TLiveLinks::Summary() const {
  const auto connected = std::count_if(Links.begin(), Links.end(), [](const TLink& l) { return l.Link->Connected(); });
  return std::to_string(connected) + " of " + std::to_string(Links.size()) + " previews";
}
