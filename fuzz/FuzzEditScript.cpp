// libFuzzer target for what the sync editor reads from outside besides its
// timeline: its script language and its command line. The input up to its
// first NUL byte is a script: it either reads, every step with a line
// inside the text, or is refused with a message that starts with the
// number of a line of the text. The bytes after it are command-line words
// separated by NUL bytes: they either read or give a usage error.
#include <cstring>
#include <string>
#include <vector>

#include "EditOptions.h"
#include "MessageLine.h"
#include "Script.h"

namespace {
void Require(bool condition) {
  if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  const char* nul = static_cast<const char*>(std::memchr(bytes, 0, size));
  const std::string script(bytes, nul != nullptr ? size_t(nul - bytes) : size);
  long lines = 1;
  for (char c : script) lines += c == '\n';
  try {
    for (const TScriptStep& step : ParseScript(script)) {
      Require(step.Line >= 1 && step.Line <= lines);
      Require(step.Type != TScriptStep::Key || step.Pressed != TKey::None);
    }
  } catch (const EScriptError& error) {
    Require(error.Line >= 1 && error.Line <= lines && LineOfMessage(error.what()) == error.Line);
  }
  if (nul == nullptr) return 0;
  std::vector<std::string> words = {"vemla-edit"};
  for (const char* at = nul + 1; at <= bytes + size; ++at) {
    const char* end = static_cast<const char*>(std::memchr(at, 0, size_t(bytes + size - at)));
    if (end == nullptr) end = bytes + size;
    words.emplace_back(at, end);
    at = end;
  }
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  TEditOptions options;
  if (const auto error = ParseEditOptions(static_cast<int>(argv.size()), argv.data(), options)) {
    Require(!error->Text.empty());
  } else {
    Require(options.Width >= 640 && options.Height >= 480);
    for (const TSendTarget& target : options.Sends)
      Require(!target.Host.empty() && target.Port >= 1 && target.Port <= 65535);
    Require(!options.Listen.Host.empty() && options.Listen.Port >= 1 && options.Listen.Port <= 65535);
    // A job has its two files and nothing of the editor's window (unless
    // --help cut the reading short).
    if (options.Job != TEditJob::Edit && !options.Help)
      Require(!options.From.empty() && !options.To.empty() && !options.Sync && options.Sends.empty() &&
              options.Script.empty() && options.Timeline.empty());
  }
  return 0;
}
