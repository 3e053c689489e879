#include "runtime/CommandWords.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

std::optional<double> ParseNumber(const char* word) {
  double value = 0;
  const char* end = word + std::strlen(word);
  auto [stop, error] = std::from_chars(word, end, value);
  if (error != std::errc() || stop != end || word == end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

namespace {
bool WordAmongFirstThree(int argc, const char* const* argv, const char* word) {
  for (int k = 0; k < 3 && k < argc; ++k)
    if (argv[k] != nullptr && std::strcmp(argv[k], word) == 0) return true;
  return false;
}
}  // namespace

bool ServerModeRequested(int argc, const char* const* argv) { return WordAmongFirstThree(argc, argv, "-vrt"); }

bool WindowRequested(int argc, const char* const* argv) { return WordAmongFirstThree(argc, argv, "-w"); }
