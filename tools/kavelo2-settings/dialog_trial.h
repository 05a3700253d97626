// Trying the configuration with the folder's launcher while the window keeps answering. Calls
// saving (dialog_save.h) and the controls.
#pragma once

#include "tools/kavelo2-settings/dialog_save.h"

void StartTrial(SettingsSession& session);
// Notes the message boxes the launcher being tried shows, once each.
void NoteLauncherBoxes(SettingsSession& session);
void FinishTrial(SettingsSession& session);
