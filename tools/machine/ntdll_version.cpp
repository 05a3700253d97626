// Asking ntdll for the Windows version.
#include "tools/machine/ntdll_version.h"

#include "tools/model/program_start.h"

WindowsVersion ReadWindowsVersion() {
  WindowsVersion version;
  // The processor Windows itself runs on, also for a 32-bit program on 64-bit Windows.
  SYSTEM_INFO system;
  GetNativeSystemInfo(&system);
  switch (system.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: version.machine = kMachineI386; break;
    case PROCESSOR_ARCHITECTURE_AMD64: version.machine = kMachineX64; break;
    case PROCESSOR_ARCHITECTURE_ARM64: version.machine = kMachineArm64; break;
    default: break;
  }
  // RtlGetVersion is in ntdll from Windows 2000 on; it is not in the import library, so it is
  // looked up. A generic function pointer converts to any other through void (*)().
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  FARPROC found = ntdll != nullptr ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
  if (found == nullptr) return version;
  auto rtlGetVersion = reinterpret_cast<LONG(WINAPI*)(OSVERSIONINFOW*)>(reinterpret_cast<void (*)()>(found));
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (rtlGetVersion(&info) != 0) return version;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  return version;
}
