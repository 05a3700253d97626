// Names and keys as the launcher and Windows compare them: the launcher's one case rule (the
// letters a to z only) and its slashes turned into backslashes, for the tools' own strings.
#pragma once

#include <string>
#include <string_view>

// The letters a to z in capitals, as the launcher compares keys.
std::string UpperAscii(std::string text);

// Equal but for the case of the letters a to z: how the tools compare file and folder names.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);

// Slashes turned into backslashes, as the launcher reads a PATH value.
std::string Backslashed(std::string path);
