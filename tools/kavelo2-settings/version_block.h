// What the dialog reads in version blocks (RT_VERSION resources, as bytes): whether a program is
// the launcher, and the version a program gives itself.
#pragma once

#include <string>

// The text of a string of the block's StringFileInfo ("FileDescription", ...), as 8-bit text of
// its UTF-16 units below 256; "" when the block has no such string or is not well formed.
std::string VersionBlockString(const std::string& block, const std::string& key);

// True when the block's FileDescription is the launcher's, as renamed copies still carry it.
bool VersionBlockNamesLauncher(const std::string& block);

// "2.0.0" from the block's fixed file version (major, minor, patch), or "" when it has none.
std::string VersionBlockVersion(const std::string& block);
