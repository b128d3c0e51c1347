// Date-time values and the few patterns the programs print.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

// A local date-time as milliseconds since 12/30/1899 00:00:00.000, the zero
// date of the system's date values (a time alone has that date).
struct TDateTime {
  std::int64_t Ms = 0;
};

constexpr std::int64_t kMsPerDay = 86400000;

TDateTime DateTimeOf(const TLocalTime& t);
TLocalTime LocalTimeOf(TDateTime dt);
TDateTime Now();

// The process's formatting settings, loaded from the system's default locale
// at start-up.
extern TLocaleFormats FormatSettings;

// Supports the pattern pieces yyyy, mmm, mm, dd, hh, [hh] (total hours of a
// span), nn, ss, zzz, "/" and ":" (the locale separators) and double-quoted
// literal text; any other character is copied.
std::string FormatDateTime(std::string_view pattern, TDateTime dt);

// Reads a date-time with the given pattern for the date part (a short date
// pattern such as FormatSettings.ShortDatePattern) and "hh:nn[:ss[.zzz]]"
// for the time. False when the text is not one.
bool ParseDateTime(std::string_view text, std::string_view datePattern, TDateTime* dt);

// Normalises milliseconds to three digits, reads the text's date part with
// the given pattern, and places a time-only value on today's date, as
// written by the fallback pattern. Text that does not read gives the zero
// date.
TDateTime NormaliseDateTime(std::string_view text, std::string_view datePattern, std::string_view fallbackDatePattern);

// ---- Published interface that neither program uses ----
// NormaliseDateTime with the date part read by FormatSettings' short date
// pattern, as the process's date settings give it.
TDateTime NormaliseDateTime(std::string_view text, std::string_view fallbackDatePattern);
