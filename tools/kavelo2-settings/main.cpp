// Kavelo2 Settings' entry point. With no argument it opens the Kavelo2.ini beside the program; a
// file given on the command line (which is also what dropping one on the program gives) is
// opened instead.
#include "tools/kavelo2-settings/settings_dialog.h"

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::string path;
  if (__argc > 1) {
    path = __argv[1];
  } else {
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    path = length > 0 && length < MAX_PATH ? std::string(module, length) : std::string();
    path = path.substr(0, path.find_last_of('\\') + 1);
  }
  return RunSettingsDialog(instance, path);
}
