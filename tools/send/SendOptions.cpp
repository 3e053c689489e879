#include "SendOptions.h"

#include <cmath>

#include "TrackSource.h"

namespace {
constexpr double MaxRate = 1000;
constexpr int MaxPort = 65535;
}  // namespace

std::string SendUsage() {
  return "usage: vemla-send [--host <name>] [--port <n>] [--from <seconds>] [--rate <packets a second>]\n"
         "                  [--watch] [--once <seconds>] <demo.vrk | timeline>\n";
}

std::string SendHelp() {
  return "Plays a parameter track into a running live preview (vemla -vrt), one packet of\n"
         "all its channels per frame.\n\n" +
         SendUsage() +
         "\n"
         "  <source>           a track file (.vrk) or a timeline, which is compiled here\n"
         "  --host, --port     where the preview listens (127.0.0.1, 1024)\n"
         "  --from <seconds>   where play starts (0)\n"
         "  --rate <n>         packets a second (60)\n"
         "  --watch            compile the timeline again whenever it changes\n"
         "  --once <seconds>   send the one packet for that time and exit\n"
         "\n"
         "Keys in a terminal: space pause and resume, left and right one beat,\n"
         "down and up one bar, q quit. From a pipe it plays to the end.\n";
}

std::optional<TUsageError> ParseSendOptions(int argc, const char* const* argv, TSendOptions& options) {
  bool fromGiven = false, rateGiven = false;
  for (int k = 1; k < argc; ++k) {
    const std::string word = argv[k];
    if (word == "--help" || word == "-h") {
      options.Help = true;
      return std::nullopt;
    }
    if (word == "--watch") {
      options.Watch = true;
      continue;
    }
    const bool takesValue =
        word == "--host" || word == "--port" || word == "--from" || word == "--rate" || word == "--once";
    if (!takesValue) {
      if (word.size() > 1 && word[0] == '-') return TUsageError{"unknown option " + word};
      if (!options.Source.empty()) return TUsageError{"one source only, not both " + options.Source + " and " + word};
      options.Source = word;
      continue;
    }
    if (k + 1 >= argc) return TUsageError{word + (word == "--host" ? " needs a host name" : " needs a number")};
    const std::string value = argv[++k];
    if (word == "--host") {
      if (value.empty()) return TUsageError{"--host needs a host name"};
      options.Host = value;
      continue;
    }
    const std::optional<double> number = ParseNumber(value.c_str());
    if (!number) return TUsageError{word + " takes a number, not \"" + value + "\""};
    if (word == "--port") {
      if (*number < 1 || *number > MaxPort || *number != std::floor(*number))
        return TUsageError{"--port must be a whole number from 1 to " + std::to_string(MaxPort) + ", not " + value};
      options.Port = static_cast<int>(*number);
    } else if (word == "--rate") {
      if (!(*number > 0) || *number > MaxRate)
        return TUsageError{"--rate must be more than 0 and at most 1000 packets a second, not " + value};
      options.Rate = *number;
      rateGiven = true;
    } else {
      if (*number < 0) return TUsageError{word + " must be 0 seconds or more, not " + value};
      (word == "--from" ? options.From : options.Once.emplace()) = *number;
      fromGiven = fromGiven || word == "--from";
    }
  }
  if (options.Source.empty()) return TUsageError{"no source given: a track file (.vrk) or a timeline"};
  if (options.Once && (fromGiven || rateGiven || options.Watch))
    return TUsageError{"--once sends a single packet: it takes no --from, --rate or --watch"};
  if (options.Watch && IsTrackFile(options.Source))
    return TUsageError{"--watch needs a timeline source, not the track file " + options.Source};
  return std::nullopt;
}
