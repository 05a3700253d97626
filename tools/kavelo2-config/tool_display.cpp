// Reading the display with the launcher's enumeration, on Windows or on the simulated platform.
#include "tools/kavelo2-config/tool_display.h"

#ifndef _WIN32
#include "platform/sim/sim_platform.h"
#include "tools/kavelo2-config/mode_notation.h"

#include <cstdlib>
#endif

namespace {

#ifdef _WIN32

bool PrepareDisplay(std::string&) { return true; }

#else

// The simulated display offers the catalogue of KAVELO2_SIM_MODES, so that host and Windows runs
// of the tool agree, and runs in the first of its largest modes.
bool PrepareDisplay(std::string& error) {
  std::string script;
  if (const char* variable = std::getenv("KAVELO2_SIM_MODES")) {
    script = variable;
  } else {
    for (const char* bits : {"32", "16", "8"}) {
      for (const char* size : {"320x200", "320x240", "400x300", "512x384", "640x400", "640x480",
                               "768x576", "800x600", "1024x768"}) {
        script += std::string(size) + "x" + bits + "@60,";
      }
    }
  }
  ModeCatalogue catalogue;
  std::string bad;
  if (!ParseModeList(script, catalogue, bad)) {
    error = "KAVELO2_SIM_MODES: \"" + bad + "\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)";
    return false;
  }
  ResetSim();
  for (const DEVMODEA& mode : catalogue) {
    Sim().modes.push_back({TRUE, mode});
    const DEVMODEA& current = Sim().currentMode;
    if (mode.dmPelsWidth * mode.dmPelsHeight > current.dmPelsWidth * current.dmPelsHeight) {
      Sim().currentMode = mode;
    }
  }
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
