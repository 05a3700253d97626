// The configuration file: its stored form, its entries and what each entry means.
#pragma once

#include "platform/win32_api.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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
};

// The keyword of a kind ("WIDTH", ...), or "" for EntryKind::None.
const char* EntryKeyword(EntryKind kind);

// The kind whose keyword equals the whole upper-cased key, or EntryKind::None.
EntryKind KindOfKey(const char* key);

// Upper-cases the letters a to z in place and nothing else, whatever the locale.
void UppercaseAscii(char* text);

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
};

using CriteriaList = std::vector<ModeCriterion>;

// The stored form: every byte whose offset is not a multiple of 3 is complemented. The
// transform is its own inverse.
void DecodeConfigBuffer(char* buffer, size_t count);

// Reads up to 998 bytes of `file`, closes the text with a carriage return and a NUL, and decodes
// it. Answers the number of bytes read.
size_t ReadConfigBuffer(std::FILE* file, char (&buffer)[kConfigBufferSize]);

// Reads one integer at `text` as "%i" does (blanks, sign, 0x hex, 0 octal, decimal; modulo
// 2^32). Answers the position after it, or null when no number starts there.
const char* ReadInteger(const char* text, int32_t& value);

// Reads a comma-separated integer list into `values`. True when the list is accepted.
bool ReadIntegerList(const char* text, std::vector<int32_t>& values);

inline bool IsEntrySeparator(char c) { return c == '\n' || c == '\r' || c == ';'; }

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
