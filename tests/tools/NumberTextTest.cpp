// Numbers as text, held against the C++ library's own std::to_chars and
// std::from_chars (which the browser build lacks for floating point):
// special values, round numbers on either side of the switch between fixed
// and scientific notation, many numbers of every magnitude, as floats and as
// doubles, and texts that are not numbers.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include "NumberText.h"

namespace {
template <typename T>
std::string Library(T value) {
  char text[64];
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

template <typename T>
void ExpectSame(T value) {
  ASSERT_EQ(ShortestNumber(value), Library(value)) << "for " << static_cast<double>(value);
}

// Whether the text reads, and as what, as std::from_chars has it.
template <typename T>
void ExpectReadSame(const std::string& text) {
  T ours = 0, theirs = 0;
  const bool read = ReadNumber(text, ours);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), theirs);
  const bool libraryRead = error == std::errc() && end == text.data() + text.size();
  ASSERT_EQ(read, libraryRead) << "\"" << text << "\"";
  if (read && !std::isnan(theirs)) ASSERT_EQ(ours, theirs) << "\"" << text << "\"";
  if (read) ASSERT_EQ(std::isnan(ours), std::isnan(theirs)) << "\"" << text << "\"";
}
}  // namespace

TEST(ShortestNumber, WritesWhatToCharsWrites) {
  for (double v : {0.0, -0.0, 1.0, -1.0, 0.5, 0.1, 0.2, 0.3, 1.5, 2.0 / 3, 100.0, 1e5, 123456.0, 1234567.0, 1.2e6,
                   1e15, 1e16, 1e21, 1e22, 1e23, 1e-4, 1e-5, 0.00012, 9.5367431640625e-07, 5e-324, 1.7976931348623157e308,
                   std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
    ExpectSame(v);
    ExpectSame(static_cast<float>(v));
  }
  EXPECT_EQ(ShortestNumber(std::nanf("")), "nan");
}

TEST(ShortestNumber, WritesWhatToCharsWritesForNumbersOfEveryMagnitude) {
  std::mt19937_64 random(20261210);
  for (int k = 0; k < 200000; ++k) {
    const uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    float f;
    const uint32_t fbits = static_cast<uint32_t>(bits >> 32);
    std::memcpy(&f, &fbits, sizeof f);
    if (std::isfinite(d)) ExpectSame(d);
    if (std::isfinite(f)) ExpectSame(f);
    // Numbers as a timeline writes them: a few digits, near the switch.
    const double near = std::round(std::ldexp(static_cast<double>(bits % 100000), static_cast<int>(bits % 40) - 20));
    ExpectSame(static_cast<float>(near / 1000));
    ExpectSame(near * 1000);
  }
}

TEST(ReadNumber, ReadsWhatFromCharsReads) {
  for (const char* text : {"0", "-0", "1", "-1", "0.5", ".5", "5.", "1e3", "1E-3", "-2.5e+2", "123456789", "3.4028235e38",
                           "inf", "-inf", "Infinity", "nan", "NaN", "", "-", "+1", " 1", "1 ", "0x10", "1e", "e5",
                           "1.2.3", "--1", "nan(1)", "1e400", "1e-400", "abc", "1,5"}) {
    ExpectReadSame<double>(text);
    ExpectReadSame<float>(text);
  }
  std::mt19937_64 random(42);
  for (int k = 0; k < 20000; ++k) {
    const uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    if (!std::isfinite(d)) continue;
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", static_cast<int>(bits % 18) + 1, d);
    ExpectReadSame<double>(text);
    ExpectReadSame<float>(text);
    ExpectReadSame<double>(Library(d));
  }
}
