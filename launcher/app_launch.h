// Starting the application and waiting for it; the operations are LaunchContext members
// (app_launch_win32.cpp).
#pragma once

#include "platform/win32_api.h"

#include <string>

// The box that reports an application that could not be started: its caption, and its text for
// the path that was given.
constexpr const char* kLaunchFailureCaption = "Kavelo2 Error";
std::string LaunchFailureText(const char* applicationPath);

// With WAITALL, how long the wait lets a job that still holds programs go unasked, once the
// application's own process has ended: the platform announces a job's last process only through a
// completion port, so the wait asks again. A quarter of a second leaves the restore well inside the
// time a display switch takes anyway, and wakes the launcher four times a second for one query.
constexpr DWORD kJobRequeryMs = 250;
