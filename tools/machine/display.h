// The display as the tools see it, asked with the launcher's own calls: read once, then handed to
// every check; and the way back to the mode the registry holds.
#pragma once

#include "launcher/mode_selection.h"
#include "tools/model/display_restore.h"

struct DisplayState {
  ModeCatalogue modes;  // in the launcher's enumeration order
  DEVMODEA current{};   // the mode in force; all zero when the platform does not say
};

// The display's catalogue, by the launcher's enumeration, and the mode in force.
DisplayState ReadDisplay();

// What holds a return to the registry mode back now: a launcher that runs.
RestoreHold RestoreHoldNow();

// Returns the display to the registry mode with the launcher's own call, ChangeDisplaySettingsA
// with a null record, and says what it found and left. `overridden` is the hold it was asked to
// go ahead against (RestoreHold::None when there was none), which the outcome keeps.
RestoreOutcome RestoreDisplay(RestoreHold overridden);
