// The Kavelo2 Settings window: the dialog from the resource script, its commands and its one
// message loop, which also waits for a launcher being tried. The rest of the edge is in the
// dialog_*.cpp files (dialog_session.h); everything it decides comes from the document.
#include "tools/kavelo2-settings/settings_dialog.h"

#include "tools/kavelo2-settings/dialog_session.h"
#include "tools/kavelo2-settings/resource_ids.h"
#include "tools/kavelo2-settings/trial.h"
#include "tools/machine/display.h"
#include "tools/machine/files.h"
#include "tools/model/mode_notation.h"
#include "tools/model/restore_text.h"


namespace {

constexpr int kValueListIds[kListCount] = {IDC_WIDTHS, IDC_HEIGHTS, IDC_DEPTHS, IDC_RATES};
// An application path is settled, and the machine asked about it, once typing has paused this
// long (or the field is left).
constexpr UINT kAskMachineMs = 500;
constexpr const char* kProgramFilter = "Programs (*.exe)\0*.exe\0All files (*.*)\0*.*\0";
constexpr const char* kConfigurationFilter = "Launcher configurations (*.ini)\0*.ini\0All files (*.*)\0*.*\0";

SettingsSession* g_session = nullptr;

// Display > Put the display back: the mode stored in Windows' settings again, as after a
// launcher that was ended by force. While a launcher runs, the mode is its application's: only
// when the user says so all the same.
void RestoreTheDisplay() {
  RestoreHold hold = RestoreHoldNow();
  if (hold != RestoreHold::None && !Ask(RestoreAnywayQuestion(hold))) return;
  RestoreOutcome outcome = RestoreDisplay(hold);
  Tell(RestoreMessage(outcome), BackInRegistryMode(outcome) ? MB_ICONINFORMATION : MB_ICONWARNING);
}

// Closing while a launcher is being tried leaves it running and loses its report: asked first,
// and nothing is saved then.
void CloseWindow() {
  SettingsSession& session = Session();
  if (session.launcher != nullptr) {
    if (Ask(ClosingDuringTrialText(session.trial, session.document))) DestroyWindow(session.dialog);
    return;
  }
  if (ChangesMayGo()) DestroyWindow(session.dialog);
}

void OnCommand(WORD id, WORD code) {
  SettingsSession& session = Session();
  SettingsDocument& document = session.document;
  bool idle = session.launcher == nullptr;
  for (int list : kValueListIds) {
    if (id == list && code == LBN_SELCHANGE) {
      TakeSelections();
      return;
    }
  }
  switch (id) {
    case IDC_MODES: {
      // Picking a mode selects its width, height, depth and rate, so that the launcher picks it.
      LRESULT index = SendDlgItemMessageA(session.dialog, IDC_MODES, LB_GETCURSEL, 0, 0);
      if (code != LBN_SELCHANGE || session.showing || index < 0) return;
      document.PickMode(static_cast<size_t>(index));
      ShowSelections();
      ShowLive();
      return;
    }
    case IDC_STRICT:
    case IDC_BACKDROP:
    case IDC_WAIT_ALL:
      if (code != BN_CLICKED) return;
      document.strict = IsDlgButtonChecked(session.dialog, IDC_STRICT) == BST_CHECKED;
      document.backdrop = IsDlgButtonChecked(session.dialog, IDC_BACKDROP) == BST_CHECKED;
      document.waitAll = IsDlgButtonChecked(session.dialog, IDC_WAIT_ALL) == BST_CHECKED;
      ShowLive();
      return;
    case IDC_APPLICATION:
      // Each keystroke is judged at once without asking the machine; what the machine holds for
      // the path is asked when typing pauses or the field is left.
      if (code == EN_CHANGE && !session.showing) {
        document.application = DialogText(IDC_APPLICATION);
        ShowLive();
        SetTimer(session.dialog, kAskMachineTimer, kAskMachineMs, nullptr);
      } else if (code == EN_KILLFOCUS) {
        AskMachineAboutDocument();
      }
      return;
    case IDC_COLOUR:
      if (code == CBN_SELCHANGE && !session.showing) TakeLayers();
      return;
    case IDC_RUN_640X480:
    case IDC_NO_FULL_SCREEN_OPTIMISATIONS:
      if (code == BN_CLICKED && !session.showing) TakeLayers();
      return;
    case IDM_RESTORE_DISPLAY:
      if (idle) RestoreTheDisplay();
      return;
    case IDC_BROWSE: {
      std::string path;
      if (PickFile(false, kProgramFilter, document.folder, path)) {
        SetDlgItemTextA(session.dialog, IDC_APPLICATION, PathValueFor(document.folder, path).c_str());
        AskMachineAboutDocument();
      }
      return;
    }
    case IDM_OPEN: {
      std::string path;
      if (idle && ChangesMayGo() && PickFile(false, kConfigurationFilter, document.folder, path) && OpenPath(path)) {
        ForgetTrial();
      }
      return;
    }
    case IDC_SAVE:
    case IDM_SAVE:
      if (idle) SaveDocument();
      return;
    case IDM_SAVE_AS:
      if (idle) SaveAs();
      return;
    case IDC_TRY:
      if (idle) StartTrial();
      return;
    case IDM_GUIDE:
      OpenGuide();
      return;
    case IDM_ABOUT:
      ShowAbout();
      return;
    case IDOK:
      TakeSelections();
      if (!idle) {
        CloseWindow();  // which saves nothing while the launcher runs
      } else if (!document.IsChanged() || SaveDocument()) {
        DestroyWindow(session.dialog);
      }
      return;
    case IDCANCEL:
    case IDM_EXIT:
      CloseWindow();
      return;
    default:
      return;
  }
}

INT_PTR CALLBACK SettingsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      Session().dialog = dialog;
      HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
      HICON* icons = Session().icons;
      icons[0] = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETTINGS), IMAGE_ICON, 32, 32, 0));
      icons[1] = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETTINGS), IMAGE_ICON, 16, 16, 0));
      SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons[0]));
      SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons[1]));
      DragAcceptFiles(dialog, TRUE);
      int number = 1;
      for (const DEVMODEA& mode : Session().document.catalogue) {
        std::string item = std::to_string(number++) + ". " + FormatMode(mode);
        SendDlgItemMessageA(dialog, IDC_MODES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      }
      PlaceInWorkArea(true);
      SetFocus(GetDlgItem(dialog, IDC_WIDTHS));
      return FALSE;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DROPFILES:
      OnDroppedFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_TIMER:
      if (wParam == kTrialTimer && Session().launcher != nullptr) NoteLauncherBoxes();
      if (wParam == kAskMachineTimer) AskMachineAboutDocument();
      return TRUE;
    case WM_DISPLAYCHANGE:
      // The first switch while the launcher runs is the one it made; its restore comes later.
      // The message names the new size and depth: a query made when it is handled may already
      // see a later change.
      if (Session().launcher != nullptr && !Session().trial.switched) {
        DEVMODEA& during = Session().trial.during;
        during = QueryCurrentMode();
        during.dmBitsPerPel = static_cast<DWORD>(wParam);
        during.dmPelsWidth = LOWORD(lParam);
        during.dmPelsHeight = HIWORD(lParam);
        Session().trial.switched = true;
      }
      PlaceInWorkArea(false, LOWORD(lParam), HIWORD(lParam));
      return FALSE;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) PlaceInWorkArea(false);
      return FALSE;
    case WM_CLOSE:
      CloseWindow();
      return TRUE;
    case WM_DESTROY:
      // The window no longer shows its icons once it is gone; they were loaded for it alone.
      for (HICON& icon : Session().icons) {
        if (icon != nullptr) DestroyIcon(icon);
        icon = nullptr;
      }
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

bool IsValueList(HWND window) {
  for (int id : kValueListIds) {
    if (window == GetDlgItem(Session().dialog, id)) return true;
  }
  return false;
}

}  // namespace

SettingsSession& Session() { return *g_session; }

int RunSettingsDialog(HINSTANCE instance, const std::string& path, bool pathSpelt) {
  QuietEmptyDrives();
  SettingsSession session;
  g_session = &session;
  session.document.ReadDisplay();
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsProcedure, 0);
  if (dialog == nullptr) return 1;
  // A name the code page cannot spell is said so, and the dialog stays, with a document that
  // cannot be saved there, to open another file. Any other file that cannot be read is not
  // replaced by an empty configuration: the program ends. Either box stands on its own, since the
  // window is not shown yet.
  if (!pathSpelt) {
    OpenUnspellablePath(path);
  } else if (!OpenPath(path)) {
    DestroyWindow(dialog);
    g_session = nullptr;
    return 1;
  }
  ShowWindow(dialog, SW_SHOWNORMAL);
  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));

  // One loop serves the window and, while a launcher is being tried, waits for it to end.
  for (;;) {
    if (AwaitDialogWork(session.launcher) == DialogWake::TrialEnded) {
      FinishTrial();
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
      bool toList = IsValueList(message.hwnd);
      if (!TranslateAcceleratorA(dialog, accelerators, &message) && !IsDialogMessageA(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      if (toList) TakeSelections();
    }
    // A box of the launcher that takes the activation wakes the dialog: it is noted at once.
    NoteLauncherBoxes();
  }
}
