// The launcher's case and slash rules over the tools' strings.
#include "tools/model/ascii_text.h"

#include "launcher/config_file.h"

#include <algorithm>

// Names hold no NUL here: the launcher's walk ends a text at its first one.
std::string UpperAscii(std::string text) {
  UppercaseAscii(text.data());
  return text;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

std::string Backslashed(std::string path) {
  ToBackslashes(path.data());
  return path;
}
