// The banner's date forms, worked out independently of the code under test.
#pragma once

#include <string>

// "yyyy/mm/dd..." -> "dd Mmm yyyy".
inline std::string BannerDate(const std::string& stamp) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return stamp.substr(8, 2) + " " + kMonths[std::stoi(stamp.substr(5, 2)) - 1] + " " + stamp.substr(0, 4);
}

// "yyyy/mm/dd hh:nn:ss" -> "dd Mmm yyyy @ hh:00:00".
inline std::string CompileStamp(const std::string& stamp) {
  return BannerDate(stamp) + " @ " + stamp.substr(11, 2) + ":00:00";
}
