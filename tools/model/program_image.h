// What a file is as a program, read from its head: the kind of program its headers make it, and
// for a Windows program of today (PE) its machine, its subsystem, its application manifest's
// requested execution level and its version block's strings. The reader is handed a bounded
// random-access read of the file, so that it makes no platform call and reads only the headers and
// the resources it needs, never more than kProgramHeadBudget bytes in all; every offset and size
// the file holds is checked before it is used.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The most the reader asks of a file, in all its reads together.
constexpr uint32_t kProgramHeadBudget = 1024 * 1024;

// What the headers make a file.
enum class ProgramFormat {
  Unread,      // the file could not be read
  NotProgram,  // no "MZ" at its start
  Dos,         // an MZ program without a new header
  Segmented,   // "NE": a 16-bit Windows or OS/2 program
  Linear,      // "LE" or "LX": a virtual device driver or a 32-bit OS/2 program
  Portable,    // "PE": a Windows program of today
};

// IMAGE_FILE_MACHINE_I386: a 32-bit x86 program. Other machines are kept as their header's number.
constexpr uint16_t kMachineI386 = 0x014C;

// What a manifest's requestedExecutionLevel element asks for.
enum class ExecutionLevel {
  None,                  // no such element, or no manifest
  AsInvoker,
  HighestAvailable,
  RequireAdministrator,
  Unknown,               // the element names a level of no other kind
};

struct ProgramImage {
  ProgramFormat format = ProgramFormat::Unread;
  // For Portable:
  bool headersWhole = false;  // the file and optional headers were read whole; without them the
                              // fields below are what was read before the file ended
  uint16_t machine = 0;       // the file header's Machine
  uint16_t subsystem = 0;     // the optional header's Subsystem
  unsigned manifestIds = 0;   // bit (id - 1) for each RT_MANIFEST resource of id 1 to 3
  ExecutionLevel level = ExecutionLevel::None;  // in manifest 1, the one a program starts with
  std::vector<std::pair<std::string, std::string>> versionStrings;  // of its first RT_VERSION
};

// Reads `size` bytes from `offset` into `bytes`, fewer where the file ends there; false when the
// file cannot be read.
using ProgramRead = std::function<bool(uint32_t offset, uint32_t size, std::string& bytes)>;

ProgramImage ReadProgramImage(const ProgramRead& read);

// The same over a file's bytes held in memory.
ProgramImage ReadProgramImage(const std::string& file);
