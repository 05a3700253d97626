// How the tools' words show the names and entries they quote: one line each, with the bytes a
// reader cannot see escaped.
#pragma once

#include <string>

// How bytes outside printable ASCII are shown. A console may not show the code page's letters,
// so the checker escapes each of them; a dialog shows ANSI text in the code page, as Windows shows
// the user's file names everywhere else. Control characters are escaped in both.
enum class Rendering {
  Escaped,  // every byte outside printable ASCII as \xNN: for a console
  Ansi,     // bytes from 0x80 on as they are, the code page's letters: for a window
};

// Text as it can be shown on one line: bytes below 0x20 and 0x7F become \xNN, and so do those
// from 0x80 on when `rendering` is Escaped.
std::string Shown(const std::string& text, Rendering rendering);
// The same in double quotes.
std::string Quoted(const std::string& text, Rendering rendering);
