// Names as this Windows' ANSI code page spells them. The tools open their files with ANSI calls,
// and the launcher names every file it reads in that code page too: a name the code page has no
// letters for reaches neither.
#pragma once

#include <string>

struct AnsiSpelling {
  std::string text;   // in the code page; its default character, '?', where it has no letter
  bool spelt = true;  // false: a character has no letter in the code page
};

// UTF-16 text (NUL-terminated) in the ANSI code page, without the best-fit letters Windows would
// otherwise put in (an "e" for an "é" the code page lacks), which would name another file.
AnsiSpelling SpellInCodePage(const wchar_t* wide);

// The ANSI code page of this Windows (1252 for Western European, 1251 for Cyrillic, ...).
unsigned AnsiCodePage();
