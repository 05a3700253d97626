// Starting the application and waiting until it has ended.
#include "launcher/app_launch.h"

#include "launcher/launch_context.h"

int LaunchContext::LaunchApplication(const char* path) {
  // No arguments; the launcher's inheritable handles, environment and current directory.
  if (CreateProcessA(path, nullptr, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                     nullptr, &startupInfo, &processInfo)) {
    return 1;
  }
  MessageBoxA(nullptr, LaunchFailureText(path).c_str(), kLaunchFailureCaption, MB_OK);
  return 0;
}

void LaunchContext::WaitForApplication() {
  // This thread owns the backdrop window: it dispatches whatever arrives while it waits, so
  // that the window repaints and answers messages sent to it. Only the process's end (or a
  // failed wait) ends the wait; a quit message does not.
  HANDLE process = processInfo.hProcess;
  while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) ==
         WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  CloseHandle(process);
}
