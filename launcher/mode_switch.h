// Switching the display into the chosen mode, the taskbar notice, and the way back: the
// LaunchContext members ApplyMode, NotifyTaskbar and RestoreMode (mode_switch.cpp).
#pragma once

#include "launcher/launch_context.h"

// The platform's name of a ChangeDisplaySettingsA result ("DISP_CHANGE_BADMODE"), or null for a
// result it has no name for.
const char* DisplayChangeResultName(LONG result);
