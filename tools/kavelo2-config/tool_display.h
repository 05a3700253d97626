// The display as the tools see it: read once, then handed to every check; and the way back to the
// mode the registry holds.
#pragma once

#include "launcher/mode_selection.h"

#include <string>

struct DisplayState {
  ModeCatalogue modes;  // in the launcher's enumeration order
  DEVMODEA current{};   // the mode in force; all zero when the platform does not say
};

// Reads the display with the launcher's own calls. On Windows that is the real display; on a
// development host it is the simulated platform's: KAVELO2_SIM_MODES lists its catalogue in the
// tool's notation (default: the 27 modes of the 1024x768 desktop that the end-to-end tests run
// on), the first of its largest modes is the registry's, and KAVELO2_SIM_MODE names the mode in
// force when it is another (a launcher ended by force left it switched). False, with the reason,
// when one of them is not in the notation.
bool ReadDisplay(DisplayState& display, std::string& error);

// A return to the registry mode: the mode before, the registry's (when it can be read), the
// platform's answer, and the mode after.
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

// Returns the display to the registry mode with the launcher's own call, ChangeDisplaySettingsA
// with a null record. On the host the simulated display is the one ReadDisplay describes, and
// KAVELO2_SIM_RESTORE is the platform's answer to the return (a DISP_CHANGE_ number, default 0).
bool RestoreDisplay(RestoreOutcome& outcome, std::string& error);
