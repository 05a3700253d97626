// The dialog's live explanation: what the launcher does with the text that saving writes, in the
// checker's words, and what becomes of the file's entries that the dialog cannot show.
#pragma once

#include "tools/kavelo2-settings/settings_document.h"

#include <string>

// The pane's text, lines ended by CR LF as an edit control shows them.
std::string ExplainDocument(const SettingsDocument& document);
