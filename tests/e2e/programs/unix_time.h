// The wall clock that the helper programs stamp their records with.
#pragma once

#include <windows.h>

// Milliseconds since 1970, the clock the host's test scripts read too.
inline long long UnixTimeMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return static_cast<long long>(ticks.QuadPart / 10000ULL) - 11644473600000LL;
}
