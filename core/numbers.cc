#include "numbers.h"

#include <algorithm>
#include <limits>

#include "dates.h"

bool ParseDecimal(std::string_view text, std::int64_t minValue, std::int64_t maxValue, std::int64_t* value) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  // Accumulate as a negative number so the minimum fits.
  std::int64_t acc = 0;
  const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    int digit = c - '0';
    if (acc < (lowest + digit) / 10) return false;
    acc = acc * 10 - digit;
  }
  if (!negative) {
    if (acc == lowest) return false;
    acc = -acc;
  }
  if (acc < minValue || acc > maxValue) return false;
  *value = acc;
  return true;
}

TNumberRead NumberFromText(std::string_view text, std::int64_t defaultValue) {
  std::string_view head = text.substr(0, text.find('.'));
  std::string digits;
  digits.reserve(head.size());
  for (char c : head)
    if (c != ',') digits += c;
  std::int64_t value;
  if (!ParseDecimal(digits, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), &value))
    value = defaultValue;
  return {value, value == defaultValue};
}

std::string FormatGrouped(std::int64_t value) {
  // The digits go into a fixed buffer from the lowest up, with no string
  // made per digit: a report may format a million counts.
  char digits[20];
  std::uint64_t rest = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  const std::string& separator = FormatSettings.ThousandSeparator;
  const std::size_t sign = value < 0 ? 1 : 0;
  std::string out(sign + n + (n - 1) / 3 * separator.size(), '-');
  char* at = out.data() + sign;
  for (std::size_t i = n; i-- > 0;) {
    *at++ = digits[i];
    if (i > 0 && i % 3 == 0) at = std::copy(separator.begin(), separator.end(), at);
  }
  return out;
}

std::string FormatCount(std::int64_t value, bool grouped) {
  return grouped ? FormatGrouped(value) : std::to_string(value);
}
