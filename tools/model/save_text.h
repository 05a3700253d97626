// The words of a save that failed: why, and where the old file is.
#pragma once

#include "tools/model/save_outcome.h"

#include <string>

// The settings dialog's account: why the save failed, with the platform's error where one
// answered, a blank line, and where the old file is ("The file on disk is as it was before.").
std::string SaveFailureMessage(const SaveOutcome& outcome);
// The checker's account, for one error line: the reason, and where the old file is when it is
// not as it was.
std::string SaveFailureLine(const SaveOutcome& outcome);
