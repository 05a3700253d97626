// The launcher's one record per run, and the run itself.
#pragma once

#include "launcher/config_file.h"
#include "launcher/mode_selection.h"
#include "launcher/path_text.h"
#include "platform/win32_api.h"

// Derives the run's paths from the launcher's module path: the directory with its trailing
// backslash, the file name up to its first dot, and the two files beside it. False when one of
// them does not fit its field; the fields are then left as they were.
bool DeriveProgramPaths(const char* modulePath, PathText& programDirectory,
                        PathText& programBaseName, PathText& configPath,
                        PathText& applicationPath);

// The configuration file that the launcher at `modulePath` reads, by its own rule, into
// `configPath`: Kavelo2.ini beside it when `opens` opens that, else its own name with .ini when
// `opens` opens that. False when neither opens or a path does not fit. How the tools tell which
// file a launcher of a given name reads in a folder, with a probe of that folder as `opens`.
template <typename Opens>
bool ConfigFileReadBy(const char* modulePath, PathText& configPath, Opens&& opens) {
  PathText directory, baseName, applicationPath;
  return DeriveProgramPaths(modulePath, directory, baseName, configPath, applicationPath) &&
         FindConfigFile(configPath, directory, baseName, configPath, opens);
}

class LaunchContext {
 public:
  // Builds the record from the module path: the current display mode, asked of the platform,
  // and the derived paths. When the paths do not fit, all four stay empty and PathsFit() is false.
  explicit LaunchContext(const char* modulePath);
  // The same with the display mode in force given rather than asked of the platform: how the
  // tools apply a configuration exactly as the launcher does.
  LaunchContext(const char* modulePath, const DEVMODEA& modeInForce);
  LaunchContext(const LaunchContext&) = delete;
  LaunchContext& operator=(const LaunchContext&) = delete;

  bool PathsFit() const { return configPath[0] != '\0'; }

  // Configuration file (config_file.cpp). Answers the number of criteria.
  int LoadConfiguration(const char* firstCandidate);
  // Applies the entries of decoded text in file order; answers the number of criteria.
  int ApplyConfigurationText(char* text);
  // Applies one accepted entry by its kind. False when a PATH value does not fit.
  bool ApplyEntry(const ModeCriterion& entry);

  // Display modes (mode_selection.cpp).
  int EnumerateModes();
  int SelectMode(DWORD& fieldMask) const;

  // Mode switch (mode_switch.cpp).
  int ApplyMode(int index, DWORD fieldMask);
  bool NotifyTaskbar(DWORD bitsPerPixel, DWORD width, DWORD height);
  void RestoreMode();

  // Application (app_launch.cpp).
  int LaunchApplication(const char* path);
  void WaitForApplication();

  PROCESS_INFORMATION processInfo;
  STARTUPINFOA startupInfo;
  bool modeChanged;
  bool strictMode;
  bool backdropEnabled;
  bool waitAllEnabled;
  // The job that holds the application and every program it starts, from a WAITALL start until
  // the wait ends (app_launch_win32.cpp); null otherwise.
  HANDLE applicationJob;
  DEVMODEA currentMode;
  ModeCatalogue modeCatalogue;
  HWND backdropWindow;
  PathText programDirectory;
  PathText configPath;
  PathText programBaseName;
  PathText applicationPath;
  CriteriaList criteria;
};

// The single-instance mutex: every running launcher holds it, and a second start that finds it
// ends at once.
constexpr const char* kSingleInstanceMutexName = "KAVELO2";

// The box of a strict run for which no mode fits.
constexpr const char* kNoSuitableModeText =
    "This application failed to find a suitable screen resolution and/or color depth.\r";
constexpr const char* kNoSuitableModeCaption = "Kavelo2";

// The whole life of the launcher: the body of WinMain (launch_context_win32.cpp). Always answers 0.
int RunLauncher(HINSTANCE instance, int showCommand);
