// Starting the application and waiting for it; the operations are LaunchContext members
// (app_launch_win32.cpp).
#pragma once

#include <string>

// The box that reports an application that could not be started: its caption, and its text for
// the path that was given.
constexpr const char* kLaunchFailureCaption = "Kavelo2 Error";
std::string LaunchFailureText(const char* applicationPath);
