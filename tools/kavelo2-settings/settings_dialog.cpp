// The dialog edge of Kavelo2 Settings: controls to SettingsDocument and back, the file and
// program pickers, dropped files, saving with its questions and messages, and trying the launcher
// while the window keeps answering. Everything it decides comes from the document.
#include "tools/kavelo2-settings/settings_dialog.h"

#include "tools/model/layers_text.h"
#include "tools/model/restore_text.h"
#include "tools/machine/files.h"
#include "tools/model/mode_notation.h"
#include "tools/machine/display.h"
#include "tools/kavelo2-settings/program_files.h"
#include "tools/kavelo2-settings/resource_ids.h"
#include "tools/kavelo2-settings/settings_document.h"
#include "tools/kavelo2-settings/settings_explain.h"
#include "tools/kavelo2-settings/version_block.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>

namespace {

constexpr const char* kCaption = "Kavelo2 Settings";
constexpr const char* kGuideName = "user-guide.txt";
constexpr int kValueListIds[kListCount] = {IDC_WIDTHS, IDC_HEIGHTS, IDC_DEPTHS, IDC_RATES};
// The controls that save, open or try: idle while a launcher runs.
constexpr int kIdleOnlyIds[] = {IDC_TRY, IDC_SAVE, IDOK};
constexpr int kIdleOnlyMenuIds[] = {IDM_OPEN, IDM_SAVE, IDM_SAVE_AS, IDM_RESTORE_DISPLAY};

// The reduced colour modes the colour list offers, with their layers.
struct ColourChoice {
  ReducedColour colour;
  AppLayer layer;
  const char* text;
};
constexpr ColourChoice kColourChoices[] = {
    {ReducedColour::EightBit, AppLayer::Colour256, "8-bit (256 colours)"},
    {ReducedColour::SixteenBit, AppLayer::Colour16Bit, "16-bit (65536 colours)"},
};
// While a launcher is tried, its message boxes are looked for this often.
constexpr UINT_PTR kTrialTimer = 1;
constexpr UINT kTrialPollMs = 50;

// The program's one record: the document, and the launcher while it is being tried.
struct SettingsSession {
  SettingsDocument document;
  HWND dialog = nullptr;
  bool showing = false;  // controls are being filled: their notifications are not edits
  HANDLE launcher = nullptr;
  DWORD launcherId = 0;
  TrialOutcome trial;
  std::vector<HWND> seenBoxes;
  HWND focusBeforeTrial = nullptr;
  std::vector<ReducedColour> colours;  // the colour list's items, as this Windows offers them
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

bool Ask(const std::string& question) {
  return MessageBoxA(g_session->dialog, question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

DEVMODEA CurrentMode() {
  DEVMODEA mode;
  ZeroMemory(&mode, sizeof(mode));
  mode.dmSize = sizeof(mode);
  EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  return mode;
}

// Keeps the whole frame inside the work area, whatever size the screen has now: centred when it
// opens, moved back in when the display or the task bar changes under it. A display change tells
// the new size before the work area follows it.
void PlaceInWorkArea(bool centre, LONG screenWidth = 0, LONG screenHeight = 0) {
  RECT area, frame;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  if (screenWidth > 0 && area.right > screenWidth) area.right = screenWidth;
  if (screenHeight > 0 && area.bottom > screenHeight) area.bottom = screenHeight;
  GetWindowRect(g_session->dialog, &frame);
  LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
  LONG left = centre ? area.left + (area.right - area.left - width) / 2 : frame.left;
  LONG top = centre ? area.top + (area.bottom - area.top - height) / 2 : frame.top;
  if (left + width > area.right) left = area.right - width;
  if (top + height > area.bottom) top = area.bottom - height;
  if (left < area.left) left = area.left;
  if (top < area.top) top = area.top;
  SetWindowPos(g_session->dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// What changes while the user edits: the title's mark, the launcher's pick and the explanation.
void ShowLive() {
  const SettingsDocument& document = g_session->document;
  ConfigCheck check = document.Check();
  SetWindowTextA(g_session->dialog, document.WindowTitle().c_str());
  SendDlgItemMessageA(g_session->dialog, IDC_MODES, LB_SETCURSEL, static_cast<WPARAM>(check.selection.index), 0);
  SetDlgItemTextA(g_session->dialog, IDC_EXPLANATION, ExplainDocument(document, check).c_str());
}

// The four value lists' selections as the document holds them, each with its caret on its first
// selected value, where the keyboard starts.
void ShowSelections() {
  SettingsSession& session = *g_session;
  session.showing = true;
  for (size_t list = 0; list < kListCount; ++list) {
    int index = 0, caret = -1;
    for (const ValueChoice& choice : session.document.lists[list]) {
      if (choice.selected && caret < 0) caret = index;
      SendDlgItemMessageA(session.dialog, kValueListIds[list], LB_SETSEL, choice.selected ? TRUE : FALSE, index++);
    }
    SendDlgItemMessageA(session.dialog, kValueListIds[list], LB_SETCARETINDEX, static_cast<WPARAM>(caret < 0 ? 0 : caret),
                        FALSE);
  }
  session.showing = false;
}

// Takes into the document whatever the value lists show selected, however it came about (mouse,
// arrows, Space, Shift or Ctrl): true when that changed anything.
bool TakeSelections() {
  SettingsSession& session = *g_session;
  if (session.showing) return false;
  bool changed = false;
  for (size_t list = 0; list < kListCount; ++list) {
    int index = 0;
    for (ValueChoice& choice : session.document.lists[list]) {
      bool selected = SendDlgItemMessageA(session.dialog, kValueListIds[list], LB_GETSEL, index++, 0) > 0;
      changed = changed || selected != choice.selected;
      choice.selected = selected;
    }
  }
  if (changed) ShowLive();
  return changed;
}

// The group "The application on this computer": the application's settings as the document
// holds them, offered as far as this Windows version has them and Windows applies them there.
void ShowLayers() {
  SettingsSession& session = *g_session;
  const SettingsDocument& document = session.document;
  session.showing = true;
  HWND colours = GetDlgItem(session.dialog, IDC_COLOUR);
  SendMessageA(colours, CB_RESETCONTENT, 0, 0);
  session.colours = {ReducedColour::Off};
  SendMessageA(colours, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Off"));
  for (const ColourChoice& choice : kColourChoices) {
    if (!LayerOffered(choice.layer, document.windows) && document.layers.reducedColour != choice.colour) continue;
    session.colours.push_back(choice.colour);
    SendMessageA(colours, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.text));
  }
  for (size_t index = 0; index < session.colours.size(); ++index) {
    if (session.colours[index] == document.layers.reducedColour) SendMessageA(colours, CB_SETCURSEL, index, 0);
  }
  CheckDlgButton(session.dialog, IDC_RUN_640X480, document.layers.run640x480 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(session.dialog, IDC_NO_FULL_SCREEN_OPTIMISATIONS,
                 document.layers.noFullScreenOptimisations ? BST_CHECKED : BST_UNCHECKED);
  bool apply = document.LayersApply();
  EnableWindow(colours, apply ? TRUE : FALSE);
  EnableWindow(GetDlgItem(session.dialog, IDC_RUN_640X480), apply ? TRUE : FALSE);
  bool fullScreen = apply && LayerOffered(AppLayer::NoFullScreenOptimisations, document.windows);
  EnableWindow(GetDlgItem(session.dialog, IDC_NO_FULL_SCREEN_OPTIMISATIONS), fullScreen ? TRUE : FALSE);
  std::string note = "For " + document.layersPath + ", for this user: " + LayersText(document.layersRead) + ".";
  SetDlgItemTextA(session.dialog, IDC_LAYERS_NOTE, note.c_str());
  session.showing = false;
}

// The group's controls into the document.
void TakeLayers() {
  SettingsSession& session = *g_session;
  AppLayerSettings& layers = session.document.layers;
  LRESULT colour = SendDlgItemMessageA(session.dialog, IDC_COLOUR, CB_GETCURSEL, 0, 0);
  if (colour >= 0 && static_cast<size_t>(colour) < session.colours.size()) {
    layers.reducedColour = session.colours[static_cast<size_t>(colour)];
  }
  layers.run640x480 = IsDlgButtonChecked(session.dialog, IDC_RUN_640X480) == BST_CHECKED;
  layers.noFullScreenOptimisations = IsDlgButtonChecked(session.dialog, IDC_NO_FULL_SCREEN_OPTIMISATIONS) == BST_CHECKED;
  ShowLive();
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
    for (const ValueChoice& choice : document.lists[list]) {
      std::string item = std::to_string(choice.value) + (choice.offered ? "" : " (not offered)");
      SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
  }
  CheckDlgButton(session.dialog, IDC_STRICT, document.strict ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(session.dialog, IDC_BACKDROP, document.backdrop ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(session.dialog, IDC_APPLICATION, document.application.c_str());
  session.showing = false;
  ShowSelections();
  ShowLayers();
  ShowLive();
}

// A file, or a folder in which the file its launcher reads is meant, as a folder and a name.
void SplitPath(const std::string& path, std::string& folder, std::string& name, std::vector<std::string>& launchers) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.empty() ? "." : path.c_str(), MAX_PATH, full, nullptr);
  std::string whole = length > 0 && length < MAX_PATH ? std::string(full, length) : path;
  bool isFolder = ProbePath(whole) == PathKind::Folder;
  size_t slash = whole.find_last_of('\\');
  folder = isFolder ? (whole.back() == '\\' ? whole : whole + "\\") : whole.substr(0, slash + 1);
  launchers = LaunchersIn(folder);
  name = isFolder ? LauncherFolder{folder, launchers, ProbePath}.DefaultFile() : whole.substr(slash + 1);
}

bool OpenPath(const std::string& path) {
  std::string folder, name, reason;
  std::vector<std::string> launchers;
  SplitPath(path, folder, name, launchers);
  if (!g_session->document.Open(folder, name, reason)) {
    Tell(folder + name + " cannot be opened.\n\n" + reason, MB_ICONERROR);
    return false;
  }
  g_session->document.launchers = launchers;
  ShowDocument();
  return true;
}

bool SaveDocument() {
  SettingsDocument& document = g_session->document;
  TakeSelections();
  std::string question = document.SaveQuestion();
  if (!question.empty() && !Ask(question)) return false;
  SaveOutcome outcome = document.Save();
  if (!outcome.saved) {
    Tell(document.fileName + " was not saved.\n\n" + outcome.reason + "\n\nThe file on disk is as it was before.",
         MB_ICONERROR);
    return false;
  }
  SetDlgItemTextA(g_session->dialog, IDC_FILE_FORM, FormDescription(document).c_str());
  // The application's own settings go with the file; a refusal is said, and they stay changed.
  bool layersSaved = true;
  if (document.LayersChanged()) {
    LayerWriteOutcome layers = document.SaveLayers();
    layersSaved = layers.result == LayerWriteOutcome::Result::Written ||
                  layers.result == LayerWriteOutcome::Result::Removed;
    if (!layersSaved) {
      Tell(document.fileName + " was saved.\n\n" + LayerOutcomeText(layers, document.layersPath), MB_ICONWARNING);
    }
    ShowLayers();
  }
  ShowLive();
  return layersSaved;
}

// Before the document is replaced or the window closes: true when the changes may go.
bool ChangesMayGo() {
  SettingsDocument& document = g_session->document;
  TakeSelections();
  if (!document.IsChanged()) return true;
  std::string question = "Save the changes to " + document.fileName + "?";
  int answer = MessageBoxA(g_session->dialog, question.c_str(), kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDYES) return SaveDocument();
  return answer == IDNO;
}

// A common file dialog for one file: true with the chosen path.
bool PickFile(bool save, const char* filter, const std::string& folder, std::string& path) {
  char file[MAX_PATH] = "";
  if (save) g_session->document.fileName.copy(file, MAX_PATH - 1);
  OPENFILENAMEA request;
  ZeroMemory(&request, sizeof(request));
  request.lStructSize = sizeof(request);
  request.hwndOwner = g_session->dialog;
  request.lpstrFilter = filter;
  request.lpstrFile = file;
  request.nMaxFile = MAX_PATH;
  request.lpstrInitialDir = folder.c_str();
  request.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                  (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if (!(save ? GetSaveFileNameA(&request) : GetOpenFileNameA(&request))) return false;
  path = file;
  return true;
}

// Save As: the same save, under the name chosen; the document stays with its old name when it
// fails.
void SaveAs() {
  SettingsDocument& document = g_session->document;
  std::string path;
  if (!PickFile(true, "Launcher configurations (*.ini)\0*.ini\0All files (*.*)\0*.*\0", document.folder, path)) {
    return;
  }
  SettingsDocument before = document;
  std::vector<std::string> launchers;
  SplitPath(path, document.folder, document.fileName, launchers);
  document.launchers = launchers;
  if (ProbePath(path) != PathKind::File) document.form = FileForm::Missing;
  if (!SaveDocument()) {
    document = before;
    return;
  }
  ShowDocument();
}

void EnableIdleControls(bool idle) {
  for (int id : kIdleOnlyIds) EnableWindow(GetDlgItem(g_session->dialog, id), idle ? TRUE : FALSE);
  HMENU menu = GetMenu(g_session->dialog);
  for (int id : kIdleOnlyMenuIds) EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (idle ? MF_ENABLED : MF_GRAYED));
}

// Starts the launcher that reads the file, once it exists and the file is saved; the message
// loop waits for it to end, and a timer notes the message boxes it shows.
void StartTrial() {
  SettingsSession& session = *g_session;
  SettingsDocument& document = session.document;
  TakeSelections();
  std::string why;
  std::string launcher = TrialLauncher(document, why);
  if (launcher.empty()) {
    Tell(why, MB_ICONWARNING);
    return;
  }
  if (ProbePath(document.folder + launcher) != PathKind::File) {
    Tell("There is no " + launcher + " in " + document.folder + " to try the configuration with.", MB_ICONWARNING);
    return;
  }
  if (document.IsChanged() && !SaveDocument()) return;
  std::string path = document.folder + launcher;
  std::string commandLine = "\"" + path + "\"";
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  session.trial = TrialOutcome();
  session.trial.launcher = launcher;
  session.trial.before = CurrentMode();
  session.focusBeforeTrial = GetFocus();
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, document.folder.c_str(),
                      &startup, &process)) {
    DWORD error = GetLastError();
    Tell(path + " cannot be started (Windows error " + std::to_string(error) + ").", MB_ICONERROR);
    return;
  }
  CloseHandle(process.hThread);
  session.launcher = process.hProcess;
  session.launcherId = process.dwProcessId;
  session.seenBoxes.clear();
  EnableIdleControls(false);
  SetTimer(session.dialog, kTrialTimer, kTrialPollMs, nullptr);
  SetDlgItemTextA(session.dialog, IDC_TRY_REPORT, (launcher + " is running; the report follows when it ends.").c_str());
}

// A message box of the launcher being tried, noted once with its caption and text.
BOOL CALLBACK NoteLauncherBox(HWND window, LPARAM) {
  SettingsSession& session = *g_session;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[16] = "";
  GetClassNameA(window, className, sizeof(className));
  if (owner != session.launcherId || std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  for (HWND seen : session.seenBoxes) {
    if (seen == window) return TRUE;
  }
  session.seenBoxes.push_back(window);
  char caption[256] = "", text[2048] = "";
  GetWindowTextA(window, caption, sizeof(caption));
  GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));  // a message box's text control
  session.trial.boxes.emplace_back(caption, text);
  return TRUE;
}

void FinishTrial() {
  SettingsSession& session = *g_session;
  KillTimer(session.dialog, kTrialTimer);
  CloseHandle(session.launcher);
  session.launcher = nullptr;
  session.trial.after = CurrentMode();
  SetDlgItemTextA(session.dialog, IDC_TRY_REPORT, DescribeTrial(session.trial, session.document.Check()).c_str());
  EnableIdleControls(true);
  // Whatever the launcher showed (its black backdrop above all) took the activation: the dialog
  // takes it back, with the control that had the focus, so that the keyboard reaches it again.
  SetForegroundWindow(session.dialog);
  HWND focus = session.focusBeforeTrial;
  SetFocus(focus != nullptr && IsWindowEnabled(focus) ? focus : GetDlgItem(session.dialog, IDC_TRY));
}

void OpenGuide() {
  std::string guide = BesideThisProgram(kGuideName);
  if (ProbePath(guide) != PathKind::File) {
    Tell(std::string("There is no ") + kGuideName + " beside Kavelo2Settings.exe. It comes in the release "
         "package, beside the programs.", MB_ICONINFORMATION);
    return;
  }
  // The program the user opens text files with; Notepad, which every Windows has, where no
  // program is set for them.
  auto opened = [](const char* file, const char* arguments) {
    return reinterpret_cast<INT_PTR>(ShellExecuteA(g_session->dialog, "open", file, arguments, nullptr,
                                                   SW_SHOWNORMAL)) > 32;
  };
  std::string quoted = "\"" + guide + "\"";
  if (!opened(guide.c_str(), nullptr) && !opened("notepad.exe", quoted.c_str())) {
    Tell(guide + " cannot be opened.", MB_ICONERROR);
  }
}

// Display > Put the display back: the mode stored in Windows' settings again, as after a
// launcher that was ended by force.
void RestoreTheDisplay() {
  RestoreOutcome outcome = RestoreDisplay();
  Tell(RestoreReport(outcome), BackInRegistryMode(outcome) ? MB_ICONINFORMATION : MB_ICONWARNING);
}

void ShowAbout() {
  std::string version = VersionBlockVersion(ModuleVersionBlock(nullptr));
  Tell(std::string(kCaption) + " " + version + "\n\nSets up the folder of a Kavelo2 launcher: its configuration "
       "file, checked as the launcher reads it on this display.",
       MB_ICONINFORMATION);
}

void CloseWindow() {
  if (ChangesMayGo()) DestroyWindow(g_session->dialog);
}

void OnCommand(WORD id, WORD code) {
  SettingsSession& session = *g_session;
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
      if (code != BN_CLICKED) return;
      document.strict = IsDlgButtonChecked(session.dialog, IDC_STRICT) == BST_CHECKED;
      document.backdrop = IsDlgButtonChecked(session.dialog, IDC_BACKDROP) == BST_CHECKED;
      ShowLive();
      return;
    case IDC_APPLICATION:
      if (code != EN_CHANGE || session.showing) return;
      document.application = DialogText(IDC_APPLICATION);
      document.ReadLayers();
      ShowLayers();
      ShowLive();
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
      if (PickFile(false, "Programs (*.exe)\0*.exe\0All files (*.*)\0*.*\0", document.folder, path)) {
        SetDlgItemTextA(session.dialog, IDC_APPLICATION, StoredApplicationPath(document.folder, path).c_str());
      }
      return;
    }
    case IDM_OPEN: {
      std::string path;
      if (idle && ChangesMayGo() &&
          PickFile(false, "Launcher configurations (*.ini)\0*.ini\0All files (*.*)\0*.*\0", document.folder, path)) {
        OpenPath(path);
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

INT_PTR CALLBACK SettingsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
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
      if (wParam == kTrialTimer && g_session->launcher != nullptr) EnumWindows(NoteLauncherBox, 0);
      return TRUE;
    case WM_DISPLAYCHANGE:
      // The first switch while the launcher runs is the one it made; its restore comes later.
      // The message names the new size and depth: a query made when it is handled may already
      // see a later change.
      if (g_session->launcher != nullptr && !g_session->trial.switched) {
        DEVMODEA& during = g_session->trial.during;
        during = CurrentMode();
        during.dmBitsPerPel = static_cast<DWORD>(wParam);
        during.dmPelsWidth = LOWORD(lParam);
        during.dmPelsHeight = HIWORD(lParam);
        g_session->trial.switched = true;
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
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

bool IsValueList(HWND window) {
  for (int id : kValueListIds) {
    if (window == GetDlgItem(g_session->dialog, id)) return true;
  }
  return false;
}

}  // namespace

int RunSettingsDialog(HINSTANCE instance, const std::string& path) {
  SettingsSession session;
  g_session = &session;
  session.document.ReadDisplay();
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
      // A key or click in a value list may change its selection without a notification yet:
      // the document takes it before anything else reads it.
      bool toList = IsValueList(message.hwnd);
      if (!TranslateAcceleratorA(dialog, accelerators, &message) && !IsDialogMessageA(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      if (toList) TakeSelections();
    }
  }
}
