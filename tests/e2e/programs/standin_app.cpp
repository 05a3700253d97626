// Stands in for the application that the launcher starts. At start it appends one record of what
// it sees (display mode, start-up record, command line, current directory, own path, the
// launcher's backdrop window) to the file named by KAVELO_TEST_RECORD, then stays up for
// KAVELO_TEST_RUN_MS milliseconds (default 600) and exits with status 0. It inherits the
// launcher's environment, so the variables reach it through the launcher; without
// KAVELO_TEST_RECORD it records nothing.
//
// For the tests of a process tree, three more variables:
//   KAVELO_TEST_START_CHILD     a program it starts (without arguments) after its start record,
//                               with KAVELO_TEST_RUN_MS set to KAVELO_TEST_CHILD_RUN_MS; neither
//                               variable is passed on, so that child starts nothing further
//   KAVELO_TEST_READY_EVENT     a named event it sets once its record is written and its child
//                               started: the launch stub waits for it
//   KAVELO_TEST_RECORD_END      when set, a second record just before it exits, with phase=end:
//                               the time, its process id, the display mode and the backdrop then
// And for a test that looks at what runs meanwhile, however loaded the machine:
//   KAVELO_TEST_RUN_UNTIL       a file: it stays up until that file exists (KAVELO_TEST_RUN_MS
//                               is then the longest it waits)
// And for a test of what a user's clicks and keys do beside it:
//   KAVELO_TEST_WINDOW          WIDTHxHEIGHT: before its start record it shows a captioned window
//                               of class "KaveloStandinWindow" and that size at (0, 0), and
//                               answers it while it stays up. The window refuses to close (as
//                               an application that asks first does); the end record counts the
//                               requests (close_requests)
//
// A record is a block of key=value lines between "begin" and "end"; values are escaped as in
// record_text.h, so that each stays on one line and is compared byte for byte.
#include <windows.h>

#include "record_text.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kDefaultRunMs = 600;  // a restore issued right after a switch can be dropped
constexpr char kWindowClass[] = "KaveloStandinWindow";
constexpr DWORD kPollMs = 20;

long g_closeRequests = 0;

LRESULT CALLBACK StandinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++g_closeRequests;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The window that KAVELO_TEST_WINDOW asks for, shown and active; nothing without the variable.
void ShowWindowOfSize(HINSTANCE instance) {
  const std::string size = EnvironmentValue("KAVELO_TEST_WINDOW");
  int width = 0, height = 0;
  if (std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2) return;
  WNDCLASSA windowClass;
  ZeroMemory(&windowClass, sizeof windowClass);
  windowClass.lpfnWndProc = StandinWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  const HWND window = CreateWindowExA(0, kWindowClass, "Stand-in application", WS_OVERLAPPEDWINDOW, 0, 0, width,
                                      height, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
}

// Stays up for runMs milliseconds, or until the file `until` (when named) exists, answering its
// window meanwhile.
void StayUp(DWORD runMs, const std::string& until) {
  const DWORD started = GetTickCount();
  for (;;) {
    if (!until.empty() && GetFileAttributesA(until.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    const DWORD elapsed = GetTickCount() - started;
    if (elapsed >= runMs) return;
    const DWORD left = runMs - elapsed;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, until.empty() || left < kPollMs ? left : kPollMs, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

void AddDisplayMode(Record& record) {
  DEVMODEA mode;
  ZeroMemory(&mode, sizeof mode);
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return;
  record.Add("mode_width", mode.dmPelsWidth);
  record.Add("mode_height", mode.dmPelsHeight);
  record.Add("mode_bits", mode.dmBitsPerPel);
  record.Add("mode_freq", mode.dmDisplayFrequency);
}

// What a person would see of the launcher's black window while the application runs.
void AddBackdrop(Record& record) {
  const HWND window = FindWindowA("Kavelo2WindowClass", nullptr);
  record.Add("backdrop", window != nullptr ? 1 : 0);
  if (window == nullptr) return;

  RECT rect;
  GetWindowRect(window, &rect);
  record.Add("backdrop_left", rect.left);
  record.Add("backdrop_top", rect.top);
  record.Add("backdrop_right", rect.right);
  record.Add("backdrop_bottom", rect.bottom);
  const auto style = static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE));
  const auto exstyle = static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE));
  record.AddHex("backdrop_style", style);
  record.AddHex("backdrop_exstyle", exstyle);
  record.Add("backdrop_visible", IsWindowVisible(window) ? 1 : 0);
  record.Add("backdrop_topmost", (exstyle & WS_EX_TOPMOST) != 0 ? 1 : 0);
  // For a window of another process this reads the stored title and sends no message, so it
  // works while the launcher's thread does not answer.
  char title[256];
  const int length = GetWindowTextA(window, title, sizeof title);
  record.Add("backdrop_title", std::string(title, static_cast<size_t>(length)));

  // One pixel from the middle of the part of the window that lies on the screen.
  const LONG right = rect.right < GetSystemMetrics(SM_CXSCREEN) ? rect.right : GetSystemMetrics(SM_CXSCREEN);
  const LONG bottom = rect.bottom < GetSystemMetrics(SM_CYSCREEN) ? rect.bottom : GetSystemMetrics(SM_CYSCREEN);
  const LONG left = rect.left > 0 ? rect.left : 0;
  const LONG top = rect.top > 0 ? rect.top : 0;
  const HDC screen = GetDC(nullptr);
  const COLORREF pixel = GetPixel(screen, (left + right) / 2, (top + bottom) / 2);
  ReleaseDC(nullptr, screen);
  if (pixel == CLR_INVALID) record.Add("backdrop_pixel", std::string("invalid"));
  else record.AddHex("backdrop_pixel", pixel);

  // Whether the launcher's thread services its window while the application runs.
  DWORD_PTR answer = 0;
  const DWORD started = GetTickCount();
  const LRESULT sent = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer);
  record.Add("backdrop_responds", sent != 0 ? 1 : 0);
  record.Add("backdrop_response_ms", static_cast<long long>(GetTickCount() - started));
}

// Starts the program named by KAVELO_TEST_START_CHILD, if any, as described at the top.
void StartChild() {
  const std::string child = EnvironmentValue("KAVELO_TEST_START_CHILD");
  if (child.empty()) return;
  SetEnvironmentVariableA("KAVELO_TEST_START_CHILD", nullptr);
  SetEnvironmentVariableA("KAVELO_TEST_READY_EVENT", nullptr);
  SetEnvironmentVariableA("KAVELO_TEST_RUN_MS", EnvironmentValue("KAVELO_TEST_CHILD_RUN_MS").c_str());
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started;
  if (CreateProcessA(child.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &started)) {
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
  }
}

void SignalReady(const std::string& eventName) {
  if (eventName.empty()) return;
  const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName.c_str());
  if (ready == nullptr) return;
  SetEvent(ready);
  CloseHandle(ready);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ShowWindowOfSize(instance);
  const std::string recordPath = EnvironmentValue("KAVELO_TEST_RECORD");
  if (!recordPath.empty()) {
    Record record;
    record.Add("time_ms", UnixTimeMs());
    record.Add("pid", static_cast<long long>(GetCurrentProcessId()));
    AddDisplayMode(record);
    // The start-up record the system gives the program: its size is its build's (68 bytes in
    // i686, 104 in x86_64); the flags say what the starter asked for (placement, show state,
    // standard handles).
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    record.Add("startup_cb", static_cast<long long>(startup.cb));
    record.AddHex("startup_flags", startup.dwFlags);
    record.Add("command_line", std::string(GetCommandLineA()));
    char path[MAX_PATH * 4];
    const DWORD directoryLength = GetCurrentDirectoryA(sizeof path, path);
    record.Add("current_directory", std::string(path, directoryLength < sizeof path ? directoryLength : 0));
    const DWORD moduleLength = GetModuleFileNameA(nullptr, path, sizeof path);
    record.Add("module_path", std::string(path, moduleLength < sizeof path ? moduleLength : 0));
    AddBackdrop(record);
    record.AppendTo(recordPath.c_str());
  }
  const std::string runText = EnvironmentValue("KAVELO_TEST_RUN_MS");
  const DWORD runMs = runText.empty() ? kDefaultRunMs : static_cast<DWORD>(std::strtoul(runText.c_str(), nullptr, 10));
  const std::string readyEvent = EnvironmentValue("KAVELO_TEST_READY_EVENT");
  StartChild();
  SignalReady(readyEvent);
  StayUp(runMs, EnvironmentValue("KAVELO_TEST_RUN_UNTIL"));
  if (!recordPath.empty() && !EnvironmentValue("KAVELO_TEST_RECORD_END").empty()) {
    Record record;
    record.Add("phase", std::string("end"));
    record.Add("time_ms", UnixTimeMs());
    record.Add("pid", static_cast<long long>(GetCurrentProcessId()));
    AddDisplayMode(record);
    AddBackdrop(record);
    record.Add("close_requests", g_closeRequests);
    record.AppendTo(recordPath.c_str());
  }
  return 0;
}
