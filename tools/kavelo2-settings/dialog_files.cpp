// Files the dialog opens and picks: the configuration, Save As, dropped files, the application,
// and its help.
#include "tools/kavelo2-settings/dialog_files.h"

#include "launcher/config_file.h"
#include "tools/kavelo2-settings/launcher_description.h"
#include "tools/kavelo2-settings/program_files.h"
#include "tools/kavelo2-settings/resource_ids.h"
#include "tools/kavelo2-settings/settings_explain.h"
#include "tools/machine/ansi_spelling.h"
#include "tools/machine/files.h"
#include "tools/machine/program_file.h"
#include "tools/model/code_page_text.h"
#include "tools/model/version_block.h"

#include <commdlg.h>

namespace {

constexpr const char* kGuideName = "user-guide.txt";
constexpr const char* kProgramFilter = "Programs (*.exe)\0*.exe\0All files (*.*)\0*.*\0";
constexpr const char* kConfigurationFilter = "Launcher configurations (*.ini)\0*.ini\0All files (*.*)\0*.*\0";

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

// A common file dialog for one file: true with the chosen path.
bool PickFile(const SettingsSession& session, bool save, const char* filter, std::string& path) {
  char file[MAX_PATH] = "";
  if (save) session.document.fileName.copy(file, MAX_PATH - 1);
  OPENFILENAMEA request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = session.dialog;
  request.lpstrFilter = filter;
  request.lpstrFile = file;
  request.nMaxFile = MAX_PATH;
  request.lpstrInitialDir = session.document.folder.c_str();
  request.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                  (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if (!(save ? GetSaveFileNameA(&request) : GetOpenFileNameA(&request))) return false;
  path = file;
  return true;
}

}  // namespace

bool OpenPath(SettingsSession& session, const std::string& path) {
  std::string folder, name, reason;
  std::vector<std::string> launchers;
  SplitPath(path, folder, name, launchers);
  if (!session.document.Open(folder, name, launchers, reason)) {
    Tell(session, folder + name + " cannot be opened.\n\n" + reason, MB_ICONERROR);
    return false;
  }
  ForgetTrial(session);
  ShowDocument(session);
  return true;
}

void OpenUnspellablePath(SettingsSession& session, const std::string& path) {
  std::string folder, name;
  std::vector<std::string> launchers;
  SplitPath(path, folder, name, launchers);
  // A folder (the program's own) cannot be told from a file by its name alone here: it ends in a
  // backslash, and the file meant in it is the one every launcher reads first.
  if (name.empty()) name = kConfigFileName;
  // No ANSI call reaches the file: the document starts empty under that name, which holds the code
  // page's "?", and says why it can neither read nor save it there.
  SettingsDocument& document = session.document;
  document.folder = folder;
  document.fileName = name;
  document.launchers = launchers;
  document.Load(FileText(), 0);
  document.AskMachine();
  ShowDocument(session);
  Tell(session, UnspellableNameText(folder + name, document.codePage, Rendering::Dialog), MB_ICONWARNING);
}

void OpenPicked(SettingsSession& session) {
  std::string path;
  if (ChangesMayGo(session) && PickFile(session, false, kConfigurationFilter, path)) OpenPath(session, path);
}

// Save As: the same save, under the name chosen, with the application that the new file's launcher
// starts. The window shows the new name once the file is saved under it, and not the try of the
// file it was before.
void SaveAs(SettingsSession& session) {
  std::string path;
  if (!PickFile(session, true, kConfigurationFilter, path)) return;
  TakeSelections(session);
  SettingsDocument renamed = session.document;
  SplitPath(path, renamed.folder, renamed.fileName, renamed.launchers);
  if (ProbePath(path) != PathKind::File) renamed.form = FileForm::Missing;
  renamed.AskMachine();
  if (!SaveWithItsQuestions(session, renamed)) return;
  bool sameFile = renamed.folder + renamed.fileName == session.document.folder + session.document.fileName;
  session.document = renamed;
  if (!sameFile) ForgetTrial(session);
  AskMachineAboutDocument(session);
  ShowDocument(session);
}

// The first dropped file, whatever the length of its path: asked for that length first, so that a
// path too long to open is told rather than opened cut short.
void OnDroppedFiles(SettingsSession& session, HDROP drop) {
  // As UTF-16, so that a name the code page cannot spell is told as such.
  UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length, L'\0');
  if (length > 0) path.resize(DragQueryFileW(drop, 0, &path[0], length + 1));
  DragFinish(drop);
  if (path.empty() || session.launcher != nullptr) return;
  AnsiSpelling spelt = SpellInCodePage(path.c_str());
  if (!spelt.spelt) {
    Tell(session, UnspellableNameText(spelt.text, session.document.codePage, Rendering::Dialog), MB_ICONWARNING);
  } else if (path.size() >= MAX_PATH) {
    Tell(session, spelt.text + "\n\ncannot be opened: its path is " + std::to_string(path.size()) + " characters long, "
         "and Kavelo2 Settings opens paths of up to " + std::to_string(MAX_PATH - 1) + ".", MB_ICONERROR);
  } else if (ChangesMayGo(session)) {
    OpenPath(session, spelt.text);
  }
}

void BrowseForApplication(SettingsSession& session) {
  std::string path;
  if (!PickFile(session, false, kProgramFilter, path)) return;
  std::string ownDescription = VersionBlockString(OwnVersionBlock(), "FileDescription");
  FolderTool tool = FolderToolOf(ReadProgramFile(path), ownDescription);
  if (tool != FolderTool::None) {
    Tell(session, FolderToolText(tool, path.substr(path.find_last_of('\\') + 1)), MB_ICONWARNING);
    return;
  }
  SetDlgItemTextA(session.dialog, IDC_APPLICATION, PathValueFor(session.document.folder, path).c_str());
  AskMachineAboutDocument(session);
}

void OpenGuide(const SettingsSession& session) {
  std::string guide = BesideThisProgram(kGuideName);
  if (ProbePath(guide) != PathKind::File) {
    Tell(session, std::string("There is no ") + kGuideName + " beside Kavelo2Settings.exe. It comes in the release "
         "package, beside the programs.", MB_ICONINFORMATION);
    return;
  }
  // The program the user opens text files with; Notepad, which every Windows has, where no
  // program is set for them.
  auto opened = [&session](const char* file, const char* arguments) {
    return reinterpret_cast<INT_PTR>(ShellExecuteA(session.dialog, "open", file, arguments, nullptr,
                                                   SW_SHOWNORMAL)) > 32;
  };
  std::string quoted = "\"" + guide + "\"";
  if (!opened(guide.c_str(), nullptr) && !opened("notepad.exe", quoted.c_str())) {
    Tell(session, guide + " cannot be opened.", MB_ICONERROR);
  }
}

void ShowAbout(const SettingsSession& session) {
  std::string version = VersionBlockVersion(OwnVersionBlock());
  Tell(session, std::string(kProgramTitle) + " " + version + "\n\nSets up the folder of a Kavelo2 launcher: its "
       "configuration file, checked as the launcher reads it on this display.",
       MB_ICONINFORMATION);
}
