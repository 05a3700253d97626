// The words of a finding: how the checker's report and the settings dialog tell each finding of a
// check, the one line of the verdict and of the result, and the texts both tools quote them with.
// Everything here is rendered from a ConfigCheck; nothing is decided.
#pragma once

#include "tools/model/config_check.h"
#include "tools/model/shown_text.h"

#include <string>

// "WIDTH 800, 640" or "WIDTH with an empty list".
std::string DescribeCriterion(const ModeCriterion& criterion);

// "0x00180000 (DM_PELSWIDTH | DM_PELSHEIGHT)".
std::string FieldMaskNames(DWORD fieldMask);

// What the switch asks for ("800x600 at 32 bits"), and what the display offers nearest to criteria
// that no mode fits.
std::string SwitchRequestText(const SwitchRequest& request);
std::string NearestOfferText(const NearestOffer& offer);

// How a finding is told: about an entry the launcher ignores, about one it accepts otherwise than
// it looks, a note, a problem that stops the start, or told as it stands (the early ends of the
// text and what the run does).
enum class FindingRole { Told, Ignored, Accepted, Note, Problem };
FindingRole RoleOf(const Finding& finding);
// The word before a finding of that role ("ignored: ", "note: ", ...; "" for Told).
const char* RoleLabel(FindingRole role);

// A finding as the report words it after its label. Every text below shows the names and entries
// it quotes as `rendering` says (shown_text.h).
std::string FindingBody(const Finding& finding, const ConfigCheck& check, Rendering rendering);

// "line 3: " before what is said about a line of the text; "" in the dialog, which checks the text
// that saving writes, whose lines the user never sees.
std::string LineLabel(int line, Rendering rendering);

// The report's last line: what the run does ("result: the launcher stops: ...").
std::string ResultLine(const ConfigCheck& check, Rendering rendering);

// What the run comes to, in one line: for a run as the file says its result ("result: the
// launcher switches to ..."), otherwise the verdict and the finding that decides it ("the
// launcher would stop: ...", "the launcher will fail to start the application: line 3: ...").
// The checker writes it to standard error when the status is not 0; the dialog shows it first.
std::string VerdictLine(const ConfigCheck& check, Rendering rendering);

// An early end of the text (NulEndsText, ReadLimit) as a warning of `encode`.
std::string LimitWarning(const Finding& finding, Rendering rendering);
