// `check`: reads a configuration file exactly as the launcher does and tells, entry by entry,
// what the launcher makes of it, which display mode it would pick and what it would do then.
#pragma once

#include "launcher/mode_selection.h"

#include <cstdio>
#include <string>

enum class ModeSource {
  None,     // selection is not checked
  List,     // the catalogue given in CheckOptions::modes
  Display,  // the display's own catalogue, enumerated as the launcher enumerates it
};

struct CheckOptions {
  bool plain = false;            // the input is plain text rather than the stored form
  std::string inputName;         // as shown in the report; "" for standard input
  std::string programDirectory;  // the launcher's folder in Windows form, ending in a backslash
  ModeSource modeSource = ModeSource::None;
  ModeCatalogue modes;           // for ModeSource::List
};

struct CheckOutcome {
  int status = 0;      // 0: the launcher goes on to start the application; 1: it stops; 2: error
  std::string report;  // for standard output
  std::string error;   // one line for standard error when the status is not 0
};

CheckOutcome CheckConfiguration(std::FILE* file, const CheckOptions& options);

// How many entries the launcher accepts in plain text (of which it reads the first 998 bytes).
// The stored form of a file and its plain text cannot both read well, which tells them apart.
int CountAcceptedEntries(const std::string& plainText);

// For plain text longer than the launcher reads, one sentence naming the entry that the limit
// cuts and how many entries are never read; "" for text that fits.
std::string DescribeReadLimit(const std::string& plainText);
