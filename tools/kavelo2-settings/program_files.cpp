// This program's version block through the resource functions, and the launchers in a folder, read
// from their files as the check reads an application's: none of their code runs.
#include "tools/kavelo2-settings/program_files.h"

#include "platform/win32_api.h"
#include "tools/machine/program_file.h"
#include "tools/model/program_start.h"

std::string OwnVersionBlock() {
  HMODULE module = nullptr;  // this program
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));  // RT_VERSION
  if (resource == nullptr) return "";
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return "";
  return std::string(static_cast<const char*>(bytes), SizeofResource(module, resource));
}

std::vector<std::string> LaunchersIn(const std::string& folder) {
  std::vector<std::string> launchers;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "*.exe").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return launchers;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    if (IsLauncherImage(ReadProgramFile(folder + entry.cFileName))) launchers.push_back(entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return launchers;
}

std::string BesideThisProgram(const std::string& name) {
  char module[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return name;
  std::string path(module, length);
  return path.substr(0, path.find_last_of('\\') + 1) + name;
}
