// The forms a configuration file arrives in, how the tools tell them apart, and how much of a
// file they read: one rule for the checker and the settings dialog.
#pragma once

#include <cstdint>
#include <string>

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

struct FileText {
  FileForm form = FileForm::Missing;
  std::string text;     // the plain 8-bit text
  size_t replaced = 0;  // UTF-16 characters outside 8-bit text, each given as '?'
};

// Tells the form of a file's bytes and gives its plain text. `assumed` (Stored or Plain) is how
// the launcher will read them, and it stands whenever that reading accepts an entry: the launcher
// then runs with those entries, whatever else the bytes look like. Otherwise text saved as UTF-16
// (as it stands or encoded) is UTF-16, and the other reading is taken when it accepts an entry.
FileText ReadFileText(const std::string& bytes, FileForm assumed = FileForm::Stored);

// The stored form of plain text, and the plain text of the stored form: the one transform.
std::string StoredForm(std::string text);

// How many entries the launcher accepts in plain text (of which it reads the first 998 bytes).
int CountAcceptedEntries(const std::string& plainText);

// The byte order of text saved as UTF-16, with or without its byte order mark (whose length, 2
// or 0, goes to `markLength`); None for any other text.
enum class Utf16Order { None, LittleEndian, BigEndian };
Utf16Order DetectUtf16(const std::string& bytes, size_t* markLength = nullptr);
