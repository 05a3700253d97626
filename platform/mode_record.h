// A display-mode record as a display driver fills one in: the one maker of such records for the
// tools' mode notation, the simulated display and the tests.
#pragma once

#include "platform/win32_api.h"

inline DEVMODEA MakeMode(DWORD width, DWORD height, DWORD bitsPerPel, DWORD frequency) {
  DEVMODEA mode{};
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
  mode.dmBitsPerPel = bitsPerPel;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmDisplayFrequency = frequency;
  return mode;
}
