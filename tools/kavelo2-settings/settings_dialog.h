// The Kavelo2 Settings window: a dialog from the resource script, driven by SettingsDocument.
#pragma once

#include "platform/win32_api.h"

#include <string>

// Shows the dialog for the configuration at `path` (a file, or a folder whose Kavelo2.ini is
// meant) and runs it until it closes. Answers the process's exit status. `pathSpelt` is false
// when the path holds characters this Windows' code page cannot spell ("?" in `path`).
int RunSettingsDialog(HINSTANCE instance, const std::string& path, bool pathSpelt);
