// The dialog edge of Kavelo2 Settings: controls to SettingsDocument and back, the file and
// program pickers, dropped files, saving with its message, and trying the launcher while the
// window keeps answering. Everything it decides comes from the document.
#include "tools/kavelo2-settings/settings_dialog.h"

#include "tools/kavelo2-config/machine_paths.h"
#include "tools/kavelo2-config/mode_notation.h"
#include "tools/kavelo2-settings/resource_ids.h"
#include "tools/kavelo2-settings/settings_document.h"
#include "tools/kavelo2-settings/settings_explain.h"

#include <commdlg.h>
#include <shellapi.h>

namespace {

constexpr const char* kCaption = "Kavelo2 Settings";
constexpr const char* kDefaultFileName = "Kavelo2.ini";
constexpr int kValueListIds[kListCount] = {IDC_WIDTHS, IDC_HEIGHTS, IDC_DEPTHS, IDC_RATES};
// The controls that save, open or try: idle while a launcher runs.
constexpr int kIdleOnlyIds[] = {IDC_TRY, IDC_SAVE, IDOK};

// The program's one record: the document, and the launcher while it is being tried.
struct SettingsSession {
  SettingsDocument document;
  HWND dialog = nullptr;
  bool showing = false;  // controls are being filled: their notifications are not edits
  HANDLE launcher = nullptr;
  std::string launcherName;
  DEVMODEA before{};
  DEVMODEA during{};
  bool switched = false;
};

SettingsSession* g_session = nullptr;

std::string DialogText(int id) {
  HWND control = GetDlgItem(g_session->dialog, id);
  int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(control, &text[0], length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

void Tell(const std::string& text, UINT icon) {
  MessageBoxA(g_session->dialog, text.c_str(), kCaption, MB_OK | icon);
}

DEVMODEA CurrentMode() {
  DEVMODEA mode;
  ZeroMemory(&mode, sizeof(mode));
  mode.dmSize = sizeof(mode);
  EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  return mode;
}

// What changes while the user edits: the title's mark, the launcher's pick and the explanation.
void ShowLive() {
  const SettingsDocument& document = g_session->document;
  ConfigCheck check = document.Check();
  SetWindowTextA(g_session->dialog, document.WindowTitle().c_str());
  SendDlgItemMessageA(g_session->dialog, IDC_MODES, LB_SETCURSEL,
                      static_cast<WPARAM>(check.selection.index), 0);
  SetDlgItemTextA(g_session->dialog, IDC_EXPLANATION, ExplainDocument(document, check).c_str());
}

void ShowDocument() {
  SettingsSession& session = *g_session;
  const SettingsDocument& document = session.document;
  session.showing = true;
  SetDlgItemTextA(session.dialog, IDC_FILE_PATH, (document.folder + document.fileName).c_str());
  SetDlgItemTextA(session.dialog, IDC_FILE_FORM, FormDescription(document).c_str());
  for (size_t list = 0; list < kListCount; ++list) {
    HWND box = GetDlgItem(session.dialog, kValueListIds[list]);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    int index = 0;
    for (const ValueChoice& choice : document.lists[list]) {
      std::string item = std::to_string(choice.value) + (choice.offered ? "" : " (not offered)");
      SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      SendMessageA(box, LB_SETSEL, choice.selected ? TRUE : FALSE, index++);
    }
  }
  CheckDlgButton(session.dialog, IDC_STRICT, document.strict ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(session.dialog, IDC_BACKDROP, document.backdrop ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(session.dialog, IDC_APPLICATION, document.application.c_str());
  session.showing = false;
  ShowLive();
}

// A file, or a folder whose Kavelo2.ini is meant, as the launcher's folder and a file name.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.empty() ? "." : path.c_str(), MAX_PATH, full, nullptr);
  std::string whole = length > 0 && length < MAX_PATH ? std::string(full, length) : path;
  if (ProbePath(whole) == PathKind::Folder) {
    folder = whole.back() == '\\' ? whole : whole + "\\";
    name = kDefaultFileName;
    return;
  }
  size_t slash = whole.find_last_of('\\');
  folder = whole.substr(0, slash + 1);
  name = whole.substr(slash + 1);
}

bool OpenPath(const std::string& path) {
  std::string folder, name, reason;
  SplitPath(path, folder, name);
  if (!g_session->document.Open(folder, name, reason)) {
    Tell(folder + name + " cannot be opened.\n\n" + reason, MB_ICONERROR);
    return false;
  }
  ShowDocument();
  return true;
}

bool SaveDocument() {
  SettingsDocument& document = g_session->document;
  SaveOutcome outcome = document.Save();
  if (!outcome.saved) {
    Tell(document.fileName + " was not saved.\n\n" + outcome.reason +
             "\n\nThe file on disk is as it was before.",
         MB_ICONERROR);
    return false;
  }
  SetDlgItemTextA(g_session->dialog, IDC_FILE_FORM, FormDescription(document).c_str());
  ShowLive();
  return true;
}

// Before the document is replaced or the window closes: true when the changes may go.
bool ChangesMayGo() {
  SettingsDocument& document = g_session->document;
  if (!document.IsChanged()) return true;
  std::string question = "Save the changes to " + document.fileName + "?";
  int answer = MessageBoxA(g_session->dialog, question.c_str(), kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDYES) return SaveDocument();
  return answer == IDNO;
}

// A common file dialog for one file: true with the chosen path.
bool PickFile(const char* filter, const std::string& folder, std::string& path) {
  char file[MAX_PATH] = "";
  OPENFILENAMEA request;
  ZeroMemory(&request, sizeof(request));
  request.lStructSize = sizeof(request);
  request.hwndOwner = g_session->dialog;
  request.lpstrFilter = filter;
  request.lpstrFile = file;
  request.nMaxFile = MAX_PATH;
  request.lpstrInitialDir = folder.c_str();
  request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&request)) return false;
  path = file;
  return true;
}

void EnableIdleControls(bool idle) {
  for (int id : kIdleOnlyIds) EnableWindow(GetDlgItem(g_session->dialog, id), idle ? TRUE : FALSE);
  HMENU menu = GetMenu(g_session->dialog);
  UINT state = MF_BYCOMMAND | (idle ? MF_ENABLED : MF_GRAYED);
  EnableMenuItem(menu, IDM_OPEN, state);
  EnableMenuItem(menu, IDM_SAVE, state);
}

// Starts the launcher that reads the file, once the file is saved; the message loop waits for
// it to end.
void StartTrial() {
  SettingsSession& session = *g_session;
  SettingsDocument& document = session.document;
  std::string why;
  std::string launcher = LauncherReading(document.Check(), document.fileName, why);
  if (launcher.empty()) {
    Tell(why + " There is no launcher to try it with.", MB_ICONWARNING);
    return;
  }
  if (ProbePath(document.folder + launcher) != PathKind::File) {
    Tell("There is no " + launcher + " in " + document.folder + " to try the configuration with.", MB_ICONWARNING);
    return;
  }
  if (document.IsChanged() && !SaveDocument()) return;
  std::string path = session.document.folder + launcher;
  std::string commandLine = "\"" + path + "\"";
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  session.before = CurrentMode();
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      session.document.folder.c_str(), &startup, &process)) {
    DWORD error = GetLastError();
    Tell(path + " cannot be started (Windows error " + std::to_string(error) + ").", MB_ICONERROR);
    return;
  }
  CloseHandle(process.hThread);
  session.launcher = process.hProcess;
  session.launcherName = launcher;
  session.switched = false;
  EnableIdleControls(false);
  SetDlgItemTextA(session.dialog, IDC_TRY_REPORT,
                  (launcher + " is running; the report follows when it ends.").c_str());
}

void FinishTrial() {
  SettingsSession& session = *g_session;
  CloseHandle(session.launcher);
  session.launcher = nullptr;
  DEVMODEA after = CurrentMode();
  std::string report = DescribeTrial(session.launcherName, session.before,
                                     session.switched ? &session.during : nullptr, after);
  SetDlgItemTextA(session.dialog, IDC_TRY_REPORT, report.c_str());
  EnableIdleControls(true);
}

void CloseWindow() {
  if (ChangesMayGo()) DestroyWindow(g_session->dialog);
}

void OnCommand(WORD id, WORD code) {
  SettingsSession& session = *g_session;
  SettingsDocument& document = session.document;
  bool idle = session.launcher == nullptr;
  for (size_t list = 0; list < kListCount; ++list) {
    if (id != kValueListIds[list] || code != LBN_SELCHANGE || session.showing) continue;
    int index = 0;
    for (ValueChoice& choice : document.lists[list]) {
      choice.selected = SendDlgItemMessageA(session.dialog, id, LB_GETSEL, index++, 0) > 0;
    }
    ShowLive();
    return;
  }
  switch (id) {
    case IDC_STRICT:
    case IDC_BACKDROP:
      if (code != BN_CLICKED) return;
      document.strict = IsDlgButtonChecked(session.dialog, IDC_STRICT) == BST_CHECKED;
      document.backdrop = IsDlgButtonChecked(session.dialog, IDC_BACKDROP) == BST_CHECKED;
      ShowLive();
      return;
    case IDC_APPLICATION:
      if (code != EN_CHANGE || session.showing) return;
      document.application = DialogText(IDC_APPLICATION);
      ShowLive();
      return;
    case IDC_BROWSE: {
      std::string path;
      if (PickFile("Programs (*.exe)\0*.exe\0All files (*.*)\0*.*\0", document.folder, path)) {
        SetDlgItemTextA(session.dialog, IDC_APPLICATION, StoredApplicationPath(document.folder, path).c_str());
      }
      return;
    }
    case IDM_OPEN: {
      std::string path;
      if (idle && ChangesMayGo() &&
          PickFile("Launcher configurations (*.ini)\0*.ini\0All files (*.*)\0*.*\0", document.folder, path)) {
        OpenPath(path);
      }
      return;
    }
    case IDC_SAVE:
    case IDM_SAVE:
      if (idle) SaveDocument();
      return;
    case IDC_TRY:
      if (idle) StartTrial();
      return;
    case IDOK:
      if (idle && (!document.IsChanged() || SaveDocument())) DestroyWindow(session.dialog);
      return;
    case IDCANCEL:
    case IDM_EXIT:
      CloseWindow();
      return;
    default:
      return;
  }
}

void OnDroppedFiles(HDROP drop) {
  char path[MAX_PATH];
  UINT length = DragQueryFileA(drop, 0, path, MAX_PATH);
  DragFinish(drop);
  if (length > 0 && length < MAX_PATH && g_session->launcher == nullptr && ChangesMayGo()) OpenPath(path);
}

INT_PTR CALLBACK SettingsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      g_session->dialog = dialog;
      HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
      HANDLE big = LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETTINGS), IMAGE_ICON, 32, 32, 0);
      HANDLE small = LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETTINGS), IMAGE_ICON, 16, 16, 0);
      SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
      SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
      DragAcceptFiles(dialog, TRUE);
      int number = 1;
      for (const DEVMODEA& mode : g_session->document.catalogue) {
        std::string item = std::to_string(number++) + ". " + FormatMode(mode);
        SendDlgItemMessageA(dialog, IDC_MODES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      }
      SetFocus(GetDlgItem(dialog, IDC_WIDTHS));
      return FALSE;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DROPFILES:
      OnDroppedFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_DISPLAYCHANGE:
      // The first switch while the launcher runs is the one it made; its restore comes later.
      if (g_session->launcher != nullptr && !g_session->switched) {
        g_session->during = CurrentMode();
        g_session->switched = true;
      }
      return FALSE;
    case WM_CLOSE:
      CloseWindow();
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int RunSettingsDialog(HINSTANCE instance, const std::string& path) {
  SettingsSession session;
  g_session = &session;
  std::string error;
  if (!session.document.ReadDisplay(error)) return 1;
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsProcedure, 0);
  if (dialog == nullptr) return 1;
  // A file that cannot be read is not replaced by an empty configuration: the program ends.
  if (!OpenPath(path)) {
    DestroyWindow(dialog);
    g_session = nullptr;
    return 1;
  }
  ShowWindow(dialog, SW_SHOWNORMAL);
  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));

  // One loop serves the window and, while a launcher is being tried, waits for it to end.
  for (;;) {
    DWORD count = session.launcher != nullptr ? 1 : 0;
    DWORD woken = MsgWaitForMultipleObjects(count, &session.launcher, FALSE, INFINITE, QS_ALLINPUT);
    if (count == 1 && woken == WAIT_OBJECT_0) {
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
      if (TranslateAcceleratorA(dialog, accelerators, &message)) continue;
      if (IsDialogMessageA(dialog, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}
