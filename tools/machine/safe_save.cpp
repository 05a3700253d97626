// A save writes the whole new file, flushes it to the disk and replaces the old one only then.
#include "tools/machine/safe_save.h"

#include "platform/win32_api.h"

namespace {

// The platform's error code with its meaning where a user can act on it.
std::string ErrorText(DWORD error) {
  struct Known {
    DWORD code;
    const char* text;
  };
  static const Known kKnown[] = {
      {ERROR_PATH_NOT_FOUND, "the folder does not exist"},
      {ERROR_ACCESS_DENIED, "access denied"},
      {ERROR_WRITE_PROTECT, "the disk is write-protected"},
      {ERROR_SHARING_VIOLATION, "another program has the file open"},
      {ERROR_DISK_FULL, "the disk is full"},
  };
  std::string text = "Windows error " + std::to_string(error);
  for (const Known& known : kKnown) {
    if (known.code == error) text += std::string(": ") + known.text;
  }
  return text;
}

// Writes and flushes the new file; false with the reason, the file removed.
bool WritePending(const std::string& pending, const std::string& bytes, std::string& reason) {
  HANDLE file = CreateFileA(pending.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    reason = "The new file " + pending + " cannot be created (" + ErrorText(GetLastError()) + ").";
    return false;
  }
  DWORD written = 0;
  bool complete = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  // The data reaches the disk before the new file takes the old one's name.
  complete = complete && FlushFileBuffers(file);
  DWORD error = GetLastError();
  complete = CloseHandle(file) && complete;
  if (complete) return true;
  DeleteFileA(pending.c_str());
  reason = "The new file " + pending + " cannot be written (" + ErrorText(error) + ").";
  return false;
}

}  // namespace

std::string PendingSavePath(const std::string& path) { return path + ".saving"; }

std::string ReplacedSavePath(const std::string& path) { return path + ".replaced"; }

SaveOutcome SaveFileSafely(const std::string& path, const std::string& bytes) {
  SaveOutcome outcome;
  DWORD attributes = GetFileAttributesA(path.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    outcome.reason = path + " is a folder.";
    return outcome;
  }
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    outcome.reason = path + " is read-only. To change it, clear \"Read-only\" in its Properties first.";
    return outcome;
  }
  std::string pending = PendingSavePath(path);
  if (!WritePending(pending, bytes, outcome.reason)) return outcome;
  if (!exists) {
    if (MoveFileExA(pending.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
      outcome.saved = true;
      return outcome;
    }
  } else {
    // The old file steps aside under a name of its own for the moment of the swap: whatever
    // fails, it is never lost. ReplaceFileA keeps its attributes and permissions on the new one.
    std::string replaced = ReplacedSavePath(path);
    if (ReplaceFileA(path.c_str(), pending.c_str(), replaced.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr)) {
      DeleteFileA(replaced.c_str());
      outcome.saved = true;
      return outcome;
    }
    DWORD error = GetLastError();
    // Only here has the old file left its name; it gets it back.
    if (error == static_cast<DWORD>(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)) MoveFileExA(replaced.c_str(), path.c_str(), 0);
    DeleteFileA(pending.c_str());
    outcome.reason = "The new file cannot take the place of the old one (" + ErrorText(error) + ").";
    return outcome;
  }
  DWORD error = GetLastError();
  DeleteFileA(pending.c_str());
  outcome.reason = "The new file cannot take the name " + path + " (" + ErrorText(error) + ").";
  return outcome;
}
