// Looking for the launcher's single-instance mutex without taking part in it.
#include "tools/machine/running_launcher.h"

#include "launcher/launch_context.h"
#include "platform/win32_api.h"

bool LauncherRunning() {
  // Opened, never created: a mutex this tool created would make a launcher starting meanwhile
  // take itself for a second copy and end without a word. For the same reason the handle is
  // closed at once: while it is open, the mutex outlives the launcher that made it.
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kSingleInstanceMutexName);
  if (mutex != nullptr) {
    CloseHandle(mutex);
    return true;
  }
  // A launcher of another user (or with rights above this tool's) is there all the same.
  return GetLastError() == static_cast<DWORD>(ERROR_ACCESS_DENIED);
}
