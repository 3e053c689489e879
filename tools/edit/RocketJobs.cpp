#include "RocketJobs.h"

#include "TimelineFile.h"
#include "platform/Message.h"
#include "platform/Stream.h"
#include "platform/WholeFile.h"

namespace {
constexpr const char* Caption = "vemla-edit";

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "3 tracks, 12 keys" (channels for a channel timeline).
std::string Contents(const Timeline& timeline) {
  size_t keys = 0;
  for (const std::vector<Key>& channel : timeline.Channels) keys += channel.size();
  const bool project = timeline.IsProject();
  return Count(timeline.Channels.size(), project ? "track" : "channel", project ? "tracks" : "channels") + ", " +
         Count(keys, "key", "keys");
}

// The timeline's file read; false with the reason, the line at fault with it.
bool ReadTimelineFile(const std::string& path, Timeline& timeline, std::string& reason) {
  std::string text;
  if (!ReadWholeFile(path, text, reason)) {
    reason = path + ": " + reason;
    return false;
  }
  try {
    timeline = ParseTimeline(text);
  } catch (const TimelineError& error) {
    reason = path + ": " + error.what();
    return false;
  }
  return true;
}
}  // namespace

std::string DialectName(RocketDialect dialect) {
  return dialect == RocketDialect::Sync ? "the original editor's <sync> XML" : "the <tracks> XML";
}

TFileJob ImportRocketText(const std::string& rocket, const TrackLayout* channels, std::string& text) {
  TFileJob job;
  RocketImport imported;
  std::string reason;
  if (!ImportRocketFile(rocket, imported, reason, channels)) {
    // A file that does not read says its name and line itself.
    job.Said = "Cannot import " + (reason.starts_with(rocket + ": ") ? reason : rocket + ": " + reason);
    return job;
  }
  text = imported.Text;
  job.Done = true;
  job.Notes = imported.Notes;
  job.Said = "Imported " + rocket + " (" + DialectName(imported.Dialect) + ": " +
             Contents(ParseTimeline(text, channels != nullptr ? *channels : SongLayout())) + ")";
  return job;
}

TFileJob ExportRocketTimeline(const Timeline& timeline, const std::string& rocket, RocketDialect dialect) {
  TFileJob job;
  std::string reason;
  if (!ExportRocketFile(rocket, timeline, dialect, reason, &job.Notes)) {
    job.Said = "Cannot export to " + rocket + ": " + reason;
    return job;
  }
  job.Done = true;
  job.Said = "Exported " + Contents(timeline) + " to " + rocket + " as " + DialectName(dialect);
  return job;
}

TFileJob ExportTrackTimeline(const Timeline& timeline, const std::string& base) {
  TFileJob job;
  std::string reason;
  if (!ExportTrackFiles(timeline, base, reason)) {
    job.Said = "Cannot write the track files " + base + "_<track>.track: " + reason;
    return job;
  }
  job.Done = true;
  job.Said = "Wrote " + Count(timeline.Channels.size(), "track file", "track files") + " " + base + "_<track>.track (" +
             Contents(timeline) + ")";
  return job;
}

int RunEditJob(const TEditOptions& options) {
  TFileJob job;
  if (options.Job == TEditJob::Import) {
    // The timeline replaced keeps its kind: a channel timeline takes the
    // tracks as the demo's channels.
    Timeline old;
    std::string reason, text;
    const bool channels = FileExists(options.To) && ReadTimelineFile(options.To, old, reason) && !old.IsProject() &&
                          !old.Sections.empty();
    job = ImportRocketText(options.From, channels ? &SongLayout() : nullptr, text);
    if (job.Done) {
      TimelineFile file(options.To);
      if (file.Save(text, reason))
        job.Said += " into " + options.To;
      else
        job = TFileJob{false, "Cannot write " + options.To + ": " + reason, job.Notes};
    }
  } else {
    Timeline timeline;
    std::string reason;
    if (!ReadTimelineFile(options.From, timeline, reason))
      job.Said = "Cannot read the timeline " + reason;
    else if (options.Job == TEditJob::Export)
      job = ExportRocketTimeline(timeline, options.To, options.Dialect);
    else
      job = ExportTrackTimeline(timeline, options.To);
  }
  if (!job.Done) {
    ReportMessage(Caption, job.Said);
    return 1;
  }
  ShowNotice(job.Said);
  for (const std::string& note : job.Notes) ShowNotice("Note: " + note);
  return 0;
}
