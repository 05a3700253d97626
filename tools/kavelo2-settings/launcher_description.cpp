// The folder's own programs, known by the descriptions in their version blocks.
#include "tools/kavelo2-settings/launcher_description.h"

#include "tools/model/program_start.h"

FolderTool FolderToolOf(const ProgramImage& program, const std::string& settingsDescription) {
  if (IsLauncherImage(program)) return FolderTool::Launcher;
  bool settings = !settingsDescription.empty() && DescribedAs(program, settingsDescription);
  return settings ? FolderTool::Settings : FolderTool::None;
}
