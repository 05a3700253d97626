// The folder's own programs, known by their version blocks' descriptions.
#include "tools/kavelo2-settings/launcher_description.h"

#include "tools/model/program_start.h"
#include "tools/model/version_block.h"

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
