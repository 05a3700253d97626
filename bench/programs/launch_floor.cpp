// The floor for the launcher: only the platform calls it must make before the application
// starts. Every display mode is enumerated (as EnumerateModes does, into a zero-filled record),
// then the program named on the command line is started with CreateProcessA and waited for.
//   launch_floor.exe [--no-modes] PROGRAM
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  char* program = commandLine;
  const char kNoModes[] = "--no-modes ";
  const bool enumerate = std::strncmp(program, kNoModes, sizeof(kNoModes) - 1) != 0;
  if (!enumerate) program += sizeof(kNoModes) - 1;
  if (enumerate) {
    for (DWORD number = 0;; ++number) {
      DEVMODEA mode;
      std::memset(&mode, 0, sizeof(mode));
      if (!EnumDisplaySettingsA(nullptr, number, &mode)) break;
    }
  }
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  if (!CreateProcessA(program, nullptr, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &process)) {
    return 1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return 0;
}
