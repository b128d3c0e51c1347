// Number reading and the "#,##0" grouping.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What NumberFromText read. Defaulted is set whenever Value equals the
// default, also when the text held that very number.
struct TNumberRead {
  std::int64_t Value = 0;
  bool Defaulted = false;
};

// The text up to the first ".", with every "," removed, as a signed 64-bit
// decimal (leading blanks and one sign allowed, nothing after the digits);
// anything else, or a value out of range, gives the default.
TNumberRead NumberFromText(std::string_view text, std::int64_t defaultValue);

// Strict signed decimal into *value; false for empty text, stray characters
// or a value outside [minValue, maxValue]. Leading blanks/tabs allowed.
bool ParseDecimal(std::string_view text, std::int64_t minValue, std::int64_t maxValue, std::int64_t* value);

// Digits grouped in threes with the locale's thousands separator.
std::string FormatGrouped(std::int64_t value);
// Grouped when asked, plain digits otherwise.
std::string FormatCount(std::int64_t value, bool grouped);
