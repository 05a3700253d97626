// A finding: one thing a check of a configuration found, as data (its words are
// finding_text.h's), and what each finding does to the run.
#pragma once

#include "launcher/config_file.h"
#include "tools/model/elevation.h"

#include <cstdint>
#include <string>
#include <vector>

// Exit statuses of a check (and of the tool).
constexpr int kRunsAsWritten = 0;   // the launcher starts the application as the file says
constexpr int kFails = 1;           // it stops, or it will fail to start the application
constexpr int kUsageOrIoError = 2;  // the check could not be made
constexpr int kRunsNotAsWritten = 3;  // it starts the application, but not as the file says

// What a finding is. The comments name the fields each kind fills: `subject` (what it is
// about), `detail` (a second text), `fix` (what to write instead, or a likely meaning), `number`,
// `count` and `numbers`. The kinds stand in groups, which StopsTheRun, RoleOf and
// IsApplicationFinding tell by their first and last kinds: a new kind goes into its group.
enum class FindingKind {
  // The folder or the file as a whole; each stops the run.
  FolderTooLong,           // - (the launcher's folder leaves it no room for its paths)
  EmptyFile,               // -
  Utf16Text,               // -
  PlainTextFile,           // subject: the input's name ("" for standard input); count: 1 when
                           // its entries are not the launcher's either (an INI file's)
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
  SectionLine,     // subject: the entry (an INI file's "[Settings]": the launcher has no sections)
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
  NumberWraps,           // subject: the digits; number: the 32-bit number the launcher reads
  NegativeNumber,        // subject: the number as written; number: what a mode's field must hold
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
  // The application's file as the launcher's start meets it (count: 1 when a PATH entry names it).
  ApplicationIsLauncher,         // subject: the application path (a launcher, renamed or not)
  ApplicationNotAProgram,        // subject: the application path (no program header)
  ApplicationIs16Bit,            // subject: the application path (a DOS or 16-bit Windows program,
                                 // on 64-bit Windows)
  ApplicationForOtherProcessor,  // subject: the application path; number: its machine; length:
                                 // the machine this Windows runs on
  ApplicationNeedsElevation,  // subject: the application path; elevation: why Windows starts it
                              // only with administrator rights; count: 1 when a PATH entry names it
  // What the application sees of the switch.
  EmulatedDepth,  // subject: the application path; numbers: the depths under 32 bits the switch
                  // may ask for, which Windows 8 and later only emulate; number: the depth the
                  // application's own reduced colour layer gives it, or 0; count: where its
                  // layers stand when that is not a local drive (kLayersOnNetwork and the others)
  RateNotOffered,  // numbers: the rates the FREQ entries ask for; subject: the rates the display
                   // offers for the chosen size and depth ("60" or "60, 75")
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
  explicit Finding(FindingKind found, int effect = kRunsAsWritten, std::string about = "")
      : kind(found), status(effect), subject(std::move(about)) {}

  FindingKind kind;
  int status;  // what it does to the run: kFails, kRunsNotAsWritten, or kRunsAsWritten (only told)
  int line = 0;                 // the line of the text it concerns, from 1; 0 for none
  int entry = -1;               // the entry of the check it is told under, or -1
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

