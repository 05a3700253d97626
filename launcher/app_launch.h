// Starting the application and waiting for it; the operations are LaunchContext members.
#pragma once

#include <string>

// The text of the box that reports an application that could not be started.
std::string LaunchFailureText(const char* applicationPath);
