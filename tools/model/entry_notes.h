// What the check finds in single entries: why the launcher ignores one, and what its list
// reading leaves out, each with the fix for the usual near misses. The decisions stay the
// launcher's (ParseEntry, ReadInteger); these only name them.
#pragma once

#include "tools/model/config_check.h"

#include <string>
#include <vector>

// Why ParseEntry did not accept an entry, with the fix where one is likely. `kind` is what
// ParseEntry found for the key.
Finding IgnoredEntry(const std::string& entry, EntryKind kind);

// What the launcher's list reading made of the value of an accepted entry of `kind`, where that
// differs from what it says: numbers read in octal, text after a number, and where the list
// stops.
std::vector<Finding> ListNotes(const std::string& value, EntryKind kind);
