// The launcher's description, as its build writes it into its version block.
#include "tools/kavelo2-settings/launcher_description.h"

#include "tools/model/version_block.h"

namespace {

// The launcher's FileDescription, as its build writes it (the top-level CMakeLists.txt).
constexpr const char* kLauncherDescription = KAVELO2_LAUNCHER_DESCRIPTION;

}  // namespace

bool VersionBlockNamesLauncher(const std::string& block) {
  return VersionBlockString(block, "FileDescription") == kLauncherDescription;
}

FolderTool FolderToolOf(const ProgramImage& program, const std::string& settingsDescription) {
  for (const auto& [key, text] : program.versionStrings) {
    if (key != "FileDescription") continue;
    if (text == kLauncherDescription) return FolderTool::Launcher;
    return !settingsDescription.empty() && text == settingsDescription ? FolderTool::Settings : FolderTool::None;
  }
  return FolderTool::None;
}
