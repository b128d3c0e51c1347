#include "date_picture.h"

std::string DatePatternOfPicture(std::string_view picture, std::string_view separator) {
  std::string out;
  // Text between two fields is held until the next field is known, so that
  // a dropped field (a weekday, an era) takes the text on both of its sides
  // with it.
  std::string between;
  bool afterDropped = false;
  std::size_t i = 0;
  while (i < picture.size()) {
    char c = picture[i];
    // Day, month, year and era fields.
    if (c == 'd' || c == 'M' || c == 'y' || c == 'g') {
      std::size_t run = 0;
      while (i + run < picture.size() && picture[i + run] == c) ++run;
      i += run;
      std::string field;
      if (c == 'd' && run <= 2)
        field = "dd";
      else if (c == 'M')
        field = run <= 2 ? "mm" : "mmm";
      else if (c == 'y')
        field = run <= 2 ? "yy" : "yyyy";
      if (!field.empty()) {
        if (!afterDropped) out += between;
        out += field;
      }
      afterDropped = field.empty();
      between.clear();
    } else if (c == '\'') {
      // Quoted text up to its closing quote, which is stepped over after it;
      // two quotes inside stand for one.
      for (++i; i < picture.size() && (picture[i] != '\'' || picture.substr(i + 1, 1) == "'"); ++i) {
        if (picture[i] == '\'') ++i;
        between += picture[i];
      }
      ++i;
    } else if (!separator.empty() && picture.substr(i, separator.size()) == separator) {
      between += '/';
      i += separator.size();
    } else {
      between += c;
      ++i;
    }
  }
  if (!afterDropped) out += between;
  return out;
}

TLocaleFormats DefaultFormatSettings() {
  TLocaleFormats f = PlatDefaultLocale();
  f.ShortDatePattern = DatePatternOfPicture(f.ShortDatePicture, f.DateSeparator);
  return f;
}
