// Saving from the window: the refusal, the question and the messages around the one safe save.
// Calls only the controls (dialog_session.h).
#pragma once

#include "tools/kavelo2-settings/dialog_session.h"

// Saves the session's document; true when its file was saved.
bool SaveDocument(SettingsSession& session);
// Before the document is replaced or the window closes: true when the changes may go.
bool ChangesMayGo(SettingsSession& session);
