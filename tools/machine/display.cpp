// Reading the display with the launcher's enumeration, and returning it to the registry mode.
#include "tools/machine/display.h"

#include "tools/machine/running_launcher.h"

DisplayState ReadDisplay() {
  DisplayState display;
  EnumerateDisplayModes(display.modes);
  display.current = QueryCurrentMode();
  return display;
}

RestoreHold RestoreHoldNow() { return LauncherRunning() ? RestoreHold::LauncherRunning : RestoreHold::None; }

RestoreOutcome RestoreDisplay(RestoreHold overridden) {
  RestoreOutcome outcome;
  outcome.overridden = overridden;
  outcome.before = QueryCurrentMode();
  outcome.registry.dmSize = sizeof(outcome.registry);
  outcome.registryKnown = EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &outcome.registry) != 0;
  if (!outcome.registryKnown) outcome.registry = DEVMODEA();
  // The launcher's way back: its switches are never written to the registry, so the registry
  // still holds the user's own mode.
  outcome.result = ChangeDisplaySettingsA(nullptr, 0);
  outcome.after = QueryCurrentMode();
  return outcome;
}
