// How the tools' words show the names and entries they quote: one line each, with the bytes a
// reader cannot see escaped.
#pragma once

#include <string>

// Where the words are shown, which decides how bytes outside printable ASCII stand and what the
// words point to. A console may not show the code page's letters, so the checker escapes each of
// them; a dialog shows ANSI text in the code page, as Windows shows the user's file names
// everywhere else. Control characters are escaped in both. The checker's words name the file's
// entries and lines; the dialog's name its own controls, and no line of the text that saving
// writes, which the user never sees.
enum class Rendering {
  Escaped,  // every byte outside printable ASCII as \xNN: for the checker's console
  Dialog,   // bytes from 0x80 on as they are, the code page's letters: for Kavelo2 Settings' window
};

// Text as it can be shown on one line: bytes below 0x20 and 0x7F become \xNN, and so do those
// from 0x80 on when `rendering` is Escaped.
std::string Shown(const std::string& text, Rendering rendering);
// The same in double quotes.
std::string Quoted(const std::string& text, Rendering rendering);
