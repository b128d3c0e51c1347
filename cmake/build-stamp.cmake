# Writes the build stamp header OUT, touching it only when the text changes.
# string(TIMESTAMP) honours SOURCE_DATE_EPOCH. Only the hour is shown, so
# minutes and seconds are left at zero and a build within the same hour
# rebuilds nothing. Usage: cmake -DOUT=<header> -P build-stamp.cmake
cmake_minimum_required(VERSION 3.22)
# A set SOURCE_DATE_EPOCH is read in UTC, so the builder's time zone cannot
# change the bytes of a release build; other builds show local time.
set(zone "")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(zone UTC)
endif()
string(TIMESTAMP date "%Y/%m/%d" ${zone})
string(TIMESTAMP hour "%H" ${zone})
set(text "// Generated at build time.
#define ORVELLA_BUILD_DATE \"${date}\"
#define ORVELLA_BUILD_DATE_TIME \"${date} ${hour}:00:00\"
")
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
