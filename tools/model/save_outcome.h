// A save of a configuration file, as data: the step that failed with the platform's code, and
// where the old file is afterwards. The words are save_text's; the save itself is the machine's
// (tools/machine/safe_save.h).
#pragma once

#include "platform/win32_api.h"

#include <string>

// The names a save uses beside `path`: the new file while it is written, and the old one while
// it steps aside for the replacement. A name of the second kind that is taken is never written
// over (it may hold the only copy of an older file), so the old file takes the first free one of
// kReplacedSaveNames: NAME.replaced, NAME.1.replaced, ..., NAME.9.replaced.
constexpr int kReplacedSaveNames = 10;
inline std::string PendingSavePath(const std::string& path) { return path + ".saving"; }
inline std::string ReplacedSavePath(const std::string& path, int index = 0) {
  return index == 0 ? path + ".replaced" : path + "." + std::to_string(index) + ".replaced";
}

struct SaveOutcome {
  enum class Step {
    NotTried,       // nothing was tried: the caller refused first
    Saved,          // the new file stands under `path`
    IsFolder,       // refused before anything was written: `path` is a folder
    ReadOnly,       // refused before anything was written: `path` is read-only
    NoReplacedName, // refused before anything was written: every replaced name is taken
    CreatePending,  // `pending` cannot be created (`error`)
    WritePending,   // `pending` cannot be written or flushed to the disk (`error`); it is removed
    NamePending,    // there was no old file, and `pending` cannot take its name (`error`)
    Replace,        // ReplaceFileA refused (`error`)
  };
  // Where the old file is after a failure.
  enum class OldFile {
    AsBefore,  // under its name and unchanged (or, where there was none, there is none)
    Aside,     // the platform left it under `replaced`, and it could not take its name back
               // (`returnError`)
    NotFound,  // neither under its name nor under `replaced`: the new file stays as `pending`
  };

  Step step = Step::NotTried;
  DWORD error = 0;
  OldFile oldFile = OldFile::AsBefore;
  DWORD returnError = 0;
  std::string path, pending, replaced;

  bool Saved() const { return step == Step::Saved; }
};
