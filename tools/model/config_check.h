// The check: what the launcher makes of a configuration, entry by entry, which display mode it
// picks and what it does then, as data. The checker's report, its exit status, the settings
// dialog's verdict and its explanation are all rendered from this one record (finding_text.h, check_report.h).
//
// The decisions are all the launcher's (CopyReadPart, WalkConfigEntries, ParseEntry,
// ApplyEntry, SelectMode, run on a LaunchContext built without the platform); the check only
// weighs what they mean for the run. It makes no platform call: the catalogue, the mode in force
// and the probe of the machine's files are handed to it.
#pragma once

#include "launcher/mode_selection.h"
#include "tools/model/app_layers.h"
#include "tools/model/config_text.h"
#include "tools/model/finding.h"
#include "tools/model/path_kind.h"
#include "tools/model/selection_facts.h"
#include "tools/model/windows_version.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The longest path Windows starts a program from: the launcher names the application to
// CreateProcessA, whose ANSI path stops short of MAX_PATH characters with its terminator, and the
// launcher's manifest claims no longer paths. A longer path fails however the file is there (and
// the ANSI file calls that would look for it fail too, as if it were missing).
constexpr size_t kLongestStartablePath = MAX_PATH - 1;

struct CheckInput {
  HeldBytes file;                // the file's bytes as read from disk (at most the held bound)
  bool plain = false;            // the bytes are plain text rather than the stored form
  bool decoded = false;          // the bytes are a stored file's text already (a dialog's document)
  std::string inputName;         // as shown; "" for standard input or a text in memory
  std::string programDirectory;  // the launcher's folder in Windows form, ending in a backslash
  // The catalogue to choose from (null: the choice is not checked), and whether it is this
  // display's own, whose mode in force `currentMode` then holds.
  const ModeCatalogue* modes = nullptr;
  bool modesAreTheDisplays = false;
  DEVMODEA currentMode{};
  // What a Windows path names on this machine; empty looks for nothing.
  std::function<PathKind(const std::string& windowsPath)> probe;
  // The Windows version the launcher runs on; an unknown one counts as one before Windows 8.
  WindowsVersion windows;
  // The current user's compatibility layers of the application, by its full path (the registry's,
  // or those a dialog is about to save): false when they are not known for that path. Empty
  // reads none.
  std::function<bool(const std::string& applicationPath, AppLayersReading& layers)> layers;
  // What the application's file is as a program, by its full path, asked only where the probe
  // finds a file: false when it is not known. Empty reads none.
  std::function<bool(const std::string& applicationPath, ProgramImage& image)> image;
};

// How the launcher finds a file of this name beside it.
enum class NameRule {
  EveryLauncher,  // Kavelo2.ini
  NamedLauncher,  // NAME.ini, read by NAME.exe when no Kavelo2.ini lies beside it
  Shadowed,       // NAME.ini, but a Kavelo2.ini lies beside it, which NAME.exe reads instead
  NoLauncher,     // a name no launcher reads
};

struct CheckedFile {
  std::string name;              // "" for standard input or a text in memory
  uint64_t size = 0;             // the whole file's length
  bool sizeKnown = true;         // false: more than the held bytes, how much more is not known
  bool givenPlain = false;
  FileForm form = FileForm::Stored;  // what the bytes turned out to be
  NameRule nameRule = NameRule::EveryLauncher;
  std::string launcherName;      // for NamedLauncher and Shadowed: NAME
  std::string programDirectory;  // as the launcher derives it
};

struct ConfigCheck {
  bool made = false;  // false when the program directory leaves the launcher no paths: the one
                      // finding is then FolderTooLong
  CheckedFile file;
  std::vector<CheckedEntry> entries;
  // The settings the entries leave.
  CriteriaList criteria;
  bool strictMode = false;
  bool backdropEnabled = false;
  bool waitAllEnabled = false;
  std::string applicationPath;
  bool applicationFails = false;  // the start of the application fails: an application finding says why
  bool settingsRead = false;  // the entries were read (not for an empty or UTF-16 file)
  SelectionFacts selection;
  WindowsVersion windows;
  bool layersRead = false;  // `layers` holds the application's compatibility layers
  AppLayersReading layers;
  std::vector<Finding> findings;  // in report order; the last one tells what the run does
  std::vector<std::string> asked;  // the paths the check asked the machine about
};

ConfigCheck CheckConfiguration(const CheckInput& input);

// The verdict: the finding that decides the exit status, and the status. A stop outweighs a
// failed start, which outweighs a run that is not as the file says; null for kRunsAsWritten.
struct Verdict {
  int status = kRunsAsWritten;
  const Finding* cause = nullptr;
};
Verdict Judge(const ConfigCheck& check);
// The verdict points into the check: never judge one that is about to go.
Verdict Judge(const ConfigCheck&& check) = delete;
