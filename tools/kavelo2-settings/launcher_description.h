// How the dialog knows a launcher program, renamed or not: by its version block's description.
#pragma once

#include <string>

// True when the block's FileDescription is the launcher's, as renamed copies still carry it.
bool VersionBlockNamesLauncher(const std::string& block);
