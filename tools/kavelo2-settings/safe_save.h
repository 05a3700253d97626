// Saving a file so that a failure never loses the old one.
#pragma once

#include <string>

struct SaveOutcome {
  bool saved = false;
  std::string reason;  // why it failed, for the user
};

// Writes `bytes` to a new file beside `path` and, once that is complete, puts it in place of the
// old file in one step. On failure the new file is removed and the old one is left as it was.
SaveOutcome SaveFileSafely(const std::string& path, const std::string& bytes);

// The name of the new file that a save writes before it replaces `path`.
std::string PendingSavePath(const std::string& path);
