// The entry point of kavelo2-config; everything else is in config_tool.cpp. On Windows it takes the
// arguments as UTF-16 and spells them in the ANSI code page itself, so that a file name the code
// page cannot spell is told as such rather than opened under another name or not found; it also
// tells the tool about its console, and keeps a console that was opened for it alone (as for a
// file dropped on the program) open until a key is pressed, so that the report can be read.
#include "tools/kavelo2-config/config_tool.h"

#include "tools/model/config_check.h"

#ifdef _WIN32
#include "platform/win32_api.h"
#include "tools/machine/ansi_spelling.h"
#include "tools/model/code_page_text.h"

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ToolStreams streams = {stdin, stdout, stderr, {}};
  streams.console = {true, IsConsole(STD_INPUT_HANDLE), IsConsole(STD_OUTPUT_HANDLE)};
  bool waitForKey = OwnsItsConsole();
  // The stored form is bytes: no newline translation on the standard streams.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args;
  std::string unspelt;
  for (int i = 1; i < argc; ++i) {
    AnsiSpelling argument = SpellInCodePage(argv[i]);
    if (!argument.spelt && unspelt.empty()) unspelt = argument.text;
    args.push_back(argument.text);
  }
  int status = kUsageOrIoError;
  if (unspelt.empty()) {
    status = RunConfigTool(args, streams);
  } else {
    std::fprintf(stderr, "kavelo2-config: %s\n",
                 UnspellableNameText(unspelt, AnsiCodePage(), Rendering::Escaped).c_str());
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
