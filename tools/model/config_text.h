// A configuration file's text as the launcher reads it: the forms a file arrives in and how the
// tools tell them apart, the entries of the launcher's own walk with where each stands, and where
// the text the launcher reads ends before the file does. One rule for the checker and the settings
// dialog, and one walk: the reading of the form a file turns out to be is the one every tool
// renders.
#pragma once

#include "launcher/config_file.h"
#include "tools/model/finding.h"

#include <cstdint>
#include <string>
#include <vector>

enum class FileForm {
  Missing,  // no file yet: saving creates it
  Stored,   // the launcher's stored form
  Plain,    // plain text that was never encoded
  Utf16,    // text saved as UTF-16, in either byte order, with or without its marker
};

// The tools hold at most this much of a file: far more than the 998 bytes the launcher reads, so
// that what lies beyond them can still be told, and little enough for a file of any size.
constexpr size_t kHeldFileBytes = 64 * 1024;

// A file's first bytes and its whole length.
struct HeldBytes {
  std::string bytes;  // at most kHeldFileBytes
  uint64_t size = 0;  // the length of the whole file; when not known, the bytes read
  // False for an input longer than kHeldFileBytes whose length cannot be asked (a pipe, a
  // device): only its first bytes were read, and it may be endless.
  bool sizeKnown = true;
};

// One entry as the launcher's walk cut it and ParseEntry read it, and what applying it did.
struct CheckedEntry {
  int line = 0;          // its line, from 1, counted as an editor counts them: CR LF, LF and CR each end one
  std::string text;      // as it stands in the file
  ModeCriterion parsed;  // as ParseEntry left it
  bool accepted = false;
  bool applied = false;     // false for a PATH value that does not fit the launcher's folder
  std::string application;  // for a PATH entry: the application path it gives
};

struct FileText {
  FileForm form = FileForm::Missing;
  std::string text;     // the plain 8-bit text
  size_t replaced = 0;  // UTF-16 characters outside 8-bit text, each given as '?'
  std::vector<CheckedEntry> entries;  // the launcher's walk of the text

  bool AcceptsAnEntry() const;
};

// The launcher's walk of plain text: the entries of its first 998 bytes, each parsed.
std::vector<CheckedEntry> WalkEntries(const std::string& plainText);

// Tells the form of a file's bytes and gives its plain text with its entries. `assumed` (Stored or
// Plain) is how the launcher will read them, and it stands whenever that reading accepts an entry:
// the launcher then runs with those entries, whatever else the bytes look like. Otherwise text
// saved as UTF-16 (as it stands or encoded) is UTF-16, and the other reading is taken when it
// accepts an entry, or, when neither does, when it looks like text written in an editor and the
// launcher's reading does not (an INI file's "[Settings]" and "WIDTH=800"). Each reading is walked
// once.
FileText ReadFileText(const std::string& bytes, FileForm assumed = FileForm::Stored);

// Text as an editor writes it in a code page: printable letters, tabs and line ends, mostly ASCII,
// perhaps after a UTF-8 mark. The stored form inverts two bytes of every three, which turns ASCII
// letters into bytes above 127 and line ends into letters, so of the two readings of a file written
// by hand only one looks like this.
bool LooksLikeText(std::string text);

// Drops the UTF-8 byte order mark that editors write at the start of text saved as UTF-8, which
// would otherwise stand in front of the first key: true when `bytes` began with it.
bool StripUtf8Mark(std::string& bytes);

// The stored form of plain text, and the plain text of the stored form: the one transform.
std::string StoredForm(std::string text);

// The byte orders of text saved as UTF-16.
enum class Utf16Order { None, LittleEndian, BigEndian };
// UTF-16 units from `start` on as 8-bit text: units below 256 keep their value, the others become
// '?' and are counted in `replaced`, where one is given.
std::string NarrowUtf16(const std::string& bytes, size_t start, Utf16Order order, size_t* replaced = nullptr);

// The NUL and read-limit findings of plain text whose file is `size` bytes long (of which
// `plainText` may hold only the first part), or at least `size` bytes when `sizeKnown` is false.
// Each counts against the run only when it loses entries; otherwise it is only told.
std::vector<Finding> TextLimits(const std::string& plainText, uint64_t size, bool sizeKnown = true);
