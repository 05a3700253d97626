// Spelling UTF-16 names in the ANSI code page, telling the characters it has no letter for.
#include "tools/machine/ansi_spelling.h"

#include "platform/win32_api.h"

#include <vector>

AnsiSpelling SpellInCodePage(const wchar_t* wide) {
  AnsiSpelling spelling;
  // UTF-8 as the ANSI code page (an option of Windows 10 and later) spells every character, and
  // takes neither the flag nor the question whether the default character was used.
  bool utf8 = GetACP() == CP_UTF8;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* defaulted = utf8 ? nullptr : &usedDefault;
  int size = WideCharToMultiByte(CP_ACP, flags, wide, -1, nullptr, 0, nullptr, defaulted);
  std::vector<char> text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
  if (size <= 0 || WideCharToMultiByte(CP_ACP, flags, wide, -1, text.data(), size, nullptr, defaulted) != size) {
    spelling.spelt = false;
    return spelling;
  }
  spelling.text.assign(text.data(), static_cast<size_t>(size) - 1);
  spelling.spelt = usedDefault == FALSE;
  return spelling;
}

unsigned AnsiCodePage() { return GetACP(); }
