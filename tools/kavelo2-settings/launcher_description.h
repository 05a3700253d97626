// How the dialog knows the folder's own programs: a launcher, renamed or not, by its version
// block's description, as the check does, and this settings program by its own.
#pragma once

#include "tools/model/program_image.h"

#include <string>

// What a program is to a launcher's folder: one of the folder's own tools, which a launcher cannot
// start as its application (a launcher started so ends at once, as one is running already), or
// any other.
enum class FolderTool { None, Launcher, Settings };
// Told by the FileDescription of the program's version strings: the launcher's, or
// `settingsDescription`, this settings program's own.
FolderTool FolderToolOf(const ProgramImage& program, const std::string& settingsDescription);
