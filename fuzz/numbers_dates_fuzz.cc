// Number reading, grouping, and date reading, normalising and printing on
// arbitrary text. Input: 8 bytes of a value (a number, a moment), then text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "dates.h"
#include "fuzz_support.h"
#include "numbers.h"

namespace {

// The number rule: the text before the first ".", every "," dropped, then
// blanks or tabs, one sign, and only digits, inside 64 bits.
bool ReferenceNumber(std::string_view text, std::int64_t* value) {
  std::string s;
  for (char c : text.substr(0, text.find('.')))
    if (c != ',') s += c;
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  __int128 acc = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    acc = acc * 10 + (s[i] - '0');
    if (acc > static_cast<__int128>(std::numeric_limits<std::int64_t>::max()) + 1) return false;
  }
  if (negative) acc = -acc;
  if (acc > std::numeric_limits<std::int64_t>::max()) return false;
  *value = static_cast<std::int64_t>(acc);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  std::int64_t raw;
  std::memcpy(&raw, data, sizeof raw);
  std::string_view text(reinterpret_cast<const char*>(data + 8), size - 8);
  FormatSettings = TLocaleFormats();

  std::int64_t want;
  const bool reads = ReferenceNumber(text, &want);
  const std::int64_t fallback = raw;
  const TNumberRead got = NumberFromText(text, fallback);
  FUZZ_CHECK(got.Value == (reads ? want : fallback));
  FUZZ_CHECK(got.Defaulted == (got.Value == fallback));
  std::int64_t bounded;
  if (ParseDecimal(text, -1000, 1000, &bounded)) FUZZ_CHECK(bounded >= -1000 && bounded <= 1000);

  // Grouped digits read back as the same number.
  FUZZ_CHECK(NumberFromText(FormatGrouped(raw), raw ^ 1).Value == raw);
  FUZZ_CHECK(FormatCount(raw, false) == std::to_string(raw));

  // Any moment prints under any pattern; a printed moment reads back.
  std::string printed = FormatDateTime(text, TDateTime{raw});
  (void)printed;
  TDateTime moment{raw % (kMsPerDay * 3652059)};  // years 1..9999 either side of the zero date
  TLocalTime parts = LocalTimeOf(moment);
  if (parts.Year >= 1 && parts.Year <= 9999) {
    TDateTime back;
    const std::string written = FormatDateTime("mm/dd/yyyy hh:nn:ss.zzz", moment);
    FUZZ_CHECK(ParseDateTime(written, "mm/dd/yyyy", &back));
    FUZZ_CHECK(back.Ms == moment.Ms);
  }

  TDateTime parsed;
  if (ParseDateTime(text, FormatSettings.ShortDatePattern, &parsed)) {
    TLocalTime t = LocalTimeOf(parsed);
    FUZZ_CHECK(t.Month >= 1 && t.Month <= 12 && t.Day >= 1 && t.Day <= 31);
    FUZZ_CHECK(DateTimeOf(t).Ms == parsed.Ms);
  }
  TDateTime normalised = NormaliseDateTime(text, "mm/dd/yyyy");
  (void)normalised;
  return 0;
}
