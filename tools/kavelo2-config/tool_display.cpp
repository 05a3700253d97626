// Reading the display with the launcher's enumeration, and returning it to the registry mode, on
// Windows or on the simulated platform.
#include "tools/kavelo2-config/tool_display.h"

#ifndef _WIN32
#include "platform/sim/sim_platform.h"
#include "tools/kavelo2-config/mode_notation.h"

#include <cerrno>
#include <cstdlib>
#endif

namespace {

#ifdef _WIN32

bool PrepareDisplay(std::string&) { return true; }

#else

// A script variable in the tool's notation, or `fallback` when it is not set.
bool ScriptedModes(const char* variable, const std::string& fallback, ModeCatalogue& modes, std::string& error) {
  const char* value = std::getenv(variable);
  std::string bad;
  if (ParseModeList(value != nullptr ? value : fallback, modes, bad)) return true;
  error = std::string(variable) + ": \"" + bad + "\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)";
  return false;
}

// The simulated display offers the catalogue of KAVELO2_SIM_MODES, so that host and Windows runs
// of the tool agree. The first of its largest modes is the registry's, and the mode in force
// unless KAVELO2_SIM_MODE names another; KAVELO2_SIM_RESTORE answers a return to the registry.
bool PrepareDisplay(std::string& error) {
  std::string desktop;
  for (const char* bits : {"32", "16", "8"}) {
    for (const char* size : {"320x200", "320x240", "400x300", "512x384", "640x400", "640x480",
                             "768x576", "800x600", "1024x768"}) {
      desktop += std::string(size) + "x" + bits + "@60,";
    }
  }
  ModeCatalogue catalogue, inForce;
  if (!ScriptedModes("KAVELO2_SIM_MODES", desktop, catalogue, error)) return false;
  if (!ScriptedModes("KAVELO2_SIM_MODE", "", inForce, error)) return false;
  if (inForce.size() > 1) {
    error = "KAVELO2_SIM_MODE: name one mode";
    return false;
  }
  const char* restore = std::getenv("KAVELO2_SIM_RESTORE");
  char* end = nullptr;
  errno = 0;
  long answer = restore != nullptr ? std::strtol(restore, &end, 10) : 0;
  if (restore != nullptr && (*restore == '\0' || *end != '\0' || errno != 0)) {
    error = "KAVELO2_SIM_RESTORE: \"" + std::string(restore) + "\" is not a number";
    return false;
  }
  // Only the display is scripted here; what a test scripted elsewhere (the registry) stays.
  SimPlatform& sim = Sim();
  sim.modes.clear();
  sim.registryMode = DEVMODEA();
  for (const DEVMODEA& mode : catalogue) {
    sim.modes.push_back({TRUE, mode});
    if (mode.dmPelsWidth * mode.dmPelsHeight > sim.registryMode.dmPelsWidth * sim.registryMode.dmPelsHeight) {
      sim.registryMode = mode;
    }
  }
  sim.currentModeResult = sim.registryModeResult = TRUE;
  sim.currentMode = inForce.empty() ? sim.registryMode : inForce[0];
  sim.restoreResult = static_cast<LONG>(answer);
  return true;
}

#endif

}  // namespace

bool ReadDisplay(DisplayState& display, std::string& error) {
  if (!PrepareDisplay(error)) return false;
  display = DisplayState();
  EnumerateDisplayModes(display.modes);
  display.current = QueryCurrentMode();
  return true;
}

bool SameDisplayMode(const DEVMODEA& a, const DEVMODEA& b) {
  // A rate of 0 or 1 is the hardware's default, which any rate in force meets.
  bool ratesKnown = a.dmDisplayFrequency > 1 && b.dmDisplayFrequency > 1;
  return a.dmPelsWidth == b.dmPelsWidth && a.dmPelsHeight == b.dmPelsHeight && a.dmBitsPerPel == b.dmBitsPerPel &&
         (!ratesKnown || a.dmDisplayFrequency == b.dmDisplayFrequency);
}

bool BackInRegistryMode(const RestoreOutcome& outcome) {
  return outcome.result == DISP_CHANGE_SUCCESSFUL &&
         (!outcome.registryKnown || SameDisplayMode(outcome.after, outcome.registry));
}

bool RestoreDisplay(RestoreOutcome& outcome, std::string& error) {
  if (!PrepareDisplay(error)) return false;
  outcome = RestoreOutcome();
  outcome.before = QueryCurrentMode();
  outcome.registry.dmSize = sizeof(outcome.registry);
  outcome.registryKnown = EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &outcome.registry) != 0;
  if (!outcome.registryKnown) outcome.registry = DEVMODEA();
  // The launcher's way back: its switches are never written to the registry, so the registry
  // still holds the user's own mode.
  outcome.result = ChangeDisplaySettingsA(nullptr, 0);
  outcome.after = QueryCurrentMode();
  return true;
}
