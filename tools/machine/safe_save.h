// The one way the tools write a configuration file: a failure never loses the old one.
#pragma once

#include <string>

struct SaveOutcome {
  bool saved = false;
  std::string reason;  // why it failed, for the user: one or two sentences
};

// Writes `bytes` to a new file beside `path`, forces it to the disk, and only then puts it in
// place of the old file in one step (or gives it the name, where there is no old file). On any
// failure the new file is removed and the old one is left as it was. A read-only file is refused
// before anything is written: nothing here removes that attribute.
SaveOutcome SaveFileSafely(const std::string& path, const std::string& bytes);

// The names a save uses beside `path`: the new file while it is written, and the old one for the
// moment of the replacement.
std::string PendingSavePath(const std::string& path);
std::string ReplacedSavePath(const std::string& path);
