// Switching the display into the chosen mode, the taskbar notice, and the way back: the
// LaunchContext members ApplyMode, NotifyTaskbar and RestoreMode (mode_switch.cpp).
#pragma once

#include "launcher/launch_context.h"
