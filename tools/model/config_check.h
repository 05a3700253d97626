// The check: what the launcher makes of a configuration, entry by entry, which display mode it
// picks and what it does then, as data. The checker's report, its exit status, the settings
// dialog's verdict and its explanation are all rendered from this one record (finding_text.h, check_report.h).
//
// The decisions are all the launcher's (ReadStoredBytes, WalkConfigEntries, ParseEntry,
// ApplyEntry, SelectMode, run on a LaunchContext built without the platform); the check only
// weighs what they mean for the run. It makes no platform call: the catalogue, the mode in force
// and the probe of the machine's files are handed to it.
#pragma once

#include "launcher/mode_selection.h"
#include "tools/model/app_layers.h"
#include "tools/model/elevation.h"
#include "tools/model/file_forms.h"
#include "tools/model/path_kind.h"
#include "tools/model/selection_facts.h"
#include "tools/model/windows_version.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Exit statuses of a check (and of the tool).
constexpr int kRunsAsWritten = 0;   // the launcher starts the application as the file says
constexpr int kFails = 1;           // it stops, or it will fail to start the application
constexpr int kUsageOrIoError = 2;  // the check could not be made
constexpr int kRunsOtherwise = 3;   // it starts the application, but not as the file says

// The longest path Windows starts a program from: the launcher names the application to
// CreateProcessA, whose ANSI path stops short of MAX_PATH characters with its terminator, and the
// launcher's manifest claims no longer paths. A longer path fails however the file is there (and
// the ANSI file calls that would look for it fail too, as if it were missing).
constexpr size_t kLongestStartablePath = MAX_PATH - 1;

struct CheckInput {
  HeldBytes file;                // the file's bytes as read from disk (at most the held bound)
  bool plain = false;            // the bytes are plain text rather than the stored form
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

// What a finding is. The comments name the fields each kind fills: `subject` (what it is
// about), `detail` (a second text), `fix` (what to write instead, or a likely meaning), `number`,
// `count` and `numbers`.
enum class FindingKind {
  // The folder or the file as a whole; each stops the run.
  FolderTooLong,           // - (the launcher's folder leaves it no room for its paths)
  EmptyFile,               // -
  Utf16Text,               // -
  PlainTextFile,           // subject: the input's name ("" for standard input)
  StoredFormGivenAsPlain,  // -
  // Where the text ends early, told at the end of the entries.
  NulEndsText,  // number: the NUL's offset; detail: the run it cuts off, or ""
  ReadLimit,    // number: the file's length, 0 when it is not known; line, subject: the entry
                // the limit cuts (its first 60 bytes when it is longer), detail: what of it is
                // read (only when it is quoted whole), length: how many of its bytes are read;
                // count: the entries never read, negative when only the held part of the file
                // was counted
  // Entries the launcher ignores.
  NoColon,         // subject: the entry; fix: the entry as likely meant, or ""
  EmptyKey,        // -
  BlankInKey,      // subject: the key in capitals; fix: the key without blanks
  KeyAfterMark,    // subject: the key in capitals (a UTF-8 byte order mark before a keyword)
  MisspeltKey,     // subject: the key in capitals; fix: the likely keyword
  UnknownKey,      // subject: the key in capitals
  EmptyValue,      // entryKind: the entry's kind
  ListWithoutNumber,  // entryKind
  // Accepted entries that do not say what they seem to.
  PathTooLong,         // subject: the application path that stays
  OctalNumber,         // subject: the digits; number: their octal value; fix: the digits meant
  TextAfterNumber,     // subject: the text; number: the number before it; fixes: the entries a
                       // size or mode written after a width stands for
  ElementWithoutNumber,  // subject: the element
  ListStops,             // subject: the element that stops it ("" for an empty one); detail: the
                         // rest, not read
  WaitsForAll,           // - (the entry that turns WAITALL on: what the wait costs)
  // The application the launcher starts.
  PathEmpty,            // -
  PathBlankAtStart,     // fix: the value without blanks at its ends
  PathBlankAtEnd,       // fix
  PathQuoted,           // subject: the application path; fix: the value without its quotes
  PathFromShareRoot,    // subject: the value; detail: the application path; fix: the path on a
                        // mapped drive
  PathFromDriveRoot,    // subject: the value; detail: the application path; fix: with a drive
  PathTooLongToStart,   // subject: the application path; number: its length; count: 1 when a
                        // PATH entry names it (the path is longer than Windows starts from)
  PathNamesFolder,      // subject: the application path; fix: the value with a file name added
  ApplicationIsFolder,  // subject: the application path; count: 1 when a PATH entry names it
  ApplicationMissing,   // subject: the application path; count: 1 when a PATH entry names it
  ApplicationNeedsElevation,  // subject: the application path; elevation: why Windows starts it
                              // only with administrator rights; count: 1 when a PATH entry names it
  // What the application sees of the switch.
  EmulatedDepth,  // subject: the application path; numbers: the depths under 32 bits the switch
                  // may ask for, which Windows 8 and later only emulate; number: the depth the
                  // application's own reduced colour layer gives it, or 0; count: where its
                  // layers stand when that is not a local drive (kLayersOnNetwork and the others)
  // What the run does: the last finding of every check.
  NoModeEntry,                // stops
  NoModeFits,                 // subject: the application path
  NoModeFitsStrict,           // stops
  SwitchLikelyRefused,        // subject: the application path
  SwitchLikelyRefusedStrict,  // stops
  Switches,                   // subject: the application path
  PicksFirstFit,              // subject: the application path (no catalogue was checked)
};

// EmulatedDepth's `count`: where the application's layers stand, when not on a local drive (0).
constexpr int64_t kLayersOnNetwork = 1;  // Windows applies none
constexpr int64_t kLayersOnMedium = 2;   // on a CD-ROM or removable drive: kept for the medium, and set
                                         // on the program's own Compatibility tab only
constexpr int64_t kLayersOfUnknownMedium = 3;  // the same, with values for the path on several media,
                                               // of which the one that applies is not known

struct Finding {
  explicit Finding(FindingKind found) : kind(found) {}

  FindingKind kind;
  int status = kRunsAsWritten;  // what it does to the run: kFails, kRunsOtherwise, or only told
  int line = 0;                 // the line of the text it concerns, from 1; 0 for none
  int entry = -1;               // the entry of CheckedEntries it is told under, or -1
  EntryKind entryKind = EntryKind::None;
  std::string subject, detail, fix;
  std::vector<std::string> fixes;
  int64_t number = 0;
  int64_t count = 0;
  int64_t length = 0;
  std::vector<int64_t> numbers;  // where a finding concerns several numbers
  ElevationNeed elevation;       // for ApplicationNeedsElevation
};

// True for the findings that end the run without starting the application.
bool StopsTheRun(FindingKind kind);
// The findings about the application the launcher starts: its PATH value as the launcher reads it
// (IsPathValueFinding, whatever the machine), and its file on this machine.
bool IsApplicationFinding(FindingKind kind);
bool IsPathValueFinding(FindingKind kind);

// One entry of the text, as the launcher's walk cut it and ParseEntry read it.
struct CheckedEntry {
  int line = 0;
  std::string text;          // as it stands in the file
  ModeCriterion parsed;      // kind None when the entry is ignored
  bool accepted = false;
  bool applied = false;      // false for a PATH value that does not fit
  std::string application;   // for a PATH entry: the application path it gives
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
  bool settingsRead = false;  // the entries were read (not for an empty or UTF-16 file)
  SelectionFacts selection;
  WindowsVersion windows;
  bool layersRead = false;  // `layers` holds the application's compatibility layers
  AppLayersReading layers;
  std::vector<Finding> findings;  // in report order; the last one tells what the run does
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
