// What the dialog reads in version blocks (RT_VERSION resources, as bytes): whether a program is
// the launcher, and the version a program gives itself.
#pragma once

#include <string>

// True when the block names its program the launcher, as renamed copies still do.
bool VersionBlockNamesLauncher(const std::string& block);

// "2.0.0" from the block's fixed file version (major, minor, patch), or "" when it has none.
std::string VersionBlockVersion(const std::string& block);
