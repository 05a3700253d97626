// What the helper programs share for their record lines: the clock they stamp them with and the
// escaping that keeps each value one word of a line, byte for byte.
#pragma once

#include <windows.h>

#include <string>

// Milliseconds since 1970, the clock the host's test scripts read too.
inline long long UnixTimeMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return static_cast<long long>(ticks.QuadPart / 10000ULL) - 11644473600000LL;
}

// Backslash, CR, LF and blank become \\, \r, \n and \s; the harness undoes it.
inline std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == ' ') out += "\\s";
    else out += c;
  }
  return out;
}
