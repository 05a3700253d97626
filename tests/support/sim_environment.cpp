// The host build of kavelo2-config shows the simulated platform: this start-up code scripts its
// display, Windows version and a running launcher from the environment before main() runs, so
// that the program's own sources are the same as on Windows. A value that is not in the notation ends the program with
// status 2 and one line, as a usage error does.
#include "tests/support/sim_script.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct ScriptFromEnvironment {
  ScriptFromEnvironment() {
    std::string error;
    if (!SimScriptDisplay(std::getenv("KAVELO2_SIM_MODES"), std::getenv("KAVELO2_SIM_MODE"),
                          std::getenv("KAVELO2_SIM_RESTORE"), error) ||
        !SimScriptWindows(std::getenv("KAVELO2_SIM_WINDOWS"), error) ||
        !SimScriptLauncher(std::getenv("KAVELO2_SIM_LAUNCHER"), error)) {
      std::fprintf(stderr, "kavelo2-config: %s\n", error.c_str());
      std::exit(2);
    }
  }
};

const ScriptFromEnvironment kScripted;

}  // namespace
