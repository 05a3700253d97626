// Telling a failed save.
#include "tools/model/save_text.h"

#include <utility>

namespace {

// The platform's error code, with its meaning where a user can act on it.
std::string ErrorText(DWORD error) {
  static const std::pair<DWORD, const char*> kKnown[] = {
      {ERROR_FILE_NOT_FOUND, "the file does not exist"},
      {ERROR_PATH_NOT_FOUND, "the folder does not exist"},
      {ERROR_ACCESS_DENIED, "access denied"},
      {ERROR_WRITE_PROTECT, "the disk is write-protected"},
      {ERROR_SHARING_VIOLATION, "another program has the file open"},
      {ERROR_DISK_FULL, "the disk is full"},
      {ERROR_ALREADY_EXISTS, "a file of that name exists already"},
  };
  std::string text = "Windows error " + std::to_string(error);
  for (const auto& [code, meaning] : kKnown) {
    if (code == error) text += std::string(": ") + meaning;
  }
  return text;
}

std::string SaveFailureReason(const SaveOutcome& outcome) {
  using Step = SaveOutcome::Step;
  std::string error = " (" + ErrorText(outcome.error) + ").";
  switch (outcome.step) {
    case Step::NotTried:
    case Step::Saved:
      break;
    case Step::IsFolder:
      return outcome.path + " is a folder.";
    case Step::ReadOnly:
      return outcome.path + " is read-only. To change it, clear \"Read-only\" in its Properties first.";
    case Step::NoReplacedName:
      return "The old file needs a free name to step aside to while the new one takes its place, and " +
             ReplacedSavePath(outcome.path, 0) + " to " + ReplacedSavePath(outcome.path, kReplacedSaveNames - 1) +
             " all exist. Move them elsewhere first.";
    case Step::CreatePending:
    case Step::WritePending:
      return "The new file " + outcome.pending +
             (outcome.step == Step::CreatePending ? " cannot be created" : " cannot be written") + error;
    case Step::NamePending:
      return "The new file cannot take the name " + outcome.path + error;
    case Step::Replace:
      return "The new file cannot take the place of the old one" + error;
  }
  return "Nothing was written.";
}

std::string OldFileText(const SaveOutcome& outcome) {
  using OldFile = SaveOutcome::OldFile;
  switch (outcome.oldFile) {
    case OldFile::AsBefore:
      break;
    case OldFile::Aside:
      return "The old file could not take its name back (" + ErrorText(outcome.returnError) + "): it is now " +
             outcome.replaced + ". Rename it to " + outcome.path + " to use it again.";
    case OldFile::NotFound:
      return "The old file is neither " + outcome.path + " nor " + outcome.replaced + " any more; the new one stays as " +
             outcome.pending + ".";
  }
  return "The file on disk is as it was before.";
}

}  // namespace

std::string SaveFailureMessage(const SaveOutcome& outcome) {
  return SaveFailureReason(outcome) + "\n\n" + OldFileText(outcome);
}

std::string SaveFailureLine(const SaveOutcome& outcome) {
  std::string line = SaveFailureReason(outcome);
  return outcome.oldFile == SaveOutcome::OldFile::AsBefore ? line : line + " " + OldFileText(outcome);
}
