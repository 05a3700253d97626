// Trying the configuration: the launcher that reads the file is started once the file is saved,
// the message loop waits for it while the window keeps answering, and the message boxes it shows
// are noted whenever the dialog wakes: at each tick of a fast timer, at every message (a box that
// takes the activation from the dialog wakes it at once), and once more when the launcher ends.
// Only the launcher's own thread's windows are looked at, so a look costs one short enumeration.
#include "tools/kavelo2-settings/dialog_trial.h"

#include "launcher/mode_selection.h"
#include "tools/kavelo2-settings/resource_ids.h"

#include <algorithm>
#include <cstring>

namespace {

// The platform's shortest timer: a box shown for longer than this is noted.
constexpr UINT kTrialPollMs = USER_TIMER_MINIMUM;
// The controls that save, open or try: idle while a launcher runs.
constexpr int kIdleOnlyIds[] = {IDC_TRY, IDC_SAVE, IDOK};
constexpr int kIdleOnlyMenuIds[] = {IDM_OPEN, IDM_SAVE, IDM_SAVE_AS, IDM_RESTORE_DISPLAY};

void EnableIdleControls(HWND dialog, bool idle) {
  for (int id : kIdleOnlyIds) EnableWindow(GetDlgItem(dialog, id), idle ? TRUE : FALSE);
  HMENU menu = GetMenu(dialog);
  for (int id : kIdleOnlyMenuIds) EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (idle ? MF_ENABLED : MF_GRAYED));
}

// A message box of the launcher being tried, noted once with its caption and text; `noting` is the
// session.
BOOL CALLBACK NoteLauncherBox(HWND window, LPARAM noting) {
  SettingsSession& session = *reinterpret_cast<SettingsSession*>(noting);
  char className[16] = "";
  GetClassNameA(window, className, sizeof(className));
  // A message box is a dialog with its text control, noted once it has its text, shown or not yet.
  if (std::strcmp(className, "#32770") != 0 || GetDlgItem(window, 0xFFFF) == nullptr) return TRUE;
  if (std::find(session.seenBoxes.begin(), session.seenBoxes.end(), window) != session.seenBoxes.end()) return TRUE;
  session.seenBoxes.push_back(window);
  char caption[256] = "", text[2048] = "";
  GetWindowTextA(window, caption, sizeof(caption));
  GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));  // a message box's text control
  session.trial.boxes.emplace_back(caption, text);
  return TRUE;
}

}  // namespace

void StartTrial(SettingsSession& session) {
  SettingsDocument& document = session.document;
  TakeSelections(session);
  AskMachineAboutDocument(session);
  TrialChoice choice = ChooseTrialLauncher(document);
  if (choice.kind != TrialChoice::Kind::Launcher) {
    Tell(session, TrialChoiceText(choice, document), MB_ICONWARNING);
    return;
  }
  // The launcher reads the file as saved: changes that cannot be saved are not tried.
  if (document.IsChanged() && !SaveDocument(session, "\n\n" + NothingTriedText(choice.launcher))) return;
  std::string path = document.folder + choice.launcher;
  std::string commandLine = "\"" + path + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  session.trial = TrialOf(document);
  session.trial.launcher = choice.launcher;
  session.trial.before = QueryCurrentMode();
  session.tried = document.SavedCheck();
  session.focusBeforeTrial = GetFocus();
  // Started as from the desktop: without this dialog's quiet error mode, which the launcher would
  // hand on to its application.
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                      document.folder.c_str(), &startup, &process)) {
    DWORD error = GetLastError();
    Tell(session, path + " cannot be started (Windows error " + std::to_string(error) + ").", MB_ICONERROR);
    return;
  }
  CloseHandle(process.hThread);
  session.launcher = process.hProcess;
  session.launcherThread = process.dwThreadId;
  session.seenBoxes.clear();
  EnableIdleControls(session.dialog, false);
  SetTimer(session.dialog, kTrialTimer, kTrialPollMs, nullptr);
  SetDlgItemTextA(session.dialog, IDC_TRY_REPORT_LABEL, "&Last try:");
  SetDlgItemTextA(session.dialog, IDC_TRY_REPORT, (choice.launcher + " is running; the report follows when it ends.").c_str());
}

void NoteLauncherBoxes(SettingsSession& session) {
  if (session.launcher != nullptr) {
    EnumThreadWindows(session.launcherThread, NoteLauncherBox, reinterpret_cast<LPARAM>(&session));
  }
}

void FinishTrial(SettingsSession& session) {
  KillTimer(session.dialog, kTrialTimer);
  NoteLauncherBoxes(session);
  CloseHandle(session.launcher);
  session.launcher = nullptr;
  session.trial.after = QueryCurrentMode();
  SetDlgItemTextA(session.dialog, IDC_TRY_REPORT, DescribeTrial(session.trial, session.tried).c_str());
  ShowTrialLabel(session);
  EnableIdleControls(session.dialog, true);
  // Whatever the launcher showed (its black backdrop above all) took the activation: the dialog
  // takes it back, with the control that had the focus, so that the keyboard reaches it again.
  SetForegroundWindow(session.dialog);
  HWND focus = session.focusBeforeTrial;
  SetFocus(focus != nullptr && IsWindowEnabled(focus) ? focus : GetDlgItem(session.dialog, IDC_TRY));
}
