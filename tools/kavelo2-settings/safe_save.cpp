// A save writes the whole new file first and replaces the old one only when it is complete.
#include "tools/kavelo2-settings/safe_save.h"

#include "platform/win32_api.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string PendingSavePath(const std::string& path) { return path + ".saving"; }

SaveOutcome SaveFileSafely(const std::string& path, const std::string& bytes) {
  SaveOutcome outcome;
  std::string pending = PendingSavePath(path);
  std::FILE* file = std::fopen(pending.c_str(), "wb");
  if (file == nullptr) {
    outcome.reason = "The new file " + pending + " cannot be created: " + std::strerror(errno) + ".";
    return outcome;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = std::fflush(file) == 0 && written;
  int writeError = errno;
  written = std::fclose(file) == 0 && written;
  if (!written) {
    std::remove(pending.c_str());
    outcome.reason = "The new file " + pending + " cannot be written: " + std::strerror(writeError) + ".";
    return outcome;
  }
  // Replacing in one step leaves either the old file or the new one, never a part of either.
  if (!MoveFileExA(pending.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD error = GetLastError();
    std::remove(pending.c_str());
    outcome.reason = "The new file cannot take the place of the old one (Windows error " +
                     std::to_string(error) + (error == ERROR_ACCESS_DENIED ? ": access denied" : "") + ").";
    return outcome;
  }
  outcome.saved = true;
  return outcome;
}
