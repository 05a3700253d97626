// Plays the start-up stub of an application that does not run in the process its starter starts:
// it starts the program named by KAVELO_TEST_STUB_TARGET (without arguments, with its own
// environment), waits until that program says it is up, stays KAVELO_TEST_STUB_RUN_MS milliseconds
// more (default 0), appends a record with role=stub to the file named by KAVELO_TEST_RECORD and
// exits with status 0, while the program it started runs on.
//
// "Up" is the named event it hands on in KAVELO_TEST_READY_EVENT, which the stand-in sets once it
// has recorded what it sees (at most 10 s). Waiting for it keeps the tests deterministic: a
// display switch never coincides with the stand-in's own start, which under Wine could undo it.
//
// Record keys: role=stub, pid, time_ms (when it exits), target_started and target_ready (1 or 0).
#include <windows.h>

#include "record_text.h"

#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kReadyTimeoutMs = 10000;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string target = EnvironmentValue("KAVELO_TEST_STUB_TARGET");
  if (target.empty()) return 2;
  const std::string eventName = "Kavelo2TestReady" + std::to_string(GetCurrentProcessId());
  const HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  SetEnvironmentVariableA("KAVELO_TEST_READY_EVENT", eventName.c_str());

  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started;
  const bool targetStarted = CreateProcessA(target.c_str(), nullptr, nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &started) != FALSE;
  bool targetReady = false;
  if (targetStarted) {
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    targetReady = ready != nullptr && WaitForSingleObject(ready, kReadyTimeoutMs) == WAIT_OBJECT_0;
  }
  const std::string stayText = EnvironmentValue("KAVELO_TEST_STUB_RUN_MS");
  if (!stayText.empty()) Sleep(static_cast<DWORD>(std::strtoul(stayText.c_str(), nullptr, 10)));

  const std::string recordPath = EnvironmentValue("KAVELO_TEST_RECORD");
  if (!recordPath.empty()) {
    Record record;
    record.Add("role", std::string("stub"));
    record.Add("pid", static_cast<long long>(GetCurrentProcessId()));
    record.Add("time_ms", UnixTimeMs());
    record.Add("target_started", targetStarted ? 1 : 0);
    record.Add("target_ready", targetReady ? 1 : 0);
    record.AppendTo(recordPath.c_str());
  }
  return 0;
}
