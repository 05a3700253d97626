// Stands in for the application that the launcher starts. At start it appends one record of what
// it sees (display mode, start-up record, command line, current directory, own path, the
// launcher's backdrop window) to the file named by KAVELO_TEST_RECORD, then stays up for
// KAVELO_TEST_RUN_MS milliseconds (default 600) and exits with status 0. It inherits the
// launcher's environment, so the variables reach it through the launcher; without
// KAVELO_TEST_RECORD it records nothing.
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

class Record {
 public:
  void Add(const char* key, const std::string& value) {
    text_ += key;
    text_ += '=';
    text_ += Escape(value);
    text_ += '\n';
  }
  void Add(const char* key, long long value) { Add(key, std::to_string(value)); }
  void AddHex(const char* key, unsigned long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lx", value);
    Add(key, std::string(buffer));
  }
  // Appends the whole record with one write, so a reader never sees half of it.
  void AppendTo(const char* path) const {
    std::FILE* file = std::fopen(path, "ab");
    if (file == nullptr) return;
    const std::string whole = "begin\n" + text_ + "end\n";
    std::fwrite(whole.data(), 1, whole.size(), file);
    std::fclose(file);
  }

 private:
  std::string text_;
};

std::string EnvironmentValue(const char* name) {
  char buffer[2048];
  const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return std::string();
  return std::string(buffer, length);
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

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
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
  Sleep(runMs);
  return 0;
}
