#include "NumberText.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
// The shortest text of the value read back by `read`, for a type whose
// values need at most maxDigits significant digits.
template <typename T>
std::string Shortest(T value, int maxDigits, T (*read)(const char*, char**)) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  const std::string sign = std::signbit(value) ? "-" : "";
  const double magnitude = std::fabs(static_cast<double>(value));
  if (magnitude == 0) return sign + "0";
  // The fewest digits whose correctly rounded value reads back, as d.ddde±x.
  char text[400];  // room for the largest double written out whole
  for (int digits = 1; digits <= maxDigits; ++digits) {
    std::snprintf(text, sizeof text, "%.*e", digits - 1, magnitude);
    if (read(text, nullptr) == static_cast<T>(magnitude)) break;
  }
  std::string mantissa;
  const char* at = text;
  for (; *at != 'e'; ++at)
    if (*at != '.') mantissa += *at;
  const int exponent = std::atoi(at + 1);
  const int count = static_cast<int>(mantissa.size());

  std::string scientific = mantissa.substr(0, 1);
  if (count > 1) scientific += "." + mantissa.substr(1);
  char power[16];
  std::snprintf(power, sizeof power, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  scientific += power;

  // A whole number in fixed notation is written exactly: as short as its
  // shortest digits padded with zeros, or shorter, and closest.
  std::string fixed;
  if (exponent >= count - 1) {
    std::snprintf(text, sizeof text, "%.0f", magnitude);
    fixed = text;
  } else if (exponent < 0) {
    fixed = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + mantissa;
  } else {
    fixed = mantissa.substr(0, static_cast<size_t>(exponent) + 1) + "." + mantissa.substr(static_cast<size_t>(exponent) + 1);
  }
  return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

float ReadFloat(const char* text, char** end) { return std::strtof(text, end); }
double ReadDouble(const char* text, char** end) { return std::strtod(text, end); }

// What the C library reads beyond from_chars (leading space, "+",
// hexadecimal) is refused before it reads; a number too large for the
// type, or too small to be anything but 0, is out of its range, while one
// that comes out subnormal is read.
template <typename T>
bool Read(const std::string& text, T& value, T (*read)(const char*, char**)) {
  const size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
  if (at >= text.size()) return false;
  const unsigned char first = static_cast<unsigned char>(text[at]);
  if (!std::isdigit(first) && first != '.' && std::tolower(first) != 'i' && std::tolower(first) != 'n') return false;
  if (text.find_first_of("xX") != std::string::npos) return false;
  errno = 0;
  char* stop = nullptr;
  const T number = read(text.c_str(), &stop);
  if (stop != text.c_str() + text.size()) return false;
  if (errno == ERANGE && (number == 0 || std::isinf(number))) return false;
  value = number;
  return true;
}
}  // namespace

std::string ShortestNumber(float value) { return Shortest<float>(value, 9, ReadFloat); }
std::string ShortestNumber(double value) { return Shortest<double>(value, 17, ReadDouble); }

bool ReadNumber(const std::string& text, float& value) { return Read<float>(text, value, ReadFloat); }
bool ReadNumber(const std::string& text, double& value) { return Read<double>(text, value, ReadDouble); }
