// What the check says about single entries: how an entry is shown, why the launcher ignores
// one, and what its list reading leaves out, each with the fix for the usual near misses.
#pragma once

#include "launcher/config_file.h"

#include <string>
#include <vector>

// Entry text as it can be shown on one line: bytes outside printable ASCII become \xNN.
std::string Shown(const std::string& text);
// The same in double quotes.
std::string Quoted(const std::string& text);

// The letters a to z in capitals, as the launcher compares keys.
std::string UpperAscii(std::string text);

// "WIDTH 800, 640" or "WIDTH with an empty list".
std::string DescribeCriterion(const ModeCriterion& criterion);

// Why ParseEntry did not accept an entry, with the fix where one is likely. `kind` is what
// ParseEntry found for the key.
std::string DescribeIgnored(const std::string& entry, EntryKind kind);

// What the launcher's list reading made of the value of an accepted entry of `kind`, where
// that differs from what it says: numbers read in octal, text after a number, and where the
// list stops.
std::vector<std::string> ListNotes(const std::string& value, EntryKind kind);
