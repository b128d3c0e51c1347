#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "dates.h"

bool ParseDecimal(std::string_view text, std::int64_t minValue, std::int64_t maxValue, std::int64_t* value) {
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return false;
  // std::from_chars takes a "-" but not a "+", so a "+" is skipped here; a
  // second sign after it still fails.
  if (text[i] == '+' && i + 1 < text.size() && text[i + 1] != '-') ++i;
  const char* end = text.data() + text.size();
  std::int64_t read;
  const std::from_chars_result r = std::from_chars(text.data() + i, end, read);
  if (r.ec != std::errc() || r.ptr != end || read < minValue || read > maxValue) return false;
  *value = read;
  return true;
}

TNumberRead NumberFromText(std::string_view text, std::int64_t defaultValue) {
  std::string digits(text.substr(0, text.find('.')));
  std::erase(digits, ',');
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
