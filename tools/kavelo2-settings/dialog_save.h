// Saving from the window: the refusal, the question and the messages around the one safe save.
// Calls only the controls (dialog_session.h).
#pragma once

#include "tools/kavelo2-settings/dialog_session.h"

#include <string>

// Saves the session's document; true when its file was saved. `notDone` ends the message of a save
// that is refused or fails: what the caller then leaves undone.
bool SaveDocument(SettingsSession& session, const std::string& notDone = "");
// Saves `renamed`, the document under the name Save As chose, which the window goes on showing
// under its old name until it is saved: the machine asked about it first, then the same refusal,
// question and messages.
bool SaveRenamedDocument(const SettingsSession& session, SettingsDocument& renamed);
// Before the document is replaced or the window closes: true when the changes may go.
bool ChangesMayGo(SettingsSession& session);
