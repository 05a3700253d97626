// The Kavelo2 Settings window's one record, and what the parts of the dialog edge offer each
// other: control sync (dialog_controls.cpp), placement (dialog_placement.cpp), files and help
// (dialog_files.cpp), the save flow (dialog_save.cpp) and the trial runner (dialog_trial.cpp).
// The message loop and the commands are settings_dialog.cpp's. Everything they decide comes from
// the document.
#pragma once

#include "platform/win32_api.h"
#include "tools/kavelo2-settings/settings_document.h"
#include "tools/kavelo2-settings/trial.h"

#include <shellapi.h>

#include <string>
#include <vector>

// The program's one record: the document, and the launcher while it is being tried.
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

// The session of the running dialog.
SettingsSession& Session();

// Timers of the dialog: the launcher's boxes are looked for while it is tried, and the machine is
// asked about an application path once typing has paused.
constexpr UINT_PTR kTrialTimer = 1;
constexpr UINT_PTR kAskMachineTimer = 2;

// dialog_controls.cpp: the document into the controls and back.
std::string DialogText(int id);
void Tell(const std::string& text, UINT icon);
bool Ask(const std::string& question);
void ShowDocument();
void ShowLive();
void ShowSelections();
bool TakeSelections();
void ShowLayers();
void TakeLayers();
// Asks the machine what the document now needs (the application path has settled, a file was
// saved) and shows what it found.
void AskMachineAboutDocument();

// dialog_placement.cpp: the frame inside the work area of its monitor, centred when `centre`; a
// display change passes the screen size it announced.
void PlaceInWorkArea(bool centre, LONG screenWidth = 0, LONG screenHeight = 0);

// dialog_files.cpp: files, pickers, dropped files and help.
bool OpenPath(const std::string& path);
// A path whose name this Windows' code page cannot spell (as the code page gives it): says so, and
// starts an empty document under that name, which no save can write there.
void OpenUnspellablePath(const std::string& path);
void SplitPath(const std::string& path, std::string& folder, std::string& name, std::vector<std::string>& launchers);
bool PickFile(bool save, const char* filter, const std::string& folder, std::string& path);
void OnDroppedFiles(HDROP drop);
void OpenGuide();
void ShowAbout();

// dialog_save.cpp: saving with its questions and messages.
bool SaveDocument();
bool ChangesMayGo();
void SaveAs();

// dialog_trial.cpp: trying the launcher while the window keeps answering.
void StartTrial();
void NoteLauncherBoxes();
void FinishTrial();
// The report of the last trial, under a label that says when it is about the file as it was.
void ShowTrialReport();
// An opened file starts without a report.
void ForgetTrial();
