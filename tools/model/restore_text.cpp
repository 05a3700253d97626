// Telling a return to the registry mode.
#include "tools/model/restore_text.h"

#include "launcher/mode_switch.h"
#include "tools/model/ascii_text.h"
#include "tools/model/mode_notation.h"

#include <utility>
#include <vector>

namespace {

std::string ModeOrUnknown(const DEVMODEA& mode) {
  return mode.dmPelsWidth != 0 ? FormatMode(mode) : std::string("unknown");
}

std::string ResultName(LONG result) {
  const char* name = DisplayChangeResultName(result);
  return name != nullptr ? std::string(name) : "result " + std::to_string(result);
}

// A label and its value.
using Row = std::pair<const char*, std::string>;

// The sentence with a capital first letter.
std::string Capitalised(const std::string& text) { return UpperAscii(text.substr(0, 1)) + text.substr(1); }

// The hold the return went ahead against, if any; the modes before, in the registry and after, and
// the platform's answer, in that order.
std::vector<Row> Rows(const RestoreOutcome& outcome) {
  std::vector<Row> rows;
  if (outcome.overridden == RestoreHold::LauncherRunning) {
    rows.push_back({"launcher", "running; returned all the same, under its application"});
  }
  rows.push_back({"mode before", ModeOrUnknown(outcome.before)});
  rows.push_back({"registry mode", outcome.registryKnown ? FormatMode(outcome.registry) : std::string("not readable")});
  rows.push_back({"answer", ResultName(outcome.result)});
  rows.push_back({"mode after", ModeOrUnknown(outcome.after)});
  return rows;
}

}  // namespace

std::string RestoreReport(const RestoreOutcome& outcome) {
  constexpr size_t kValueColumn = 15;  // after the longest label, "registry mode: "
  std::string report;
  for (const auto& [label, value] : Rows(outcome)) {
    std::string labelled = label + std::string(":");
    report += labelled + std::string(kValueColumn - labelled.size(), ' ') + value + "\n";
  }
  return report + "result: " + RestoreResult(outcome) + "\n";
}

std::string RestoreMessage(const RestoreOutcome& outcome) {
  std::string message;
  for (const auto& [label, value] : Rows(outcome)) message += Capitalised(label) + ": " + value + "\n";
  return message + "\n" + Capitalised(RestoreResult(outcome)) + ".";
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

std::string RestoreHoldText(RestoreHold hold) {
  if (hold == RestoreHold::None) return "";
  return "a launcher is running, and its application runs in the mode the launcher switched to: the display "
         "was left as it is (the launcher returns it when the application ends; restore --force returns it now)";
}

std::string RestoreAnywayQuestion(RestoreHold hold) {
  if (hold == RestoreHold::None) return "";
  return "A launcher is running, and its application runs in the display mode the launcher switched to. "
         "Putting the display back now changes the mode under that application; when the application ends, the "
         "launcher puts the display back itself.\n\nPut the display back now all the same?";
}
