// The one way the tools write a configuration file: a failure never loses the old one.
#pragma once

#include "tools/model/save_outcome.h"

#include <string>

// Writes `bytes` to a new file beside `path` (PendingSavePath), forces it to the disk, and only
// then puts it in place of the old file in one step, the old one stepping aside under the first
// free ReplacedSavePath for that moment (or gives it the name, where there is no old file).
// A read-only file is refused before anything is written: nothing here removes that attribute.
// On any failure the new file is removed and the old one keeps its name; where the platform left
// it under the replaced name and it cannot take its name back, the outcome says so, and where it
// is found nowhere, the new file stays. No file that the save did not write is ever removed or
// written over, except a pending file left by an earlier save that never ended.
SaveOutcome SaveFileSafely(const std::string& path, const std::string& bytes);
