// The simulated display and Windows version that the host build of the tools shows, scripted in
// the tools' own notation: by the host's kavelo2-config from its environment at start-up
// (KAVELO2_SIM_MODES, KAVELO2_SIM_MODE, KAVELO2_SIM_RESTORE, KAVELO2_SIM_WINDOWS,
// KAVELO2_SIM_LAUNCHER), and by the tests directly.
#pragma once

#include <string>

// The display offers `modes` (WIDTHxHEIGHTxBITS@HZ, in enumeration order; null: the 27 modes of
// the 1024x768 desktop that the end-to-end tests run on). The first of its largest modes is the
// registry's, and the mode in force unless `inForce` names another (as a launcher that was ended
// by force leaves it); `restore`, a DISP_CHANGE_ number (null: 0), answers a return to the
// registry. Only the display is scripted: the registry and the rest stay. False, with the reason,
// when a value is not in the notation.
bool SimScriptDisplay(const char* modes, const char* inForce, const char* restore, std::string& error);

// ntdll reports `version` (MAJOR.MINOR.BUILD; null: 6.1.7601, Windows 7). False, with the reason,
// when it is not such a version.
bool SimScriptWindows(const char* version, std::string& error);

// A launcher runs beside the tools (`running` "1": its single-instance mutex is there) or not
// ("0" or null). False, with the reason, for any other value.
bool SimScriptLauncher(const char* running, std::string& error);
