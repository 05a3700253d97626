// Kavelo2 Settings' entry point. With no argument it opens the Kavelo2.ini beside the program; a
// file given on the command line (which is also what dropping one on the program gives) is
// opened instead. Both arrive as UTF-16 and are spelt in the ANSI code page here, so that a name
// the code page cannot spell is told as such, not as a file that cannot be opened.
#include "tools/kavelo2-settings/settings_dialog.h"

#include "tools/machine/ansi_spelling.h"

#include <shellapi.h>

#include <string>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  AnsiSpelling path;
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments != nullptr && count > 1) {
    path = SpellInCodePage(arguments[1]);
  } else {
    // The program's own folder, cut at its last backslash before it is spelt: in a code page of
    // two-byte letters, a letter's second byte may be a backslash.
    wchar_t module[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) length = 0;
    while (length > 0 && module[length - 1] != L'\\') --length;
    module[length] = L'\0';
    path = SpellInCodePage(module);
  }
  if (arguments != nullptr) LocalFree(arguments);
  return RunSettingsDialog(instance, path.text, path.spelt);
}
