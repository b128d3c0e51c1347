#include "dates.h"

#include <algorithm>
#include <cstdio>

#include "text.h"

TLocaleFormats FormatSettings;

namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's method).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

const std::int64_t kZeroDateDays = DaysFromCivil(1899, 12, 30);

std::string Digits(std::int64_t value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(value));
  return buf;
}

// Reads an unsigned decimal of 1..maxDigits digits at pos.
bool ReadNumber(std::string_view s, std::size_t* pos, int maxDigits, int* out) {
  const std::size_t most = std::min(s.size(), *pos + static_cast<std::size_t>(maxDigits));
  std::size_t p = *pos;
  int value = 0;
  while (p < most && s[p] >= '0' && s[p] <= '9') value = value * 10 + (s[p++] - '0');
  if (p == *pos) return false;
  *pos = p;
  *out = value;
  return true;
}

bool ReadSeparator(std::string_view s, std::size_t* pos, std::string_view sep) {
  if (s.substr(*pos, sep.size()) != sep) return false;
  *pos += sep.size();
  return true;
}

// The date part under a short date pattern made of yyyy, mm/m, dd/d and
// separators.
bool ParseDatePart(std::string_view s, std::size_t* pos, std::string_view pattern, TLocalTime* t) {
  std::size_t p = *pos;
  std::size_t i = 0;
  while (i < pattern.size()) {
    char c = static_cast<char>(pattern[i] | 0x20);
    if (c == 'y' || c == 'm' || c == 'd') {
      std::size_t run = 0;
      while (i + run < pattern.size() && (pattern[i + run] | 0x20) == c) ++run;
      i += run;
      int value;
      if (!ReadNumber(s, &p, c == 'y' ? 4 : 2, &value)) return false;
      if (c == 'y') t->Year = run <= 2 && value < 100 ? 2000 + value : value;
      if (c == 'm') t->Month = value;
      if (c == 'd') t->Day = value;
    } else {
      // Both the locale's separator and the pattern's own character are accepted.
      std::string_view sep = pattern[i] == '/' ? std::string_view(FormatSettings.DateSeparator) : pattern.substr(i, 1);
      if (!ReadSeparator(s, &p, sep) && !ReadSeparator(s, &p, pattern.substr(i, 1))) return false;
      ++i;
    }
  }
  // A month or day that names no date (month 13, April 31) comes back from
  // the date's day number as another date.
  int y, m, d;
  CivilFromDays(DaysFromCivil(t->Year, t->Month, t->Day), &y, &m, &d);
  if (y != t->Year || m != t->Month || d != t->Day) return false;
  *pos = p;
  return true;
}

bool ParseTimePart(std::string_view s, std::size_t* pos, TLocalTime* t) {
  std::size_t p = *pos;
  int h, n, sec = 0, ms = 0;
  auto sep = [&]() { return ReadSeparator(s, &p, FormatSettings.TimeSeparator) || ReadSeparator(s, &p, ":"); };
  if (!ReadNumber(s, &p, 2, &h) || !sep() || !ReadNumber(s, &p, 2, &n)) return false;
  if (sep() && !ReadNumber(s, &p, 2, &sec)) return false;
  if (ReadSeparator(s, &p, ".") && !ReadNumber(s, &p, 3, &ms)) return false;
  if (h > 23 || n > 59 || sec > 59) return false;
  t->Hour = h;
  t->Minute = n;
  t->Second = sec;
  t->Millisecond = ms;
  *pos = p;
  return true;
}

}  // namespace

TDateTime DateTimeOf(const TLocalTime& t) {
  std::int64_t days = DaysFromCivil(t.Year, t.Month, t.Day) - kZeroDateDays;
  std::int64_t ms = ((static_cast<std::int64_t>(t.Hour) * 60 + t.Minute) * 60 + t.Second) * 1000 + t.Millisecond;
  return TDateTime{days * kMsPerDay + ms};
}

TLocalTime LocalTimeOf(TDateTime dt) {
  // The day is rounded down, so that a time before the zero date counts
  // forward from its day's start as any other.
  std::int64_t rest = dt.Ms % kMsPerDay;
  const std::int64_t days = dt.Ms / kMsPerDay - (rest < 0);
  if (rest < 0) rest += kMsPerDay;
  TLocalTime t;
  CivilFromDays(days + kZeroDateDays, &t.Year, &t.Month, &t.Day);
  t.Hour = static_cast<int>(rest / 3600000);
  t.Minute = static_cast<int>(rest / 60000 % 60);
  t.Second = static_cast<int>(rest / 1000 % 60);
  t.Millisecond = static_cast<int>(rest % 1000);
  return t;
}

TDateTime Now() { return DateTimeOf(PlatNow()); }

std::string FormatDateTime(std::string_view pattern, TDateTime dt) {
  const TLocalTime t = LocalTimeOf(dt);
  // The pieces in the order they are tried, so that "mmm" goes before "mm"
  // and "[hh]" before "hh", each with its value and its width in digits
  // (0 for the month's name).
  const struct {
    std::string_view Piece;
    std::int64_t Value;
    int Width;
  } pieces[] = {{"[hh]", dt.Ms / 3600000, 2}, {"yyyy", t.Year, 4}, {"mmm", t.Month, 0},
                {"mm", t.Month, 2},           {"dd", t.Day, 2},    {"hh", t.Hour, 2},
                {"nn", t.Minute, 2},          {"ss", t.Second, 2}, {"zzz", t.Millisecond, 3}};
  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '"') {
      const std::size_t close = std::min(pattern.find('"', i + 1), pattern.size());
      out.append(pattern.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    const auto piece = std::find_if(std::begin(pieces), std::end(pieces), [&](const auto& p) {
      return pattern.size() - i >= p.Piece.size() && EqualsIgnoreCase(pattern.substr(i, p.Piece.size()), p.Piece);
    });
    if (piece != std::end(pieces)) {
      out += piece->Width == 0 ? FormatSettings.ShortMonthNames[t.Month - 1] : Digits(piece->Value, piece->Width);
      i += piece->Piece.size();
      continue;
    }
    // "/" and ":" stand for the locale's separators; any other byte is itself.
    out += c == '/' ? FormatSettings.DateSeparator : c == ':' ? FormatSettings.TimeSeparator : std::string(1, c);
    ++i;
  }
  return out;
}

bool ParseDateTime(std::string_view text, std::string_view datePattern, TDateTime* dt) {
  std::string_view s = Trim(text);
  TLocalTime t;
  std::size_t pos = 0;
  const bool hasDate = ParseDatePart(s, &pos, datePattern, &t);
  // A date part that failed leaves pos alone, but may have set some fields.
  if (!hasDate) t = TLocalTime();
  // A time follows the date after blanks, or stands alone; an empty text
  // fails as a time.
  if (pos < s.size() || !hasDate) {
    if (hasDate && s[pos] != ' ') return false;
    while (pos < s.size() && s[pos] == ' ') ++pos;
    if (!ParseTimePart(s, &pos, &t)) return false;
  }
  if (pos != s.size()) return false;
  *dt = DateTimeOf(t);
  return true;
}

TDateTime NormaliseDateTime(std::string_view text, std::string_view datePattern, std::string_view fallbackDatePattern) {
  std::string s(text);
  std::size_t dot = s.find('.');
  if (dot != std::string::npos && dot + 1 < s.size()) {
    // Up to a second dot; with none, the length is past the end, which
    // substr cuts to the rest.
    const std::size_t second = s.find('.', dot + 1);
    s = s.substr(0, dot + 1) + (s.substr(dot + 1, second - dot - 1) + "000").substr(0, 3);
  }
  TDateTime dt;
  if (!ParseDateTime(s, datePattern, &dt)) return TDateTime{};
  if (dt.Ms >= 0 && dt.Ms < kMsPerDay && s.find("12/30/1899") == std::string::npos) {
    // A time alone, which reads as on the zero date: put it on today's date
    // and read it again.
    std::string today = FormatDateTime(fallbackDatePattern, Now());
    TDateTime placed;
    if (ParseDateTime(today + " " + s, fallbackDatePattern, &placed)) dt = placed;
  }
  return dt;
}

TDateTime NormaliseDateTime(std::string_view text, std::string_view fallbackDatePattern) {
  return NormaliseDateTime(text, FormatSettings.ShortDatePattern, fallbackDatePattern);
}
