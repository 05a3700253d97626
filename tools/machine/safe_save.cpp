// A save writes the whole new file, flushes it to the disk and replaces the old one only then.
#include "tools/machine/safe_save.h"

#include "platform/win32_api.h"
#include "tools/machine/files.h"

namespace {

// A pending file left by a save that never ended (a crash, a power cut) is the save's own, and
// the old file never depended on it. It may have been made hidden or system since (or read-only),
// and CreateFileA will not write over such a file: it loses those attributes first.
void ClearLeftoverPending(const std::string& pending) {
  constexpr DWORD kRefusing = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  DWORD attributes = GetFileAttributesA(pending.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  if ((attributes & kRefusing) != 0) SetFileAttributesA(pending.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Writes and flushes the new file; false with the step and the error, the file removed.
bool WritePending(const std::string& bytes, SaveOutcome& outcome) {
  ClearLeftoverPending(outcome.pending);
  HANDLE file =
      CreateFileA(outcome.pending.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    outcome.step = SaveOutcome::Step::CreatePending;
    outcome.error = GetLastError();
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
  DeleteFileA(outcome.pending.c_str());
  outcome.step = SaveOutcome::Step::WritePending;
  outcome.error = error;
  return false;
}

// The first replaced name that names nothing. A file under one of them may be the old file of an
// earlier save that could not take its name back: it is never written over.
bool ChooseReplacedName(SaveOutcome& outcome) {
  for (int index = 0; index < kReplacedSaveNames; ++index) {
    std::string name = ReplacedSavePath(outcome.path, index);
    if (ProbePath(name) == PathKind::Missing) {
      outcome.replaced = name;
      return true;
    }
  }
  return false;
}

// After ReplaceFileA failed: where the old file is. The platform leaves it under its name, except
// after ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, when it stands under the replaced name; it is not
// taken on trust but looked for, and brought back where it is found aside.
void ReturnOldFile(SaveOutcome& outcome) {
  if (ProbePath(outcome.path) != PathKind::Missing) return;
  if (ProbePath(outcome.replaced) != PathKind::File) {
    outcome.oldFile = SaveOutcome::OldFile::NotFound;
    return;
  }
  // Never over a file that took the name meanwhile.
  if (MoveFileExA(outcome.replaced.c_str(), outcome.path.c_str(), MOVEFILE_WRITE_THROUGH)) return;
  outcome.returnError = GetLastError();
  outcome.oldFile = SaveOutcome::OldFile::Aside;
}

}  // namespace

SaveOutcome SaveFileSafely(const std::string& path, const std::string& bytes) {
  using Step = SaveOutcome::Step;
  SaveOutcome outcome;
  outcome.path = path;
  outcome.pending = PendingSavePath(path);
  auto endedAt = [&outcome](Step step) {
    outcome.step = step;
    return outcome;
  };
  DWORD attributes = GetFileAttributesA(path.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return endedAt(Step::IsFolder);
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return endedAt(Step::ReadOnly);
  if (exists && !ChooseReplacedName(outcome)) return endedAt(Step::NoReplacedName);
  if (!WritePending(bytes, outcome)) return outcome;

  if (!exists) {
    // Without MOVEFILE_REPLACE_EXISTING: a file that took the name meanwhile stays as it is.
    if (MoveFileExA(outcome.pending.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) return endedAt(Step::Saved);
    outcome.step = Step::NamePending;
    outcome.error = GetLastError();
    DeleteFileA(outcome.pending.c_str());
    return outcome;
  }
  // ReplaceFileA keeps the old file's attributes and permissions on the new one.
  if (ReplaceFileA(path.c_str(), outcome.pending.c_str(), outcome.replaced.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                   nullptr, nullptr)) {
    DeleteFileA(outcome.replaced.c_str());
    return endedAt(Step::Saved);
  }
  outcome.step = Step::Replace;
  outcome.error = GetLastError();
  ReturnOldFile(outcome);
  // The new file goes, unless it is the only file left.
  if (outcome.oldFile != SaveOutcome::OldFile::NotFound) DeleteFileA(outcome.pending.c_str());
  return outcome;
}
