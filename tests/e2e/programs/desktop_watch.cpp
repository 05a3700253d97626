// Watches the shared test desktop while the launcher runs:
//   - it owns a hidden top-level window of class "Shell_TrayWnd" with an empty title, which is the
//     taskbar window that the launcher finds, and records every WM_DISPLAYCHANGE posted to it;
//   - it records every message box (a visible top-level window of class "#32770") with its exact
//     caption and text, and dismisses it with OK, so failure paths run unattended.
// Usage: desktop_watch RECORD_FILE [TIMEOUT_SECONDS]. It ends when RECORD_FILE.stop appears or
// after the timeout (default 120 s).
//
// Record lines, each flushed at once:
//   ready found_self=1                   the window exists; 1 when FindWindowA finds ours first
//   notice wparam=32 lparam=0x01e00280 time_ms=...   (lparam as wide as LPARAM: 8 hex digits
//                                                     in the i686 build, 16 in the x86_64 one)
//   box caption=<escaped> text=<escaped> time_ms=...
//   stopped
// Escaped values turn backslash, CR and LF into \\, \r and \n and blanks into \s, so that each value
// is one word of the line and compares byte for byte.
#include <windows.h>

#include "record_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 20;
constexpr int kControlIdOfBoxText = 0xFFFF;

std::FILE* g_record = nullptr;
std::string g_stopPath;
DWORD g_deadline = 0;
std::vector<HWND> g_boxesSeen;  // recorded once each, dismissed again until they are gone

void WriteLine(const std::string& line) {
  std::fputs(line.c_str(), g_record);
  std::fputc('\n', g_record);
  std::fflush(g_record);
}

BOOL CALLBACK CollectBox(HWND window, LPARAM boxes) {
  char className[16];
  if (GetClassNameA(window, className, sizeof className) > 0 &&
      std::string(className) == "#32770" && IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(boxes)->push_back(window);
  }
  return TRUE;
}

void RecordBox(HWND box) {
  char caption[4096];
  char text[4096];
  const int captionLength = GetWindowTextA(box, caption, sizeof caption);
  const UINT textLength = GetDlgItemTextA(box, kControlIdOfBoxText, text, sizeof text);
  WriteLine("box caption=" + Escape(std::string(caption, static_cast<size_t>(captionLength))) +
            " text=" + Escape(std::string(text, textLength)) +
            " time_ms=" + std::to_string(UnixTimeMs()));
}

void PollBoxes() {
  std::vector<HWND> boxes;
  EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&boxes));
  // Forget boxes that have gone, so that a later box with a reused handle is recorded as well.
  g_boxesSeen.erase(std::remove_if(g_boxesSeen.begin(), g_boxesSeen.end(),
                                   [&](HWND seen) {
                                     return std::find(boxes.begin(), boxes.end(), seen) == boxes.end();
                                   }),
                    g_boxesSeen.end());
  for (const HWND box : boxes) {
    if (std::find(g_boxesSeen.begin(), g_boxesSeen.end(), box) == g_boxesSeen.end()) {
      RecordBox(box);
      g_boxesSeen.push_back(box);
    }
    // Posted, not sent: the box's owner answers it in its own time, and this thread stays free
    // to receive the taskbar notices.
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
}

bool ShouldStop() {
  return GetFileAttributesA(g_stopPath.c_str()) != INVALID_FILE_ATTRIBUTES ||
         static_cast<LONG>(GetTickCount() - g_deadline) >= 0;
}

LRESULT CALLBACK TaskbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The system sends WM_DISPLAYCHANGE to every top-level window on a switch; only the posted one
  // comes from the launcher.
  if (message == WM_DISPLAYCHANGE && !InSendMessage()) {
    char line[128];
    // Both at their full width, so that a fault in the upper half of a 64-bit parameter shows.
    std::snprintf(line, sizeof line, "notice wparam=%llu lparam=0x%0*llx time_ms=%lld",
                  static_cast<unsigned long long>(wParam), static_cast<int>(2 * sizeof lParam),
                  static_cast<unsigned long long>(static_cast<ULONG_PTR>(lParam)), UnixTimeMs());
    WriteLine(line);
    return 0;
  }
  if (message == WM_TIMER && wParam == kPollTimer) {
    PollBoxes();
    if (ShouldStop()) PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 2) return 2;
  g_record = std::fopen(__argv[1], "ab");
  if (g_record == nullptr) return 2;
  g_stopPath = std::string(__argv[1]) + ".stop";
  const unsigned long timeoutSeconds = __argc > 2 ? std::strtoul(__argv[2], nullptr, 10) : 120;
  g_deadline = GetTickCount() + static_cast<DWORD>(timeoutSeconds * 1000);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = TaskbarProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "Shell_TrayWnd";
  if (RegisterClassA(&windowClass) == 0) return 3;
  // Hidden, and topmost so that it comes before the desktop's own taskbar in the search order.
  const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "Shell_TrayWnd", "",
                                      WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 3;
  SetTimer(window, kPollTimer, kPollMs, nullptr);
  WriteLine(std::string("ready found_self=") + (FindWindowA("Shell_TrayWnd", "") == window ? "1" : "0"));

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  // Notices posted before the stop file appeared may still wait in the queue.
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_TIMER) DispatchMessageA(&message);
  }
  WriteLine("stopped");
  std::fclose(g_record);
  return 0;
}
