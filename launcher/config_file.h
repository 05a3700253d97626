// The configuration file: its stored form, its entries and what each entry means. Everything
// declared here but LoadConfiguration's file reading (config_file_win32.cpp) is plain rules over
// bytes handed in, which the tools run as they are.
#pragma once

#include "launcher/path_text.h"
#include "platform/win32_api.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// The first file a launcher looks for beside it; the second is its own base name with ".ini".
constexpr const char* kConfigFileName = "Kavelo2.ini";

// Only the first 998 bytes of a file are read; the buffer also holds the carriage return and
// the NUL that close the text.
constexpr size_t kConfigReadLimit = 998;
constexpr size_t kConfigBufferSize = kConfigReadLimit + 2;

enum class EntryKind : int32_t {
  None = 0,
  Width = 1,
  Height = 2,
  Depth = 3,
  Freq = 4,
  Strict = 5,
  Path = 6,
  Backdrop = 7,
  WaitAll = 8,
};

// Every kind an entry can have, in the order keys are compared.
constexpr EntryKind kEntryKinds[] = {EntryKind::Width,  EntryKind::Height, EntryKind::Depth,
                                     EntryKind::Freq,   EntryKind::Strict, EntryKind::Path,
                                     EntryKind::Backdrop, EntryKind::WaitAll};
constexpr size_t kEntryKindCount = sizeof(kEntryKinds) / sizeof(kEntryKinds[0]);

// The kinds that name a mode (WIDTH, HEIGHT, DEPTH, FREQ): each such entry becomes a criterion.
inline bool IsModeKind(EntryKind kind) { return kind >= EntryKind::Width && kind <= EntryKind::Freq; }

// The kinds that turn a setting on (STRICT, BACKDROP, WAITALL) rather than name a mode or a path.
inline bool IsSwitchKind(EntryKind kind) {
  return kind == EntryKind::Strict || kind == EntryKind::Backdrop || kind == EntryKind::WaitAll;
}

// The keyword of a kind ("WIDTH", ...), or "" for EntryKind::None.
const char* EntryKeyword(EntryKind kind);

// The kind whose keyword equals the whole upper-cased key, or EntryKind::None.
EntryKind KindOfKey(const char* key);

// The launcher's one case rule: the letters a to z become A to Z, nothing else changes, whatever
// the locale.
inline char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
void UppercaseAscii(char* text);

// A PATH value's slashes become backslashes, in place.
void ToBackslashes(char* text);

// The blanks that "%i" skips before a number: blank, tab, vertical tab and form feed.
inline bool IsNumberBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// Entries end at a line feed, a carriage return or a semicolon.
inline bool IsEntrySeparator(char c) { return c == '\n' || c == '\r' || c == ';'; }

// An entry's key is every byte before its first colon, its value every byte after it; neither is
// trimmed. False for an entry without a colon.
bool SplitEntry(std::string_view entry, std::string_view& key, std::string_view& value);

// One parsed entry. Only the four mode kinds reach the context's criteria.
struct ModeCriterion {
  EntryKind kind = EntryKind::None;
  std::vector<int32_t> values;  // integer list of every kind but PATH
  std::string text;             // value of a PATH entry

  // Parses a writable NUL-terminated entry in place: the first colon becomes NUL, the key is
  // upper-cased and a PATH value's slashes become backslashes. True when the entry is accepted.
  bool ParseEntry(char* entry);

  // True when this criterion accepts `mode`; its DM_* bit is then added to `fieldMask`.
  bool MatchCriterion(const DEVMODEA& mode, DWORD& fieldMask, bool relaxed) const;

  // For STRICT, BACKDROP and WAITALL: only a first value above 0 switches the setting on.
  bool SwitchesOn() const { return !values.empty() && values[0] > 0; }
};

using CriteriaList = std::vector<ModeCriterion>;

// The stored form: every byte whose offset is not a multiple of 3 is complemented. The
// transform is its own inverse.
void DecodeConfigBuffer(char* buffer, size_t count);

// Writes the carriage return and the NUL that the launcher puts after the `count` bytes it read;
// `bytes` has room for both.
void AppendCrAndNul(char* bytes, size_t count);

// What the launcher makes of the `count` bytes it read into `buffer`: the carriage return and the
// NUL appended, then the bytes read decoded (not those two). Answers `count`.
size_t AppendCrNulAndDecode(char (&buffer)[kConfigBufferSize], size_t count);

// What the launcher reads of a file whose decoded text is `plain`, copied into `buffer`: its first
// 998 bytes, then the carriage return and the NUL. Answers the number of bytes copied.
size_t CopyReadPart(std::string_view plain, char (&buffer)[kConfigBufferSize]);

// The launcher's second candidate: its own base name with ".ini", beside it. False when that
// does not fit the path field, which the launcher counts as not found.
bool SecondConfigCandidate(const char* programDirectory, const char* programBaseName,
                           PathText& path);

// Which configuration file a launcher reads: `firstCandidate` when `opens` opens it, even when
// it turns out to be empty; otherwise the second candidate, which is formed in `configPath`.
// True when `opens` opened one. `opens` is the launcher's fopen, or a tool's probe of a folder.
template <typename Opens>
bool FindConfigFile(const char* firstCandidate, const char* programDirectory,
                    const char* programBaseName, PathText& configPath, Opens&& opens) {
  if (opens(static_cast<const char*>(firstCandidate))) return true;
  return SecondConfigCandidate(programDirectory, programBaseName, configPath) &&
         opens(static_cast<const char*>(configPath));
}

// The launcher's one test of a full path: a value whose second character is a colon names a drive
// (as in C:); nothing else does, a value starting at a backslash neither.
inline bool NamesADrive(std::string_view value) { return value.size() >= 2 && value[1] == ':'; }

// Sets `applicationPath` from a PATH value: a value that names a drive as it stands, any other
// behind `programDirectory`. False, and nothing changed, when it does not fit.
bool ResolveApplicationPath(const char* programDirectory, const char* value,
                            PathText& applicationPath);

// The rule's inverse: the PATH value that names `applicationPath` to a launcher in
// `programDirectory`, relative when the path lies inside that folder and its rest reads back as
// that path (it neither names a drive nor starts at a backslash, which looks like the drive's
// root), else the path as given; slashes become backslashes either way.
std::string PathValueFor(const std::string& programDirectory, std::string applicationPath);

// Reads one integer at `text` as "%i" does (blanks, sign, 0x hex, 0 octal, decimal; modulo
// 2^32). Answers the position after it, or null when no number starts there. `digits`, when
// given, receives where the number's digits begin, after the blanks and the sign (at its "0x"
// for a hexadecimal one).
const char* ReadInteger(const char* text, int32_t& value, const char** digits = nullptr);

// One element of an integer list as the launcher walks it: from `start` up to the next comma
// (`comma`, null for the last element) and the number "%i" reads at its start (`numberEnd` is
// null when it reads none; its digits begin at `digits`).
struct ListElement {
  const char* start;
  const char* comma;
  const char* numberEnd;
  const char* digits;
  int32_t number;
};

// Walks a comma-separated integer list as the launcher reads it, handing each element it reads to
// `onElement`: the walk ends after the last element, and after the first element that holds a
// comma but reads no number. Answers the last element handed over.
template <typename OnElement>
ListElement WalkIntegerList(const char* text, OnElement&& onElement) {
  ListElement element{text, nullptr, nullptr, nullptr, 0};
  for (;;) {
    element.number = 0;
    element.numberEnd = ReadInteger(element.start, element.number, &element.digits);
    element.comma = std::strchr(element.start, ',');
    onElement(static_cast<const ListElement&>(element));
    if (element.comma == nullptr || element.numberEnd == nullptr) return element;
    element.start = element.comma + 1;
  }
}

// Reads a comma-separated integer list into `values`. True when the list is accepted.
bool ReadIntegerList(const char* text, std::vector<int32_t>& values);

// Cuts decoded text into entries in place and hands each one, NUL-terminated, to `onEntry` in
// file order. An entry is a run of non-separators closed by a separator; the text ends at its
// first NUL, and a run that reaches that NUL unclosed is no entry.
template <typename OnEntry>
void WalkConfigEntries(char* text, OnEntry&& onEntry) {
  char* cursor = text;
  while (*cursor != '\0') {
    if (IsEntrySeparator(*cursor)) {
      ++cursor;
      continue;
    }
    char* entry = cursor;
    while (*cursor != '\0' && !IsEntrySeparator(*cursor)) ++cursor;
    if (*cursor == '\0') return;
    *cursor++ = '\0';
    onEntry(entry);
  }
}
