// What Kavelo2 Settings reads of program files on Windows: version blocks, and the launchers in a
// folder. The decisions are the model's (version_block.h, launcher_description.h, launcher_folder.h).
#pragma once

#include "platform/win32_api.h"

#include <string>
#include <vector>

// The version block of a loaded module (null: this program), or "" when it has none.
std::string ModuleVersionBlock(HMODULE module);

// The file names of the launcher programs in `folder` (ending in a backslash): every .exe whose
// version block names it the launcher, renamed copies included.
std::vector<std::string> LaunchersIn(const std::string& folder);

// The full path of a file beside this program.
std::string BesideThisProgram(const std::string& name);
