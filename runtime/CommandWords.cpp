#include "runtime/CommandWords.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>

namespace {
// A whole number of at most five digits at word[at], with at moved past it.
std::optional<int> ReadDimension(const std::string& word, size_t& at) {
  const size_t first = at;
  int value = 0;
  while (at < word.size() && std::isdigit(static_cast<unsigned char>(word[at])) && at - first < 5)
    value = value * 10 + (word[at++] - '0');
  if (at == first || (at < word.size() && std::isdigit(static_cast<unsigned char>(word[at])))) return std::nullopt;
  return value;
}
}  // namespace

std::optional<TPixelSize> ParsePixelSize(const std::string& word) {
  size_t at = 0;
  const std::optional<int> width = ReadDimension(word, at);
  if (!width || at >= word.size() || (word[at] != 'x' && word[at] != 'X')) return std::nullopt;
  const std::optional<int> height = ReadDimension(word, ++at);
  if (!height || at != word.size()) return std::nullopt;
  return TPixelSize{*width, *height};
}

std::optional<double> ParseNumber(const char* word) {
  // A plain decimal number, sign and exponent allowed: no spaces, no "+",
  // no hexadecimal, nothing the double cannot hold. (strtod, which takes all
  // of those, rather than std::from_chars, which not every standard library
  // offers for doubles.)
  const char* digits = word[0] == '-' ? word + 1 : word;
  if (!std::isdigit(static_cast<unsigned char>(digits[0])) && digits[0] != '.') return std::nullopt;
  if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) return std::nullopt;
  errno = 0;
  char* stop = nullptr;
  const double value = std::strtod(word, &stop);
  if (errno == ERANGE || *stop != '\0' || stop == word || !std::isfinite(value)) return std::nullopt;
  return value;
}

namespace {
TFrameRate Reduced(int64_t num, int64_t den) {
  const int64_t common = std::gcd(num, den);
  return TFrameRate{num / common, den / common};
}
}  // namespace

std::optional<TFrameRate> ParseFrameRate(const char* word) {
  const std::string text = word;
  const size_t slash = text.find('/');
  auto term = [](const std::string& digits) -> int64_t {
    if (digits.empty() || digits.size() > 7) return 0;
    int64_t value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return 0;
      value = value * 10 + (c - '0');
    }
    return value <= MaxFrameRateTerm ? value : 0;
  };
  if (slash != std::string::npos) {
    const int64_t num = term(text.substr(0, slash)), den = term(text.substr(slash + 1));
    if (num == 0 || den == 0) return std::nullopt;
    return Reduced(num, den);
  }
  // A decimal number: its digits over the power of ten of its decimals.
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string decimals = point == std::string::npos ? "" : text.substr(point + 1);
  if (decimals.size() > 6 || (point != std::string::npos && decimals.empty())) return std::nullopt;
  int64_t den = 1;
  for (size_t k = 0; k < decimals.size(); ++k) den *= 10;
  const int64_t num = term(whole + decimals);
  if (num == 0 || (whole.empty() && decimals.empty())) return std::nullopt;
  return Reduced(num, den);
}

std::string FrameRateText(const TFrameRate& rate) {
  return rate.Den == 1 ? std::to_string(rate.Num) : std::to_string(rate.Num) + "/" + std::to_string(rate.Den);
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
