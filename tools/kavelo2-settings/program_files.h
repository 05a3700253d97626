// What Kavelo2 Settings reads of program files on Windows: its own version block, and the launchers
// in a folder. The decisions are the model's (version_block.h, program_start.h, launcher_folder.h).
#pragma once

#include <string>
#include <vector>

// This program's version block, or "" when it has none.
std::string OwnVersionBlock();

// The file names of the launcher programs in `folder` (ending in a backslash): every .exe whose
// version block names it the launcher, renamed copies included.
std::vector<std::string> LaunchersIn(const std::string& folder);

// The full path of a file beside this program.
std::string BesideThisProgram(const std::string& name);
