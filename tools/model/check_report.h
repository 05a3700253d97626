// The words of a check: the checker's report, the one line of its verdict (on standard error,
// and first in the settings dialog's explanation) and the text of each finding. Everything here
// is rendered from a ConfigCheck; nothing is decided.
#pragma once

#include "tools/model/app_layers.h"
#include "tools/model/config_check.h"
#include "tools/model/display_restore.h"

#include <string>

// Text as it can be shown on one line: bytes outside printable ASCII become \xNN.
std::string Shown(const std::string& text);
// The same in double quotes.
std::string Quoted(const std::string& text);

// "WIDTH 800, 640" or "WIDTH with an empty list".
std::string DescribeCriterion(const ModeCriterion& criterion);

// "0x00180000 (DM_PELSWIDTH | DM_PELSHEIGHT)".
std::string FieldMaskNames(DWORD fieldMask);

// A finding as the report words it after its label, and the label ("ignored: ", "note: ",
// "problem: ", or "" for the early ends of the text and for what the run does).
std::string FindingBody(const Finding& finding, const ConfigCheck& check);
std::string FindingLabel(const Finding& finding);

// The whole report, one line per "\n".
std::string RenderReport(const ConfigCheck& check);

// The report's last line: what the run does ("result: the launcher stops: ...").
std::string ResultLine(const ConfigCheck& check);

// What the run comes to, in one line: for a run as the file says its result ("result: the
// launcher switches to ..."), otherwise the verdict and the finding that decides it ("the
// launcher would stop: ...", "the launcher will fail to start the application: line 3: ...").
// The checker writes it to standard error when the status is not 0; the dialog shows it first.
std::string VerdictLine(const ConfigCheck& check);

// An early end of the text (NulEndsText, ReadLimit) as a warning of `encode`.
std::string LimitWarning(const Finding& finding);

// What the current user's compatibility layers of the application are, after "compatibility
// layers for this user: " in the report: the value, or "none", and whether Windows applies them.
std::string LayersText(const AppLayersReading& layers);

// What setting an application's layers came to, in a sentence or two for the user.
std::string LayerOutcomeText(const LayerWriteOutcome& outcome, const std::string& applicationPath);

// A return to the registry mode: the modes before, in the registry and after, one a line, then
// "result: " and RestoreResult.
std::string RestoreReport(const RestoreOutcome& outcome);
// What the return came to, in one line; the tool's error line too when it failed.
std::string RestoreResult(const RestoreOutcome& outcome);
