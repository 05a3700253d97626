// The words of a save that failed: why, and where the old file is.
#pragma once

#include "tools/model/save_outcome.h"

#include <string>

// Why the save failed, in a sentence or two, with the platform's error where one answered.
std::string SaveFailureReason(const SaveOutcome& outcome);
// Where the old file is now: "The file on disk is as it was before." or where it was left.
std::string OldFileText(const SaveOutcome& outcome);

// The settings dialog's account: the reason, a blank line, and where the old file is.
std::string SaveFailureMessage(const SaveOutcome& outcome);
// The checker's account, for one error line: the reason, and where the old file is when it is
// not as it was.
std::string SaveFailureLine(const SaveOutcome& outcome);
