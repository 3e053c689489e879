// A document on a desktop system is its file: saved atomically with the
// version before it kept beside it, the unsaved text in a recovery file
// beside it, and nothing that waits on the user (a document is named on
// the command line, and the editor's own preview plays the track).
#include <filesystem>
#include <system_error>

#include "platform/DocumentBackend.h"
#include "platform/Stream.h"
#include "platform/WholeFile.h"

namespace {
namespace fs = std::filesystem;

// ".<name>.recovery" in the file's folder.
std::string RecoveryPathOf(const std::string& path) {
  const fs::path file(PlatformPath(path));
  return (file.parent_path() / ("." + file.filename().string() + ".recovery")).string();
}

class TFileDocuments final : public DocumentBackend {
 public:
  TSaveStart Save(const std::string& path, const std::string& text, std::string& note) override {
    if (!ReplaceFile(path, text, true, note)) return TSaveStart::Failed;
    note = path + " (the version before it is kept as " + fs::path(PlatformPath(path)).filename().string() + "~)";
    return TSaveStart::Saved;
  }
  std::optional<TDocumentAnswer> TakeAnswer() override { return std::nullopt; }

  bool PickerOffered() override { return false; }
  void PickToOpen() override {}

  std::string UnsavedPlace(const std::string& path) override { return RecoveryPathOf(path); }
  bool KeepUnsaved(const std::string& path, const std::string& text, std::string& reason) override {
    return ReplaceFile(RecoveryPathOf(path), text, false, reason);
  }
  // A recovery file older than the file was overtaken by a save since.
  std::optional<std::string> Unsaved(const std::string& path) override {
    const std::string recovery = RecoveryPathOf(path);
    const TFileStamp kept = FileStampOf(recovery), file = FileStampOf(path);
    std::string text, reason;
    if (kept.Size < 0 || !ReadWholeFile(recovery, text, reason)) return std::nullopt;
    if (file.Size >= 0 && kept.ModifiedNs < file.ModifiedNs) return std::nullopt;
    return text;
  }
  void DiscardUnsaved(const std::string& path) override {
    std::error_code ignored;
    fs::remove(PlatformPath(RecoveryPathOf(path)), ignored);
  }
  // The program's own window asks about unsaved edits when it is closed.
  void NoteUnsaved(const std::string&, bool) override {}

  bool PlayerOffered() override { return false; }
  bool PlayTrack(const std::vector<uint8_t>&, std::string& reason) override {
    reason = "the editor's preview plays the track here";
    return false;
  }
};

TFileDocuments Files;
DocumentBackend* Current = &Files;
}  // namespace

DocumentBackend& CurrentDocumentBackend() { return *Current; }
void SetDocumentBackend(DocumentBackend* backend) { Current = backend != nullptr ? backend : &Files; }
