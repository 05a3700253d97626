// Scripting the simulated display and Windows version from text in the tools' notation.
#include "tests/support/sim_script.h"

#include "platform/sim/sim_platform.h"
#include "tools/model/mode_notation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

// The 1024x768 Wine desktop: nine sizes at 32, 16 and 8 bits, all at 60 Hz.
std::string WineDesktopModes() {
  std::string desktop;
  for (const char* bits : {"32", "16", "8"}) {
    for (const char* size : {"320x200", "320x240", "400x300", "512x384", "640x400", "640x480", "768x576",
                             "800x600", "1024x768"}) {
      desktop += std::string(size) + "x" + bits + "@60,";
    }
  }
  return desktop;
}

bool Modes(const char* name, const std::string& text, ModeCatalogue& modes, std::string& error) {
  std::string bad;
  if (ParseModeList(text, modes, bad)) return true;
  error = std::string(name) + ": \"" + bad + "\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)";
  return false;
}

}  // namespace

bool SimScriptDisplay(const char* modes, const char* inForce, const char* restore, std::string& error) {
  ModeCatalogue catalogue, current;
  if (!Modes("KAVELO2_SIM_MODES", modes != nullptr ? modes : WineDesktopModes(), catalogue, error) ||
      !Modes("KAVELO2_SIM_MODE", inForce != nullptr ? inForce : "", current, error)) {
    return false;
  }
  if (current.size() > 1) {
    error = "KAVELO2_SIM_MODE: name one mode";
    return false;
  }
  char* end = nullptr;
  errno = 0;
  long answer = restore != nullptr ? std::strtol(restore, &end, 10) : 0;
  if (restore != nullptr && (*restore == '\0' || *end != '\0' || errno != 0)) {
    error = "KAVELO2_SIM_RESTORE: \"" + std::string(restore) + "\" is not a number";
    return false;
  }
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
  sim.currentMode = current.empty() ? sim.registryMode : current[0];
  sim.restoreResult = static_cast<LONG>(answer);
  return true;
}

bool SimScriptWindows(const char* version, std::string& error) {
  std::string text = version != nullptr ? version : "6.1.7601";
  unsigned major = 0, minor = 0, build = 0;
  char rest = '\0';
  if (std::sscanf(text.c_str(), "%u.%u.%u%c", &major, &minor, &build, &rest) != 3 || text[0] < '0' ||
      text[0] > '9') {
    error = "KAVELO2_SIM_WINDOWS: \"" + text + "\" is not a version (write MAJOR.MINOR.BUILD, e.g. 10.0.19045)";
    return false;
  }
  Sim().windowsMajor = major;
  Sim().windowsMinor = minor;
  Sim().windowsBuild = build;
  return true;
}

bool SimScriptLauncher(const char* running, std::string& error) {
  std::string text = running != nullptr ? running : "0";
  if (text != "0" && text != "1") {
    error = "KAVELO2_SIM_LAUNCHER: \"" + text + "\" is neither 1 (a launcher runs) nor 0";
    return false;
  }
  Sim().mutexAlreadyExists = text == "1";
  return true;
}
