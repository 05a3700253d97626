// Reading and writing display modes in the tool's notation.
#include "tools/model/mode_notation.h"

#include "platform/mode_record.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// Reads decimal digits at `cursor` into `value`; false when there are none or they overflow.
bool ReadField(const char*& cursor, DWORD& value) {
  if (!std::isdigit(static_cast<unsigned char>(*cursor))) return false;
  unsigned long long number = 0;
  while (std::isdigit(static_cast<unsigned char>(*cursor))) {
    number = number * 10 + static_cast<unsigned>(*cursor++ - '0');
    if (number > 0xFFFFFFFFull) return false;
  }
  value = static_cast<DWORD>(number);
  return true;
}

bool ParseMode(const std::string& element, DEVMODEA& mode) {
  const char* cursor = element.c_str();
  DWORD width = 0, height = 0, bits = 0, frequency = 0;
  bool ok = ReadField(cursor, width) && *cursor++ == 'x' && ReadField(cursor, height) &&
            *cursor++ == 'x' && ReadField(cursor, bits) && *cursor++ == '@' &&
            ReadField(cursor, frequency) && *cursor == '\0';
  if (ok) mode = MakeMode(width, height, bits, frequency);
  return ok;
}

// Commas and blanks of every kind.
constexpr const char* kListSeparators = ", \t\n\v\f\r";

}  // namespace

std::string FormatMode(const DEVMODEA& mode) {
  return std::to_string(mode.dmPelsWidth) + "x" + std::to_string(mode.dmPelsHeight) + "x" +
         std::to_string(mode.dmBitsPerPel) + "@" + std::to_string(mode.dmDisplayFrequency);
}

std::string FormatCatalogue(const ModeCatalogue& catalogue) {
  std::string text;
  for (size_t index = 0; index < catalogue.size(); ++index) {
    text += "mode " + std::to_string(index + 1) + " of " + std::to_string(catalogue.size()) + ": " +
            FormatMode(catalogue[index]) + "\n";
  }
  return text;
}

bool ParseModeList(const std::string& text, ModeCatalogue& catalogue, std::string& error) {
  catalogue.clear();
  for (size_t start = text.find_first_not_of(kListSeparators); start != std::string::npos;) {
    size_t end = std::min(text.find_first_of(kListSeparators, start), text.size());
    std::string element = text.substr(start, end - start);
    DEVMODEA mode;
    if (!ParseMode(element, mode)) {
      error = element;
      return false;
    }
    catalogue.push_back(mode);
    start = text.find_first_not_of(kListSeparators, end);
  }
  return true;
}
