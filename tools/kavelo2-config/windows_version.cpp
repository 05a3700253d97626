// Asking ntdll for the Windows version, on Windows or on the simulated platform.
#include "tools/kavelo2-config/windows_version.h"

#include <cstring>

#ifndef _WIN32
#include "platform/sim/sim_platform.h"

#include <cstdio>
#include <cstdlib>
#endif

namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

#ifdef _WIN32

bool PrepareVersion(std::string&) { return true; }

#else

// The simulated ntdll reports the version of KAVELO2_SIM_WINDOWS.
bool PrepareVersion(std::string& error) {
  const char* variable = std::getenv("KAVELO2_SIM_WINDOWS");
  std::string text = variable != nullptr ? variable : "6.1.7601";
  unsigned major = 0, minor = 0, build = 0;
  char rest = '\0';
  if (std::sscanf(text.c_str(), "%u.%u.%u%c", &major, &minor, &build, &rest) != 3 || text[0] < '0' ||
      text[0] > '9') {
    error = "KAVELO2_SIM_WINDOWS: \"" + text + "\" is not a version (write MAJOR.MINOR.BUILD, e.g. 10.0.19045)";
    return false;
  }
  Sim().windowsMajor = major;
  Sim().windowsMinor = minor;
  Sim().windowsBuild = build;
  return true;
}

#endif

}  // namespace

bool ReadWindowsVersion(WindowsVersion& version, std::string& error) {
  if (!PrepareVersion(error)) return false;
  version = WindowsVersion();
  // RtlGetVersion is in ntdll from Windows 2000 on; it is not in the import library, so it is
  // looked up. A generic function pointer converts to any other through void (*)().
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  FARPROC found = ntdll != nullptr ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
  if (found == nullptr) return true;
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void (*)()>(found));
  OSVERSIONINFOW info;
  std::memset(&info, 0, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (rtlGetVersion(&info) != 0) return true;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  return true;
}
