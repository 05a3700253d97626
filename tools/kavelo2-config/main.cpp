// The entry point of kavelo2-config; everything else is in config_tool.cpp. On Windows it also
// tells the tool about its console, and keeps a console that was opened for it alone (as for a
// file dropped on the program) open until a key is pressed, so that the report can be read.
#include "tools/kavelo2-config/config_tool.h"

#include <exception>
#include <new>

#ifdef _WIN32
#include "platform/win32_api.h"

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
#endif

int main(int argc, char** argv) {
  ToolStreams streams = {stdin, stdout, stderr, {}};
#ifdef _WIN32
  streams.console = {true, IsConsole(STD_INPUT_HANDLE), IsConsole(STD_OUTPUT_HANDLE)};
  bool waitForKey = OwnsItsConsole();
  // The stored form is bytes: no newline translation on the standard streams.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  // What the standard library throws (no memory, above all) ends the command with status 2 and a
  // line that says so, never with the runtime's own abort.
  int status = 2;
  try {
    status = RunConfigTool(std::vector<std::string>(argv + 1, argv + argc), streams);
  } catch (const std::bad_alloc&) {
    std::fputs("kavelo2-config: stopped: not enough memory\n", stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kavelo2-config: stopped: %s\n", error.what());
  }
#ifdef _WIN32
  if (waitForKey) {
    std::fputs("\r\nPress any key to close this window.", stdout);
    std::fflush(stdout);
    _getch();
  }
#endif
  return status;
}
