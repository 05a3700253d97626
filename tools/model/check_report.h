// The checker's report of a check: every entry with its line and what the launcher makes of it,
// the early ends of the text, the settings the entries leave, the application, the choice of a
// mode and what the run does. Laid out here; each finding's words are finding_text.h's.
#pragma once

#include "tools/model/config_check.h"
#include "tools/model/shown_text.h"

#include <string>

// The whole report, one line per "\n", with names and entries shown as `rendering` says.
std::string RenderReport(const ConfigCheck& check, Rendering rendering);
