// The version of Windows a check is made for, and what it changes for the launcher.
#pragma once

#include "platform/win32_api.h"

#include <cstdint>

struct WindowsVersion {
  DWORD major = 0, minor = 0, build = 0;  // all 0: not known
  // The processor Windows itself runs on, as a program header's machine number (0x014C x86,
  // 0x8664 x64, 0xAA64 ARM64); 0: not known.
  uint16_t machine = 0;
};

// Windows 8 (6.2) and later offer programs without a Windows 8 manifest the display modes under
// 32 bits per pixel only as an emulation: the desktop keeps 32 bits. An unknown version is
// taken as an earlier one.
inline bool EmulatesLowDepths(const WindowsVersion& version) {
  return version.major > 6 || (version.major == 6 && version.minor >= 2);
}
