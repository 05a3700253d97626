// Switching the display into the chosen mode, the taskbar notice, and the way back: the
// LaunchContext members ApplyMode, NotifyTaskbar and RestoreMode (mode_switch_win32.cpp), and the
// results of a switch as data (mode_switch.cpp).
#pragma once

#include "launcher/launch_context.h"

// The platform's name of a ChangeDisplaySettingsA result ("DISP_CHANGE_BADMODE"), or null for a
// result it has no name for.
const char* DisplayChangeResultName(LONG result);

// The box a strict run shows for a failed switch: "Kavelo Error: " and the result's name as its
// caption, over the result's message. False for a result without a message of its own.
struct SwitchFailureBox {
  char caption[64];
  const char* text;
};
bool SwitchFailureFor(LONG result, SwitchFailureBox& box);
