// The forms a configuration file arrives in, and the one form it is saved in.
#pragma once

#include <string>

enum class FileForm {
  Missing,  // no file yet: saving creates it
  Stored,   // the launcher's stored form (an empty file counts as one)
  Plain,    // plain text that was never encoded
  Utf16,    // text saved as UTF-16, in either byte order, with or without its marker
};

struct FileText {
  FileForm form = FileForm::Missing;
  std::string text;         // the plain 8-bit text
  std::string description;  // what was found, one sentence for the user
};

// Tells the form of a file's bytes and gives its plain text. The stored form and plain text are
// told apart by which of the two readings the launcher accepts more entries from.
FileText ReadFileText(const std::string& bytes);

// The text of a file that does not exist yet.
FileText MissingFileText();

// The stored form of plain text: what saving writes.
std::string StoredForm(std::string text);
