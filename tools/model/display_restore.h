// A return of the display to the mode stored in the registry, as data: what it found and what it
// left, and whether that is the registry's mode.
#pragma once

#include "platform/win32_api.h"

// The mode before, the registry's (when it can be read), the platform's answer, and the mode after.
struct RestoreOutcome {
  DEVMODEA before{};
  bool registryKnown = false;
  DEVMODEA registry{};
  LONG result = DISP_CHANGE_SUCCESSFUL;
  DEVMODEA after{};
};

// The same size, depth and rate, a rate of 0 or 1 (the hardware's default) meeting any.
bool SameDisplayMode(const DEVMODEA& a, const DEVMODEA& b);

// True when the display ended in the registry mode: the platform took the return and, when the
// registry's mode can be read, the mode in force is that mode.
bool BackInRegistryMode(const RestoreOutcome& outcome);
