// Version blocks (RT_VERSION resources, as bytes): the strings a program gives about itself and
// the version it carries.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The unsigned number of `size` bytes (at most 4) at `at`, least significant first; `bytes` holds them.
uint32_t LittleEndian(const std::string& bytes, size_t at, size_t size);

// Every string of the block's StringFileInfo tables, as (key, text) in the block's order, as 8-bit
// text of their UTF-16 units below 256 (others become "?"). A block that is not well formed gives
// the strings read before the fault.
std::vector<std::pair<std::string, std::string>> VersionBlockStrings(const std::string& block);

// The text of one of those strings ("FileDescription", ...), the first of that key; "" when the
// block has none.
std::string VersionBlockString(const std::string& block, const std::string& key);

// "2.0.0" from the block's fixed file version (major, minor, patch), or "" when it has none.
std::string VersionBlockVersion(const std::string& block);
