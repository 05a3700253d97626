// The words of a return to the registry mode: the modes before, in the registry and after, and
// what it came to.
#pragma once

#include "tools/model/display_restore.h"

#include <string>

// The modes before, in the registry and after, one a line with the values in one column (for a
// console's fixed-width font), then "result: " and RestoreResult; first a line about the hold the
// return went ahead against, if any.
std::string RestoreReport(const RestoreOutcome& outcome);
// The same for a message box, whose font is proportional: each value after its label and ": ",
// then the result as a sentence of its own.
std::string RestoreMessage(const RestoreOutcome& outcome);
// What the return came to, in one line; the tool's error line too when it failed.
std::string RestoreResult(const RestoreOutcome& outcome);

// Why the display was not returned, in one line: the tool's error line.
std::string RestoreHoldText(RestoreHold hold);
// The question the settings dialog asks before it returns the display all the same.
std::string RestoreAnywayQuestion(RestoreHold hold);
