// The Kavelo2 Settings window: the dialog from the resource script, its commands and its one
// message loop, which also waits for a launcher being tried. It owns the window's record and hands
// it to the parts below (dialog_session.h); everything they decide comes from the document.
#include "tools/kavelo2-settings/settings_dialog.h"

#include "tools/kavelo2-settings/dialog_files.h"
#include "tools/kavelo2-settings/dialog_trial.h"
#include "tools/kavelo2-settings/resource_ids.h"
#include "tools/machine/ansi_spelling.h"
#include "tools/machine/display.h"
#include "tools/machine/files.h"
#include "tools/model/mode_notation.h"
#include "tools/model/restore_text.h"

#include <algorithm>
#include <iterator>

namespace {

// An application path is settled, and the machine asked about it, once typing has paused this
// long (or the field is left).
constexpr UINT kAskMachineMs = 500;

// The session of the running window, for its dialog procedure, which Windows calls without it.
SettingsSession* g_session = nullptr;

// Display > Put the display back: the mode stored in Windows' settings again, as after a
// launcher that was ended by force. While a launcher runs, the mode is its application's: only
// when the user says so all the same.
void RestoreTheDisplay(const SettingsSession& session) {
  RestoreHold hold = RestoreHoldNow();
  if (hold != RestoreHold::None && !Ask(session, RestoreAnywayQuestion(hold))) return;
  RestoreOutcome outcome = RestoreDisplay(hold);
  Tell(session, RestoreMessage(outcome), BackInRegistryMode(outcome) ? MB_ICONINFORMATION : MB_ICONWARNING);
}

// Closing while a launcher is being tried leaves it running and loses its report: asked first,
// and nothing is saved then.
void CloseWindow(SettingsSession& session) {
  if (session.launcher != nullptr) {
    if (Ask(session, ClosingDuringTrialText(session.trial, session.document))) DestroyWindow(session.dialog);
    return;
  }
  if (ChangesMayGo(session)) DestroyWindow(session.dialog);
}

// The buttons and menu items that only call their action; some of them only while no launcher is
// being tried.
struct Command {
  WORD id;
  bool idleOnly;
  void (*run)(SettingsSession& session);
};
constexpr Command kCommands[] = {
    {IDM_RESTORE_DISPLAY, true, [](SettingsSession& session) { RestoreTheDisplay(session); }},
    {IDC_BROWSE, false, BrowseForApplication},
    {IDM_OPEN, true, OpenPicked},
    {IDC_SAVE, true, [](SettingsSession& session) { SaveDocument(session); }},
    {IDM_SAVE, true, [](SettingsSession& session) { SaveDocument(session); }},
    {IDM_SAVE_AS, true, SaveAs},
    {IDC_TRY, true, StartTrial},
    {IDM_GUIDE, false, [](SettingsSession& session) { OpenGuide(session); }},
    {IDM_ABOUT, false, [](SettingsSession& session) { ShowAbout(session); }},
};

void OnCommand(SettingsSession& session, WORD id, WORD code) {
  SettingsDocument& document = session.document;
  bool idle = session.launcher == nullptr;
  if (code == LBN_SELCHANGE && std::count(std::begin(kValueListIds), std::end(kValueListIds), id) > 0) {
    TakeSelections(session);
    return;
  }
  switch (id) {
    case IDC_MODES: {
      // Picking a mode selects its width, height, depth and rate, so that the launcher picks it.
      LRESULT index = SendDlgItemMessageA(session.dialog, IDC_MODES, LB_GETCURSEL, 0, 0);
      if (code != LBN_SELCHANGE || session.showing || index < 0) return;
      document.PickMode(static_cast<size_t>(index));
      ShowSelections(session);
      ShowLive(session);
      return;
    }
    case IDC_STRICT:
    case IDC_BACKDROP:
    case IDC_WAIT_ALL:
      if (code != BN_CLICKED) return;
      document.strict = IsDlgButtonChecked(session.dialog, IDC_STRICT) == BST_CHECKED;
      document.backdrop = IsDlgButtonChecked(session.dialog, IDC_BACKDROP) == BST_CHECKED;
      document.waitAll = IsDlgButtonChecked(session.dialog, IDC_WAIT_ALL) == BST_CHECKED;
      ShowLive(session);
      return;
    case IDC_APPLICATION:
      // Each keystroke is judged at once without asking the machine; what the machine holds for
      // the path is asked when typing pauses or the field is left.
      if (code == EN_CHANGE && !session.showing) {
        document.application = DialogText(session, IDC_APPLICATION);
        ShowLive(session);
        SetTimer(session.dialog, kAskMachineTimer, kAskMachineMs, nullptr);
      } else if (code == EN_KILLFOCUS) {
        AskMachineAboutDocument(session);
      }
      return;
    case IDC_COLOUR:
      if (code == CBN_SELCHANGE && !session.showing) TakeLayers(session);
      return;
    case IDC_RUN_640X480:
    case IDC_NO_FULL_SCREEN_OPTIMISATIONS:
      if (code == BN_CLICKED && !session.showing) TakeLayers(session);
      return;
    case IDOK:
      TakeSelections(session);
      if (!idle) {
        CloseWindow(session);  // which saves nothing while the launcher runs
      } else if (!document.IsChanged() || SaveDocument(session)) {
        DestroyWindow(session.dialog);
      }
      return;
    case IDCANCEL:
    case IDM_EXIT:
      CloseWindow(session);
      return;
    default:
      for (const Command& command : kCommands) {
        if (command.id == id && (idle || !command.idleOnly)) command.run(session);
      }
      return;
  }
}

INT_PTR CALLBACK SettingsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  SettingsSession& session = *g_session;
  switch (message) {
    case WM_INITDIALOG: {
      session.dialog = dialog;
      HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
      HICON* icons = session.icons;
      icons[0] = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETTINGS), IMAGE_ICON, 32, 32, 0));
      icons[1] = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETTINGS), IMAGE_ICON, 16, 16, 0));
      SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons[0]));
      SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons[1]));
      DragAcceptFiles(dialog, TRUE);
      int number = 1;
      for (const DEVMODEA& mode : session.document.catalogue) {
        std::string item = std::to_string(number++) + ". " + FormatMode(mode);
        SendDlgItemMessageA(dialog, IDC_MODES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      }
      PlaceInWorkArea(dialog, true);
      SetFocus(GetDlgItem(dialog, IDC_WIDTHS));
      return FALSE;
    }
    case WM_COMMAND:
      OnCommand(session, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DROPFILES:
      OnDroppedFiles(session, reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_TIMER:
      if (wParam == kTrialTimer) NoteLauncherBoxes(session);
      if (wParam == kAskMachineTimer) AskMachineAboutDocument(session);
      return TRUE;
    case WM_DISPLAYCHANGE:
      // The first switch while the launcher runs is the one it made; its restore comes later.
      // The message names the new size and depth: a query made when it is handled may already
      // see a later change.
      if (session.launcher != nullptr && !session.trial.switched) {
        DEVMODEA& during = session.trial.during;
        during = QueryCurrentMode();
        during.dmBitsPerPel = static_cast<DWORD>(wParam);
        during.dmPelsWidth = LOWORD(lParam);
        during.dmPelsHeight = HIWORD(lParam);
        session.trial.switched = true;
      }
      PlaceInWorkArea(dialog, false, LOWORD(lParam), HIWORD(lParam));
      return FALSE;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) PlaceInWorkArea(dialog, false);
      return FALSE;
    case WM_CLOSE:
      CloseWindow(session);
      return TRUE;
    case WM_DESTROY:
      // The window no longer shows its icons once it is gone; they were loaded for it alone.
      for (HICON& icon : session.icons) {
        if (icon != nullptr) DestroyIcon(icon);
        icon = nullptr;
      }
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int RunSettingsDialog(HINSTANCE instance, const std::string& path, bool pathSpelt) {
  QuietEmptyDrives();
  SettingsSession session;
  g_session = &session;
  session.document.ReadDisplay();
  session.document.codePage = AnsiCodePage();
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsProcedure, 0);
  if (dialog == nullptr) return 1;
  // A name the code page cannot spell is said so, and the dialog stays, with a document that
  // cannot be saved there, to open another file. Any other file that cannot be read is not
  // replaced by an empty configuration: the program ends. Either box stands on its own, since the
  // window is not shown yet.
  if (!pathSpelt) {
    OpenUnspellablePath(session, path);
  } else if (!OpenPath(session, path)) {
    DestroyWindow(dialog);
    g_session = nullptr;
    return 1;
  }
  ShowWindow(dialog, SW_SHOWNORMAL);
  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));

  // One loop serves the window and, while a launcher is being tried, waits for it to end.
  for (;;) {
    if (AwaitDialogWork(session.launcher) == DialogWake::TrialEnded) {
      FinishTrial(session);
      continue;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        if (session.launcher != nullptr) CloseHandle(session.launcher);
        g_session = nullptr;
        return static_cast<int>(message.wParam);
      }
      // A key or click in a value list may change its selection without a notification yet:
      // the document takes it before anything else reads it.
      bool toList = std::any_of(std::begin(kValueListIds), std::end(kValueListIds),
                                [&](int id) { return message.hwnd == GetDlgItem(dialog, id); });
      if (!TranslateAcceleratorA(dialog, accelerators, &message) && !IsDialogMessageA(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      if (toList) TakeSelections(session);
    }
    // A box of the launcher that takes the activation wakes the dialog: it is noted at once.
    NoteLauncherBoxes(session);
  }
}
