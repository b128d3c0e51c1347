// The system's short-date picture ("M/d/yyyy", "dd.MM.yyyy") in the form the
// date reader takes ("mm/dd/yyyy").
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

// The system default locale's settings, with its short-date picture turned
// into the pattern the date reader takes.
TLocaleFormats DefaultFormatSettings();

// ---- The conversion itself, declared here for its tests ----

// Day and month runs of one or two letters become "dd" and "mm", longer
// month runs "mmm"; years become "yy" or "yyyy"; the separator becomes "/";
// quoted text is kept without its quotes. Weekday names and the era cannot
// be read back, so they are dropped with the text that follows them.
std::string DatePatternOfPicture(std::string_view picture, std::string_view separator);
