// The dialog's words: what the file was found to be, and the live explanation of what the
// launcher does with the text that saving writes, in the checker's words.
#pragma once

#include "tools/kavelo2-settings/launcher_description.h"
#include "tools/kavelo2-settings/settings_document.h"
#include "tools/model/config_check.h"

#include <string>

// What was found in the file, one sentence for the line under the file's name.
std::string FormDescription(const SettingsDocument& document);

// The line under the application's settings: which application they are for, its path
// shortened to fit the line, and what the registry holds for it.
std::string LayersNote(const SettingsDocument& document);

// What saving does to an entry of the file that the lists cannot show.
std::string UnshownNote(const UnshownEntry& entry);

// Why saving is refused, in a sentence or two; "" when it is not.
std::string RefusalText(const SaveRefusal& refusal, const ConfigCheck& check);

// The question asked before a save; "" when there is none.
std::string QuestionText(const SaveQuestion& question, const SettingsDocument& document);

// The explanation pane's text for the document and its check (document.Check()), lines ended
// by CR LF as an edit control shows them: the verdict first, in the checker's words, with names
// in the code page's letters as the dialog shows them (Rendering::Dialog).
std::string ExplainDocument(const SettingsDocument& document, const ConfigCheck& check);

// Why Browse does not take one of the folder's own tools (`name`) as the application.
std::string FolderToolText(FolderTool tool, const std::string& name);
