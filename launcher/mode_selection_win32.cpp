// The display's side of the catalogue: its modes and the mode in force, asked the way the launcher
// asks (each record zero-filled first).
#include "launcher/mode_selection.h"

#include "launcher/launch_context.h"

#include <cstring>

void EnumerateDisplayModes(ModeCatalogue& catalogue) {
  // Mode numbers run from 0 until the platform answers 0; a number answered with anything
  // but 1 is skipped.
  for (DWORD modeNumber = 0;; ++modeNumber) {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof(mode));
    BOOL result = EnumDisplaySettingsA(nullptr, modeNumber, &mode);
    if (result == 0) break;
    if (result == 1) catalogue.push_back(mode);
  }
}

DEVMODEA QueryCurrentMode() {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof(mode));
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) std::memset(&mode, 0, sizeof(mode));
  return mode;
}

int LaunchContext::EnumerateModes() {
  EnumerateDisplayModes(modeCatalogue);
  return static_cast<int>(modeCatalogue.size());
}
