#include "numbers.h"

#include <limits>

#include "dates.h"

bool LastNumberDefaulted = false;

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

std::int64_t NumberFromText(std::string_view text, std::int64_t defaultValue) {
  std::string_view head = text.substr(0, text.find('.'));
  std::string digits;
  digits.reserve(head.size());
  for (char c : head)
    if (c != ',') digits += c;
  std::int64_t value;
  if (!ParseDecimal(digits, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), &value))
    value = defaultValue;
  LastNumberDefaulted = value == defaultValue;
  return value;
}

std::string FormatGrouped(std::int64_t value) {
  std::string plain = std::to_string(value);
  std::size_t sign = plain[0] == '-' ? 1 : 0;
  std::string out = plain.substr(0, sign);
  std::size_t ndigits = plain.size() - sign;
  for (std::size_t i = 0; i < ndigits; ++i) {
    if (i > 0 && (ndigits - i) % 3 == 0) out += FormatSettings.ThousandSeparator;
    out += plain[sign + i];
  }
  return out;
}

std::string FormatCount(std::int64_t value, bool grouped) {
  return grouped ? FormatGrouped(value) : std::to_string(value);
}
