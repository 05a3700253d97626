// Files the dialog opens and picks: the configuration, dropped files, and its help.
#include "tools/kavelo2-settings/dialog_session.h"

#include "launcher/config_file.h"
#include "tools/kavelo2-settings/program_files.h"
#include "tools/model/version_block.h"
#include "tools/machine/ansi_spelling.h"
#include "tools/machine/files.h"
#include "tools/model/code_page_text.h"

#include <commdlg.h>
#include <shellapi.h>

namespace {

constexpr const char* kCaption = "Kavelo2 Settings";
constexpr const char* kGuideName = "user-guide.txt";

}  // namespace

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
  if (!Session().document.Open(folder, name, launchers, reason)) {
    Tell(folder + name + " cannot be opened.\n\n" + reason, MB_ICONERROR);
    return false;
  }
  ShowDocument();
  return true;
}

void OpenUnspellablePath(const std::string& path) {
  std::string folder, name;
  std::vector<std::string> launchers;
  SplitPath(path, folder, name, launchers);
  // A folder (the program's own) cannot be told from a file by its name alone here: it ends in a
  // backslash, and the file meant in it is the one every launcher reads first.
  if (name.empty()) name = kConfigFileName;
  SettingsDocument& document = Session().document;
  // No ANSI call reaches the file: the document starts empty, as for a file not there yet. Its
  // name holds the code page's "?", which no file name may hold, so a save there is refused.
  document.folder = folder;
  document.fileName = name;
  document.launchers = launchers;
  document.Load(FileText(), 0);
  document.AskMachine();
  ShowDocument();
  Tell(UnspellableNameText(folder + name, AnsiCodePage(), Rendering::Dialog), MB_ICONWARNING);
}

// A common file dialog for one file: true with the chosen path.
bool PickFile(bool save, const char* filter, const std::string& folder, std::string& path) {
  char file[MAX_PATH] = "";
  if (save) Session().document.fileName.copy(file, MAX_PATH - 1);
  OPENFILENAMEA request;
  ZeroMemory(&request, sizeof(request));
  request.lStructSize = sizeof(request);
  request.hwndOwner = Session().dialog;
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

// The first dropped file, whatever the length of its path: asked for that length first, so that a
// path too long to open is told rather than opened cut short.
void OnDroppedFiles(HDROP drop) {
  // As UTF-16, so that a name the code page cannot spell is told as such; its length asked first,
  // so that a path too long to open is told rather than opened cut short.
  UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length, L'\0');
  if (length > 0) path.resize(DragQueryFileW(drop, 0, &path[0], length + 1));
  DragFinish(drop);
  if (path.empty() || Session().launcher != nullptr) return;
  AnsiSpelling spelt = SpellInCodePage(path.c_str());
  if (!spelt.spelt) {
    Tell(UnspellableNameText(spelt.text, AnsiCodePage(), Rendering::Dialog), MB_ICONWARNING);
  } else if (path.size() >= MAX_PATH) {
    Tell(spelt.text + "\n\ncannot be opened: its path is " + std::to_string(path.size()) + " characters long, and "
         "Kavelo2 Settings opens paths of up to " + std::to_string(MAX_PATH - 1) + ".", MB_ICONERROR);
  } else if (ChangesMayGo() && OpenPath(spelt.text)) {
    ForgetTrial();
  }
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
    return reinterpret_cast<INT_PTR>(ShellExecuteA(Session().dialog, "open", file, arguments, nullptr,
                                                   SW_SHOWNORMAL)) > 32;
  };
  std::string quoted = "\"" + guide + "\"";
  if (!opened(guide.c_str(), nullptr) && !opened("notepad.exe", quoted.c_str())) {
    Tell(guide + " cannot be opened.", MB_ICONERROR);
  }
}

void ShowAbout() {
  std::string version = VersionBlockVersion(ModuleVersionBlock(nullptr));
  Tell(std::string(kCaption) + " " + version + "\n\nSets up the folder of a Kavelo2 launcher: its configuration "
       "file, checked as the launcher reads it on this display.",
       MB_ICONINFORMATION);
}
