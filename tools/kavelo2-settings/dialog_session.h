// The Kavelo2 Settings window's one record, and the lowest part of the dialog's edge: the controls
// (dialog_controls.cpp) and the frame's place (dialog_placement.cpp), which use no other part.
// Above them, each part calls only those below it: saving (dialog_save.h), then files and trying
// (dialog_files.h, dialog_trial.h), then the window's loop and commands (settings_dialog.cpp),
// which owns the record and hands it to each call. Everything they decide comes from the document.
#pragma once

#include "platform/win32_api.h"
#include "tools/kavelo2-settings/resource_ids.h"
#include "tools/kavelo2-settings/settings_document.h"
#include "tools/kavelo2-settings/trial.h"

#include <string>
#include <vector>

// The window's one record: the document, and the launcher while it is being tried.
struct SettingsSession {
  SettingsDocument document;
  HWND dialog = nullptr;
  bool showing = false;  // controls are being filled: their notifications are not edits
  HANDLE launcher = nullptr;
  DWORD launcherThread = 0;  // the launcher's one thread, which shows its message boxes
  TrialOutcome trial;
  ConfigCheck tried;  // the check of the file as it was saved and tried
  HICON icons[2] = {};  // the window's large and small icon, destroyed with it
  std::vector<HWND> seenBoxes;
  HWND focusBeforeTrial = nullptr;
  std::vector<ReducedColour> colours;  // the colour list's items, as this Windows offers them
};

// The four value lists, by kListKinds.
constexpr int kValueListIds[kListCount] = {IDC_WIDTHS, IDC_HEIGHTS, IDC_DEPTHS, IDC_RATES};

// Timers of the dialog: the launcher's boxes are looked for while it is tried, and the machine is
// asked about an application path once typing has paused.
constexpr UINT_PTR kTrialTimer = 1;
constexpr UINT_PTR kAskMachineTimer = 2;

// dialog_controls.cpp: the document into the controls and back, and the boxes the window shows.
std::string DialogText(const SettingsSession& session, int id);
void Tell(const SettingsSession& session, const std::string& text, UINT icon);
bool Ask(const SettingsSession& session, const std::string& question);
void ShowDocument(SettingsSession& session);
void ShowLive(SettingsSession& session);
void ShowSelections(SettingsSession& session);
bool TakeSelections(SettingsSession& session);
void TakeLayers(SettingsSession& session);
// Asks the machine what the document now needs (the application path has settled, a file was
// saved) and shows what it found.
void AskMachineAboutDocument(SettingsSession& session);
// The last trial's report stays, under a label that says when it is about the file as it was;
// another file starts without one.
void ShowTrialLabel(const SettingsSession& session);
void ForgetTrial(SettingsSession& session);

// dialog_placement.cpp: the frame inside the work area of its monitor, centred when `centre`; a
// display change passes the screen size it announced.
void PlaceInWorkArea(HWND dialog, bool centre, LONG screenWidth = 0, LONG screenHeight = 0);
