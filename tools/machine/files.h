// The launcher's paths on the machine the tool runs on, and the files the tools read.
#pragma once

#include "tools/model/config_text.h"
#include "tools/model/path_kind.h"

#include <cstdio>
#include <string>

// A probe or read of a drive without a medium (an empty CD or card reader) fails quietly instead
// of showing Windows' "There is no disk in the drive" box over the tool: set when a tool starts,
// for its whole process. A program the tool starts does not inherit it (CREATE_DEFAULT_ERROR_MODE),
// so a launcher it tries hands its application the error mode Windows gives.
void QuietEmptyDrives();

// The full Windows path of a folder, ending in a backslash. A folder this machine does not hold
// keeps its name, with slashes turned into backslashes.
std::string FullFolder(const std::string& folder);

// What a Windows path names on this machine: Unknown when it cannot be told (a drive that is not
// ready, or not there).
PathKind ProbePath(const std::string& windowsPath);

// Reads the first kHeldFileBytes of `file` and one byte more, to know whether there is more, and
// never further: an endless input ends there too. The whole length comes from the file's size
// when the file can be sought (a regular file); otherwise an input with more is of unknown
// length. False when it cannot be read.
bool ReadHeldBytes(std::FILE* file, HeldBytes& held);
