// Starts a program in the current directory, waits for it and prints its wall time, measured
// inside Wine from just before CreateProcessA to the end of the wait:
//   time_run.exe PROGRAM      ->  ms=<milliseconds>
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string commandLine = std::string("\"") + argv[1] + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency, began, ended;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&began);
  if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("error=%lu\n", GetLastError());
    return 1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  QueryPerformanceCounter(&ended);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  std::printf("ms=%.2f\n", 1000.0 * static_cast<double>(ended.QuadPart - began.QuadPart) /
                               static_cast<double>(frequency.QuadPart));
  return 0;
}
