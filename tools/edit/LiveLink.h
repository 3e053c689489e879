// The live previews ("vemla -vrt", --send) the editor keeps up to date: the
// channels at the cursor go to each one connected, and one that is not
// there yet, or has gone, is tried again every little while, quietly, and
// brought up to date as soon as it answers. Connecting never holds the
// editor up: a connection is begun, and looked at on later ticks (the
// editor's wait wakes when it is made) until it is made, fails, or has
// gone unanswered for LinkConnectPatience.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "EditOptions.h"
#include "PreviewLink.h"

// A preview that is not connected is tried this often.
constexpr double LinkRetryInterval = 2.0;
// A connection under way this long without an answer (a host that drops
// what is sent to it) is given up, and tried again after the interval.
constexpr double LinkConnectPatience = 3.0;

class TLiveLinks {
 public:
  void Add(const TSendTarget& target);
  bool Empty() const { return Links.empty(); }
  // The values go to every connected preview, and are kept for one that
  // connects later.
  void Send(const std::vector<float>& values);
  // Tries the previews whose time to try has come, and sees whether the
  // connected ones are still there; what changed comes back, for the
  // status line.
  std::vector<std::string> Tick(double now);
  double SecondsToNext(double now) const;
  // The connections under way, to be waited on for writing: the editor
  // wakes when one is made or fails.
  void Watch(SocketWatch& watch) const;
  // "2 of 3 previews connected".
  std::string Summary() const;

 private:
  struct TLink {
    std::unique_ptr<TPreviewLink> Link;
    double NextTry = 0;
    double Began = 0;   // when the connection under way was begun
    bool Told = false;  // that it is not there yet
  };
  std::vector<TLink> Links;
  std::vector<float> Last;
  double NextLook = 0;
};
