// libFuzzer target for the sync editor's document. The input up to its
// first NUL byte is loaded as a timeline and must come back byte for byte;
// the bytes after it (the whole input where there is none) choose edits,
// each checked as it is made (tests/tools/DocumentScript.h). Then a text that
// reads is saved to a file and read back into a document that must read the
// same, and undoing every edit must give the input's text again.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Document.h"
#include "DocumentScript.h"
#include "TimelineFile.h"

namespace {
void Require(bool condition, const std::string& what = "") {
  if (condition) return;
  std::fprintf(stderr, "%s\n", what.c_str());
  __builtin_trap();
}

TimelineFile& SavedFile() {
  static TimelineFile file = [] {
    const char* dir = std::getenv("FUZZ_TMPDIR");
    return TimelineFile(std::string(dir != nullptr ? dir : "/tmp") + "/vemla_fuzz_" + std::to_string(getpid()) +
                        ".timeline");
  }();
  static const bool removedAtExit = std::atexit([] {
    unlink(SavedFile().Path().c_str());
    unlink(SavedFile().BackupPath().c_str());
  }) == 0;
  (void)removedAtExit;
  return file;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const std::string text(reinterpret_cast<const char*>(data), nul != nullptr ? size_t(nul - data) : size);
  ByteSource bytes = nul != nullptr ? ByteSource(nul + 1, size - size_t(nul - data) - 1) : ByteSource(data, size);
  TimelineDocument doc(text);
  Require(doc.Text() == text, "the loaded text differs");
  Clip clip;
  for (int step = 0; step < 48 && !bytes.Empty(); ++step) {
    const std::string fault = ScriptedEdit(doc, bytes, clip);
    Require(fault.empty(), fault);
  }
  if (doc.Reads()) {
    std::string reason, saved;
    Require(SavedFile().Save(doc.Text(), reason), "save: " + reason);
    Require(SavedFile().Read(saved, reason), "read: " + reason);
    Require(SameReading(TimelineDocument(saved), doc), "the saved text reads otherwise");
  }
  while (doc.CanUndo()) doc.Undo();
  Require(doc.Text() == text, "undoing every edit did not give the input back");
  return 0;
}
