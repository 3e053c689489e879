// Numbers as text, written and read exactly as std::to_chars and
// std::from_chars write and read them, which the browser build's C++
// library offers for whole numbers only: the timeline's values, the
// editor's times and GNU Rocket's files' numbers go through these.
#pragma once
#include <string>

// The shortest decimal text that reads back as the same value: the fewest
// significant digits that read back, closest to the value, in fixed
// notation or printf's scientific one ("1e+22"), whichever is shorter
// (fixed on a tie).
std::string ShortestNumber(float value);
std::string ShortestNumber(double value);

// The value of the whole text: a decimal number with an optional "-",
// fraction and exponent, or "inf", "infinity" or "nan" in any case. No
// space, "+" or hexadecimal; false for anything else, and for a number
// the type cannot hold.
bool ReadNumber(const std::string& text, float& value);
bool ReadNumber(const std::string& text, double& value);
