#include "TrackSource.h"

#include "Timeline.h"

namespace {
std::string ReadText(const std::string& name) {
  TFileStream file(name);
  std::string text(static_cast<size_t>(file.Size()), '\0');
  file.ReadBuffer(text.data(), file.Size());
  return text;
}
}  // namespace

bool IsTrackFile(const std::string& name) { return name.size() >= 4 && name.compare(name.size() - 4, 4, ".vrk") == 0; }

std::optional<std::string> CompileTimelineInto(const std::string& text, const std::string& name, TVRTReader& reader) {
  try {
    reader.LoadChannels(CompileSongTrack(text), Tempo, name);
  } catch (const TimelineError& e) {
    return name + ": " + e.what();
  } catch (const ETrackError& e) {
    return e.what();
  }
  return std::nullopt;
}

std::optional<std::string> LoadTrackSource(const std::string& name, TVRTReader& reader) {
  try {
    if (IsTrackFile(name)) {
      reader.LoadFromFile(name);
      return std::nullopt;
    }
    return CompileTimelineInto(ReadText(name), name, reader);
  } catch (const EFOpenError& e) {
    return e.what();
  } catch (const EStreamError& e) {
    return name + ": " + e.what();
  } catch (const ETrackError& e) {
    return e.what();
  }
}

TTimelineWatch::TTimelineWatch(std::string fileName) : FileName(std::move(fileName)), Seen(FileStampOf(FileName)) {}

bool TTimelineWatch::Poll(TVRTReader& reader, std::optional<std::string>& error) {
  const TFileStamp now = FileStampOf(FileName);
  if (now == Seen || now.Size < 0) return false;
  Seen = now;
  error = LoadTrackSource(FileName, reader);
  return true;
}
