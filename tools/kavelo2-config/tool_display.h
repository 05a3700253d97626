// The display as the tools see it: read once, then handed to every check.
#pragma once

#include "launcher/mode_selection.h"

#include <string>

struct DisplayState {
  ModeCatalogue modes;  // in the launcher's enumeration order
  DEVMODEA current{};   // the mode in force; all zero when the platform does not say
};

// Reads the display with the launcher's own calls. On Windows that is the real display; on a
// development host it is the simulated platform's, whose catalogue KAVELO2_SIM_MODES lists in the
// tool's notation (default: the 27 modes of the 1024x768 desktop that the end-to-end tests run
// on, in force the first of its largest). False, with the reason, when that list is not one.
bool ReadDisplay(DisplayState& display, std::string& error);
