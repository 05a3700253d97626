// The version of Windows the tools run on, as ntdll reports it: the programs' manifest stops at
// Windows 7, so GetVersionExA would report an older version on Windows 8.1 and later.
#pragma once

#include "tools/model/windows_version.h"

// The version ntdll's RtlGetVersion reports (all 0 when it is missing), and the processor Windows
// runs on.
WindowsVersion ReadWindowsVersion();
