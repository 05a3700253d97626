// Files the window opens and picks: the configuration, Save As, dropped files, the application
// Browse picks, and help. Calls saving (dialog_save.h) and the controls.
#pragma once

#include "tools/kavelo2-settings/dialog_save.h"

#include <shellapi.h>

#include <string>

// Opens a configuration (a file, or a folder whose launcher's file is meant) and shows it, without
// the last trial's report; false, said in a box, when it cannot be read.
bool OpenPath(SettingsSession& session, const std::string& path);
// A path whose name this Windows' code page cannot spell (as the code page gives it): says so, and
// starts an empty document under that name, which no save can write there.
void OpenUnspellablePath(SettingsSession& session, const std::string& path);
// File > Open, after the changes may go.
void OpenPicked(SettingsSession& session);
void SaveAs(SettingsSession& session);
void OnDroppedFiles(SettingsSession& session, HDROP drop);
// Browse: a program for the launcher to start, written into the Application field; the folder's
// own tools are refused.
void BrowseForApplication(SettingsSession& session);
void OpenGuide(const SettingsSession& session);
void ShowAbout(const SettingsSession& session);
