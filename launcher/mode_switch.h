// Switching the display into the chosen mode, the taskbar notice, and the way back.
#pragma once

#include "platform/win32_api.h"

// The message and caption a strict run shows for a failed switch, or null when the result has
// no message of its own.
struct SwitchFailureMessage {
  const char* text;
  const char* caption;
};
const SwitchFailureMessage* FindSwitchFailureMessage(LONG result);

// WM_DISPLAYCHANGE's lParam: the low 16 bits of the width, then the low 16 bits of the height.
LPARAM DisplayChangeLParam(DWORD width, DWORD height);
