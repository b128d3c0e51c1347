// For Windows-only tests: the system's own wording for an error code, as
// the programs' one-line reports show it (no trailing full stop or line end).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

inline std::string SystemText(DWORD code) {
  char buf[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                           sizeof buf, nullptr);
  std::string s(buf, n);
  while (!s.empty() && std::string(". \r\n").find(s.back()) != std::string::npos) s.pop_back();
  return s;
}
