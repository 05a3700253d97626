// Saving from the window: the refusal, the question and the messages around the one safe save.
// Calls only the controls (dialog_session.h).
#pragma once

#include "tools/kavelo2-settings/dialog_session.h"

#include <string>

// Saves the session's document; true when its file was saved. `notDone` ends the message of a save
// that is refused or fails: what the caller then leaves undone.
bool SaveDocument(SettingsSession& session, const std::string& notDone = "");
// Saves `document`, whose machine was asked, unless it is refused or the user says no: the refusal,
// question and messages of every save. Save As saves through it the document under the name it
// chose, which the window goes on showing under its old name until it is saved.
bool SaveWithItsQuestions(const SettingsSession& session, SettingsDocument& document, const std::string& notDone = "");
// Before the document is replaced or the window closes: true when the changes may go.
bool ChangesMayGo(SettingsSession& session);
