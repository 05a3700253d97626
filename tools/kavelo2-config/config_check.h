// `check`: reads a configuration file exactly as the launcher does and tells, entry by entry,
// what the launcher makes of it, which display mode it would pick and what it would do then.
#pragma once

#include "launcher/mode_selection.h"

#include <cstdio>
#include <string>
#include <vector>

// Exit statuses of a check (and of the tool).
constexpr int kRunsAsWritten = 0;   // the launcher starts the application as the file says
constexpr int kFails = 1;           // it stops, or it will fail to start the application
constexpr int kUsageOrIoError = 2;  // the check could not be made
constexpr int kRunsOtherwise = 3;   // it starts the application, but not as the file says

enum class ModeSource {
  None,     // selection is not checked
  List,     // the catalogue given in CheckOptions::modes
  Display,  // the display's own catalogue, enumerated as the launcher enumerates it
};

struct CheckOptions {
  bool plain = false;            // the input is plain text rather than the stored form
  std::string inputName;         // as shown in the report; "" for standard input or a text
  std::string programDirectory;  // the launcher's folder in Windows form, ending in a backslash
  ModeSource modeSource = ModeSource::None;
  ModeCatalogue modes;           // for ModeSource::List
};

// One problem the check found, in the words the report uses for it.
struct CheckFinding {
  int status = kRunsOtherwise;  // kFails or kRunsOtherwise: what the problem does to the run
  int line = 0;                 // the line of the text it concerns, from 1; 0 for the whole file
  std::string text;             // e.g. "ignored: unknown key \"COLOUR\" (the keys are ...)"
};

struct CheckOutcome {
  int status = kRunsAsWritten;        // one of the exit statuses above
  std::string report;                 // for standard output, one line per "\n"
  std::string error;                  // one line for standard error when the status is not 0
  std::vector<CheckFinding> findings; // in report order; empty when the status is 0 or 2
};

// Checks the bytes of a file as read from disk (the stored form, or plain text with
// CheckOptions::plain). Needs no file and no console.
CheckOutcome CheckConfigurationText(const std::string& bytes, const CheckOptions& options);

// The same for an open file, read to its end; status 2 when it cannot be read.
CheckOutcome CheckConfiguration(std::FILE* file, const CheckOptions& options);

// How many entries the launcher accepts in plain text (of which it reads the first 998 bytes).
// The stored form of a file and its plain text cannot both read well, which tells them apart.
int CountAcceptedEntries(const std::string& plainText);

// The byte order of text saved as UTF-16, with or without its byte order mark (whose length, 2
// or 0, goes to `markLength`); None for any other text.
enum class Utf16Order { None, LittleEndian, BigEndian };
Utf16Order DetectUtf16(const std::string& bytes, size_t* markLength = nullptr);
bool LooksLikeUtf16(const std::string& bytes);

// For plain text longer than the launcher reads, one sentence naming the entry that the limit
// cuts and how many entries are never read; "" for text that fits. `losesEntries` tells whether
// the limit cuts an entry or leaves one unread.
std::string DescribeReadLimit(const std::string& plainText, bool* losesEntries = nullptr);
