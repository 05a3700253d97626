// The entry point of kavelo2-config; everything else is in config_tool.cpp. On Windows it takes the
// arguments as UTF-16 and spells them in the ANSI code page itself, so that a file name the code
// page cannot spell is told as such rather than opened under another name or not found (a name
// relative to the current folder by its full path, since that folder is the launcher's); it also
// tells the tool about its console, and keeps a console that was opened for it alone (as for a
// file dropped on the program) open until a key is pressed, so that the report can be read.
#include "tools/kavelo2-config/config_tool.h"

#include "tools/model/config_check.h"

#ifdef _WIN32
#include "launcher/path_text.h"
#include "platform/win32_api.h"
#include "tools/machine/ansi_spelling.h"
#include "tools/model/code_page_text.h"

#include <algorithm>
#include <conio.h>
#include <fcntl.h>
#include <io.h>

namespace {

bool IsConsole(DWORD standardHandle) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(standardHandle), &mode) != 0;
}

// A console whose only process is this one was opened for it: it closes when the tool ends.
bool OwnsItsConsole() {
  DWORD processes[2];
  return IsConsole(STD_INPUT_HANDLE) && GetConsoleProcessList(processes, 2) == 1;
}

// A file argument by its full path, resolved in UTF-16: a name relative to a current folder that
// the code page cannot spell is spelt fine itself, while the launcher's folder taken from it is
// not. A path too long for the buffer is taken as given.
AnsiSpelling SpellFullPath(const wchar_t* name) {
  wchar_t full[kPathCapacity];
  DWORD length = GetFullPathNameW(name, kPathCapacity, full, nullptr);
  return SpellInCodePage(length > 0 && length < kPathCapacity ? full : name);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ToolStreams streams = {stdin, stdout, stderr, {}};
  streams.console = {IsConsole(STD_INPUT_HANDLE), IsConsole(STD_OUTPUT_HANDLE)};
  bool waitForKey = OwnsItsConsole();
  // The stored form is bytes: no newline translation on the standard streams.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args;
  std::vector<AnsiSpelling> spellings;
  for (int i = 1; i < argc; ++i) {
    spellings.push_back(SpellInCodePage(argv[i]));
    args.push_back(spellings.back().text);
  }
  // A file whose full path the code page cannot spell is refused like one named by that path; one
  // whose full path it can spell is opened by it when its name alone cannot be.
  for (size_t at : FileArguments(args)) {
    AnsiSpelling full = SpellFullPath(argv[at + 1]);
    if (!full.spelt || !spellings[at].spelt) spellings[at] = full;
    args[at] = spellings[at].text;
  }
  auto unspelt = std::find_if(spellings.begin(), spellings.end(), [](const AnsiSpelling& name) { return !name.spelt; });
  int status = kUsageOrIoError;
  if (unspelt == spellings.end()) {
    status = RunConfigTool(args, streams);
  } else {
    std::fprintf(stderr, "kavelo2-config: %s\n",
                 UnspellableNameText(unspelt->text, AnsiCodePage(), Rendering::Escaped).c_str());
  }
  if (waitForKey) {
    std::fputs("\r\nPress any key to close this window.", stdout);
    std::fflush(stdout);
    _getch();
  }
  return status;
}

#else

int main(int argc, char** argv) {
  return RunConfigTool(std::vector<std::string>(argv + 1, argv + argc), {stdin, stdout, stderr, {}});
}

#endif
