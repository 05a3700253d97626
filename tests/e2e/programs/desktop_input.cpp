// Clicks and types on the shared test desktop as a user does (SendInput), brings a window to the
// front as a task switcher does, and tells which window is in front. One command a run:
//
//   desktop_input click X Y          presses and releases the left button at the screen point
//                                    (X, Y), then waits for the windows to answer
//   desktop_input keys KEY...        types keys (a, f4, escape, ...; alt+, ctrl+, shift+ in front)
//                                    into the window with the focus, then waits likewise
//   desktop_input activate CLASS     brings the window of that class to the foreground, as Alt+Tab
//                                    or a task bar button does, then waits likewise
//   desktop_input close CLASS        posts it the close command that Alt+F4 or a task list's Close
//                                    gives (WM_SYSCOMMAND, SC_CLOSE), then waits likewise
//   desktop_input front [CLASS BELOW]  prints "class=C pid=P" of the foreground window (class
//                                    "none" without one); with two classes also " above=1" when
//                                    the window of CLASS lies in front of the window of BELOW,
//                                    " above=0" when behind it, " above=none" when either is missing
//
// Exit status 0, 1 when a named window does not exist, 2 on a usage error.
#include "tests/e2e/programs/typed_keys.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Long enough for a program that dispatches its messages to have handled the input, and for a
// window that hands the activation on to have done so.
constexpr DWORD kSettleMs = 400;
// The z-order holds a few dozen top-level windows; the walk never takes more steps than this.
constexpr int kMostWindows = 4096;

void Click(int x, int y) {
  SetCursorPos(x, y);
  INPUT inputs[2];
  ZeroMemory(inputs, sizeof(inputs));
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].type = INPUT_MOUSE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

std::string ClassOf(HWND window) {
  char name[256];
  const int length = window != nullptr ? GetClassNameA(window, name, sizeof name) : 0;
  return length > 0 ? std::string(name, static_cast<size_t>(length)) : std::string("none");
}

// "1" when `upper` lies in front of `lower` in the z-order, "0" when behind it.
const char* InFront(HWND upper, HWND lower) {
  HWND window = lower;
  for (int step = 0; step < kMostWindows && window != nullptr; ++step) {
    window = GetWindow(window, GW_HWNDPREV);
    if (window == upper) return "1";
  }
  return "0";
}

void PrintFront(int argc, char** argv) {
  const HWND front = GetForegroundWindow();
  DWORD pid = 0;
  if (front != nullptr) GetWindowThreadProcessId(front, &pid);
  std::printf("class=%s pid=%lu", ClassOf(front).c_str(), static_cast<unsigned long>(pid));
  if (argc == 4) {
    const HWND upper = FindWindowA(argv[2], nullptr);
    const HWND lower = FindWindowA(argv[3], nullptr);
    std::printf(" above=%s", upper != nullptr && lower != nullptr ? InFront(upper, lower) : "none");
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  if (command == "front" && (argc == 2 || argc == 4)) {
    PrintFront(argc, argv);
    return 0;
  }
  if (command == "click" && argc == 4) {
    Click(std::atoi(argv[2]), std::atoi(argv[3]));
  } else if (command == "keys" && argc > 2) {
    if (TypeKeys(argc - 2, argv + 2) != 0) return 2;
  } else if ((command == "activate" || command == "close") && argc == 3) {
    const HWND window = FindWindowA(argv[2], nullptr);
    if (window == nullptr) return 1;
    if (command == "activate") SetForegroundWindow(window);
    else PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else {
    return 2;
  }
  Sleep(kSettleMs);
  return 0;
}
