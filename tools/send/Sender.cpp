#include "Sender.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Playhead.h"
#include "PreviewLink.h"
#include "TrackSource.h"
#include "platform/Console.h"
#include "runtime/Timer.h"

namespace {
// Paused, the same time goes out this often, so that a preview started
// later still gets it.
constexpr double PausedResend = 0.5;
// The status line is redrawn at most this often.
constexpr double StatusInterval = 0.1;
// A timeline is looked at for changes this often.
constexpr double WatchInterval = 0.2;

void Report(const std::string& text) {
  EndProgressLine();
  std::fprintf(stderr, "%s\n", text.c_str());
}

// The preview link of the options, saying on stderr why it fails.
class TSendLink {
 public:
  explicit TSendLink(const TSendOptions& options) : Link(options.Host, options.Port) {}

  bool Connect() {
    std::string reason;
    if (Link.Connect(reason)) return true;
    Report("Cannot connect to " + Link.Where() + ": " + reason);
    return false;
  }

  // Samples the track at the time and sends all its channels.
  bool SendAt(TVRTReader& reader, double time) {
    std::string reason;
    return Link.Send(PacketValuesAt(reader, time), reason) || Lost(reason);
  }

  // Waits up to the time for keys (in a terminal) or for the server to go.
  std::string Wait(double seconds, bool keys) {
    const int ms = static_cast<int>(seconds * 1000);
    if (keys) return WaitForTypedBytes(ms);
    Link.Wait(ms);
    return {};
  }

  bool StillOpen() {
    std::string reason;
    return Link.StillOpen(reason) || Lost(reason);
  }

 private:
  bool Lost(const std::string& reason) {
    Report("Lost the connection to " + Link.Where() + ": " + reason);
    return false;
  }

  TPreviewLink Link;
};

// The terminal's keys, handed back however the run ends.
struct TRawKeysGuard {
  bool On = StartRawKeys();
  ~TRawKeysGuard() {
    EndProgressLine();
    EndRawKeys();
  }
};

int Play(const TSendOptions& options, TVRTReader& reader, TSendLink& link) {
  const double end = reader.EndTime();
  const double frame = 1 / options.Rate;
  TRawKeysGuard keys;
  const bool interactive = keys.On;
  const bool status = interactive && StderrIsTerminal();
  std::optional<TTimelineWatch> watch;
  if (options.Watch) watch.emplace(options.Source);

  TETimer clock;
  TPlayhead head{options.From, false, false};
  double last = clock.GetTime(), nextSend = last, nextStatus = last, nextLook = last + WatchInterval;
  for (;;) {
    const double now = clock.GetTime();
    if (!head.Paused) head.Time += now - last;
    last = now;
    if (watch && now >= nextLook) {
      nextLook = now + WatchInterval;
      std::optional<std::string> error;
      if (watch->Poll(reader, error)) {
        Report(error ? *error + " (still sending the last good version)" : "Compiled " + options.Source);
        nextSend = now;
      }
    }
    if (end >= 0 && head.Time >= end) {
      head.Time = end;
      // From a pipe the run ends with the track's last packet; in a terminal
      // the end holds, paused, for the keys to go back from.
      if (!interactive) return link.SendAt(reader, end) ? 0 : 1;
      head.Paused = true;
    }
    if (now >= nextSend) {
      if (!link.SendAt(reader, head.Time)) return 1;
      // A stalled clock does not make a burst of packets to catch up.
      nextSend = std::max(nextSend + (head.Paused ? PausedResend : frame), now);
    }
    if (status && now >= nextStatus) {
      ShowProgressLine(StatusLine(head));
      nextStatus = now + StatusInterval;
    }
    const std::string typed = link.Wait(std::max(0.0, nextSend - clock.GetTime()), interactive);
    for (TPlayKey key : DecodeKeys(typed)) {
      head = ApplyKey(head, key, end);
      nextSend = nextStatus = clock.GetTime();
    }
    if (head.Quit) return 0;
    if (!link.StillOpen()) return 1;
  }
}
}  // namespace

int RunSend(const TSendOptions& options) {
  TVRTReader reader;
  if (auto error = LoadTrackSource(options.Source, reader)) {
    Report(*error);
    return 1;
  }
  const double end = reader.EndTime();
  const double start = options.Once.value_or(options.From);
  if (end >= 0 && start > end) {
    char text[160];
    std::snprintf(text, sizeof text, "vemla-send: %g s is after the end of the track (%g s)", start, end);
    Report(text);
    return 2;
  }
  TSendLink link(options);
  if (!link.Connect()) return 1;
  if (options.Once) return link.SendAt(reader, *options.Once) ? 0 : 1;
  return Play(options, reader, link);
}

int SendMain(int argc, const char* const* argv) {
  TSendOptions options;
  if (auto error = ParseSendOptions(argc, argv, options)) {
    std::fprintf(stderr, "vemla-send: %s\n%s", error->Text.c_str(), SendUsage().c_str());
    return 2;
  }
  if (options.Help) {
    std::fputs(SendHelp().c_str(), stdout);
    return 0;
  }
  return RunSend(options);
}
