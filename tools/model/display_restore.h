// A return of the display to the mode stored in the registry, as data: what it found and what it
// left, and whether that is the registry's mode.
#pragma once

#include "platform/win32_api.h"

// What holds a return to the registry mode back.
enum class RestoreHold {
  None,
  // A launcher runs (its single-instance mutex is there): the return would undo its switch under
  // its application, which then runs on in the registry mode. Done only when asked to anyway.
  LauncherRunning,
};

// The mode before, the registry's (when it can be read), the platform's answer, and the mode after.
struct RestoreOutcome {
  RestoreHold overridden = RestoreHold::None;  // the hold the return was asked to go ahead against
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
