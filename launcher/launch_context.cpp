// The run's record and its paths, derived from the launcher's module path. No platform call: the
// run itself, which asks the platform, is in launch_context_win32.cpp.
#include "launcher/launch_context.h"

#include <cstring>

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(STARTUPINFOA) == 68, "the 32-bit start-up record");
#endif

namespace {

constexpr const char* kDefaultApplication = "PROJECTOR.EXE";

}  // namespace

bool DeriveProgramPaths(const char* modulePath, PathText& programDirectory,
                        PathText& programBaseName, PathText& configPath,
                        PathText& applicationPath) {
  // Scan back from the end to the last backslash; the base name ends at the first dot after
  // it. Position 0 is never examined, so a path without a backslash is all directory.
  std::string_view module(modulePath);
  std::string_view directory = module;
  std::string_view baseName;
  if (module.size() >= 2) {
    size_t dot = module.size();
    for (size_t i = module.size() - 1; i >= 1; --i) {
      if (module[i] == '.') {
        dot = i;
      } else if (module[i] == '\\') {
        directory = module.substr(0, i + 1);
        baseName = module.substr(i + 1, dot - (i + 1));
        break;
      }
    }
  }
  PathText directoryField, baseNameField, configField, applicationField;
  if (!ComposePath(directoryField, {directory}) || !ComposePath(baseNameField, {baseName}) ||
      !ComposePath(configField, {directory, kConfigFileName}) ||
      !ComposePath(applicationField, {directory, kDefaultApplication})) {
    return false;
  }
  std::memcpy(programDirectory, directoryField, kPathCapacity);
  std::memcpy(programBaseName, baseNameField, kPathCapacity);
  std::memcpy(configPath, configField, kPathCapacity);
  std::memcpy(applicationPath, applicationField, kPathCapacity);
  return true;
}

LaunchContext::LaunchContext(const char* modulePath, const DEVMODEA& modeInForce)
    : processInfo(),
      startupInfo(),
      modeChanged(false),
      strictMode(false),
      backdropEnabled(false),
      waitAllEnabled(false),
      applicationJob(nullptr),
      currentMode(modeInForce),
      modeCatalogue(),
      backdropWindow(nullptr),
      programDirectory(),
      configPath(),
      programBaseName(),
      applicationPath(),
      criteria() {
  startupInfo.cb = sizeof(startupInfo);
  DeriveProgramPaths(modulePath, programDirectory, programBaseName, configPath, applicationPath);
}
