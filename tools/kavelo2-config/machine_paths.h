// The launcher's paths on the machine the tool runs on. On Windows they are the machine's own;
// on the host, Windows paths on drive Z: are host paths, as Wine shows them to Windows programs,
// and other drives are not on this machine.
#pragma once

#include <string>

// The full Windows path of a folder, ending in a backslash. A folder this machine does not hold
// keeps its name, with slashes turned into backslashes.
std::string FullFolder(const std::string& folder);

enum class PathKind {
  Unknown,  // the path lies on no drive of this machine
  Missing,
  File,
  Folder,
};

// What a Windows path names on this machine.
PathKind ProbePath(const std::string& windowsPath);
