// The version of Windows the tools run on, as ntdll reports it: the programs' manifest stops at
// Windows 7, so GetVersionExA would report an older version on Windows 8.1 and later.
#pragma once

#include "platform/win32_api.h"

#include <string>

struct WindowsVersion {
  DWORD major = 0, minor = 0, build = 0;  // all 0: not known
};

// Windows 8 (6.2) and later offer programs without a Windows 8 manifest the display modes under
// 32 bits per pixel only as an emulation: the desktop keeps 32 bits. An unknown version is
// taken as an earlier one.
inline bool EmulatesLowDepths(const WindowsVersion& version) {
  return version.major > 6 || (version.major == 6 && version.minor >= 2);
}

// The version ntdll's RtlGetVersion reports; all 0 when it is missing. On a development host
// it is the simulated platform's, which KAVELO2_SIM_WINDOWS sets as MAJOR.MINOR.BUILD (default
// 6.1.7601, Windows 7). False, with the reason, when that variable is not such a version.
bool ReadWindowsVersion(WindowsVersion& version, std::string& error);
