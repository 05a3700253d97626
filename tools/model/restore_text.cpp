// Telling a return to the registry mode.
#include "tools/model/restore_text.h"

#include "launcher/mode_switch.h"
#include "tools/model/mode_notation.h"

namespace {

std::string ModeOrUnknown(const DEVMODEA& mode) {
  return mode.dmPelsWidth != 0 ? FormatMode(mode) : std::string("unknown");
}

std::string ResultName(LONG result) {
  const char* name = DisplayChangeResultName(result);
  return name != nullptr ? std::string(name) : "result " + std::to_string(result);
}

}  // namespace

std::string RestoreReport(const RestoreOutcome& outcome) {
  return "mode before:   " + ModeOrUnknown(outcome.before) + "\n" +
         "registry mode: " + (outcome.registryKnown ? FormatMode(outcome.registry) : std::string("not readable")) +
         "\n" + "answer:        " + ResultName(outcome.result) + "\n" +
         "mode after:    " + ModeOrUnknown(outcome.after) + "\n" + "result: " + RestoreResult(outcome) + "\n";
}

std::string RestoreResult(const RestoreOutcome& outcome) {
  if (outcome.result != DISP_CHANGE_SUCCESSFUL) {
    return "the display refused the return to the registry mode: " + ResultName(outcome.result);
  }
  if (!outcome.registryKnown) return "the display took the return to the registry mode and is in " + ModeOrUnknown(outcome.after);
  std::string registry = FormatMode(outcome.registry);
  if (!BackInRegistryMode(outcome)) {
    return "the display took the return to the registry mode but is in " + ModeOrUnknown(outcome.after) +
           ", not in " + registry;
  }
  bool wasThere = SameDisplayMode(outcome.before, outcome.after);
  return wasThere ? "the display was in the registry mode, " + registry + ", and stays in it"
                  : "the display is back in the registry mode, " + registry;
}
