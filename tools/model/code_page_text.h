// The words for a name that this Windows' ANSI code page cannot spell, which neither the tools nor
// the launcher can use.
#pragma once

#include "tools/model/shown_text.h"

#include <string>

// What is wrong with `name` (as the code page spells it, "?" where it has no letter) and the fix,
// in one line; `codePage` is the ANSI code page's number.
std::string UnspellableNameText(const std::string& name, unsigned codePage, Rendering rendering);
