// Explanations of single entries. The decisions stay the launcher's (ParseEntry, ReadInteger);
// this file only words them and adds the likely fix.
#include "tools/kavelo2-config/entry_notes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr EntryKind kAllKinds[] = {EntryKind::Width,  EntryKind::Height, EntryKind::Depth,
                                   EntryKind::Freq,   EntryKind::Strict, EntryKind::Path,
                                   EntryKind::Backdrop};
constexpr const char* kKeyList = "the keys are WIDTH, HEIGHT, DEPTH, FREQ, STRICT, PATH and BACKDROP";

EntryKind KindOfKeyword(const std::string& key) { return KindOfKey(key.c_str()); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The keyword that an unrecognised key was most likely meant to be, with the reason, and the
// list of keys when no single fix is certain.
std::string KeyHint(const std::string& key) {
  std::string upper = UpperAscii(key);
  if (upper.empty()) return std::string("the key is empty; ") + kKeyList;
  std::string squeezed;
  for (char c : upper) {
    if (!IsBlank(c)) squeezed += c;
  }
  if (squeezed != upper && KindOfKeyword(squeezed) != EntryKind::None) {
    return "a blank belongs to the key; write \"" + squeezed + ":\"";
  }
  if (upper.compare(0, 3, "\xEF\xBB\xBF") == 0 && KindOfKeyword(upper.substr(3)) != EntryKind::None) {
    return "the text starts with a UTF-8 byte order mark; save it as ANSI";
  }
  for (EntryKind kind : kAllKinds) {
    std::string keyword = EntryKeyword(kind);
    size_t allowed = keyword.size() <= 4 ? 1 : 2;
    if (EditDistance(upper, keyword) <= allowed || upper.compare(0, keyword.size(), keyword) == 0) {
      return "did you mean " + keyword + "? " + kKeyList;
    }
  }
  return kKeyList;
}

// For an entry without a colon that starts with a keyword ("WIDTH 800", "WIDTH=800"): the
// entry as it was meant, or "".
std::string ColonHint(const std::string& entry) {
  std::string upper = UpperAscii(entry);
  for (EntryKind kind : kAllKinds) {
    std::string keyword = EntryKeyword(kind);
    if (upper.compare(0, keyword.size(), keyword) != 0) continue;
    size_t value = keyword.size();
    while (value < entry.size() && (IsBlank(entry[value]) || entry[value] == '=')) ++value;
    return "write " + Quoted(keyword + ":" + entry.substr(value));
  }
  return "";
}

// Reads "<mark><digits>" at `text`; answers the digits, or "" when they are not there.
std::string MarkedNumber(const std::string& text, size_t& position, const char* marks) {
  if (position >= text.size() || std::strchr(marks, text[position]) == nullptr) return "";
  size_t end = position + 1;
  while (end < text.size() && IsDigit(text[end])) ++end;
  if (end == position + 1) return "";
  std::string digits = text.substr(position + 1, end - position - 1);
  position = end;
  return digits;
}

// A width written as a whole mode ("800x600", "800x600x32@60"): the entries that say the rest,
// or "" for any other text after a width.
std::string ModeTailHint(const std::string& tail) {
  size_t position = 0;
  std::vector<std::string> entries;
  std::string height = MarkedNumber(tail, position, "xX");
  if (height.empty()) return "";
  entries.push_back("HEIGHT:" + height);
  std::string depth = MarkedNumber(tail, position, "xX");
  if (!depth.empty()) entries.push_back("DEPTH:" + depth);
  std::string frequency = MarkedNumber(tail, position, "@");
  if (!frequency.empty()) entries.push_back("FREQ:" + frequency);
  if (position != tail.size()) return "";
  std::string list;
  for (size_t i = 0; i < entries.size(); ++i) {
    list += (i == 0 ? "" : i + 1 == entries.size() ? " and " : ", ") + entries[i];
  }
  return entries.size() == 1 ? "write " + list + " as an entry of its own"
                             : "write " + list + " as entries of their own";
}

// For digits with a leading zero, which "%i" reads in octal: the note, when that differs from
// what they say in decimal ("075" is 61, not 75); "" otherwise.
std::string OctalNote(const std::string& digits) {
  if (digits.size() < 2 || digits.size() > 12 || digits[1] == 'x' || digits[1] == 'X') return "";
  unsigned long long octal = 0, decimal = 0;
  for (char c : digits) {
    octal = octal * 8 + static_cast<unsigned>(c - '0');
    decimal = decimal * 10 + static_cast<unsigned>(c - '0');
  }
  if (octal == decimal) return "";
  return "read as octal: " + digits + " is " + std::to_string(octal) + "; write " +
         digits.substr(digits.find_first_not_of('0')) + " without the leading zero";
}

}  // namespace

std::string Shown(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xF];
    }
  }
  return shown;
}

std::string Quoted(const std::string& text) { return "\"" + Shown(text) + "\""; }

// Keys hold no NUL: the launcher's walk ends the text at the first one.
std::string UpperAscii(std::string text) {
  UppercaseAscii(text.data());
  return text;
}

std::string DescribeCriterion(const ModeCriterion& criterion) {
  std::string keyword = EntryKeyword(criterion.kind);
  if (criterion.values.empty()) return keyword + " with an empty list";
  std::string text = keyword;
  for (size_t i = 0; i < criterion.values.size(); ++i) {
    text += (i == 0 ? " " : ", ") + std::to_string(criterion.values[i]);
  }
  return text;
}

std::string DescribeIgnored(const std::string& entry, EntryKind kind) {
  size_t colon = entry.find(':');
  if (colon == std::string::npos) {
    std::string hint = ColonHint(entry);
    return "no colon" + (hint.empty() ? "" : " (" + hint + ")");
  }
  std::string key = entry.substr(0, colon);
  if (kind == EntryKind::None) {
    return "unknown key " + Quoted(UpperAscii(key)) + " (" + KeyHint(key) + ")";
  }
  std::string reason = colon + 1 == entry.size() ? "the value is empty" : "the list reads no number";
  if (kind == EntryKind::Strict || kind == EntryKind::Backdrop) {
    std::string keyword = EntryKeyword(kind);
    reason += " (write \"" + keyword + ":1\" to turn " + keyword + " on; without it, it stays off)";
  }
  return reason;
}

std::vector<std::string> ListNotes(const std::string& value, EntryKind kind) {
  std::vector<std::string> notes;
  const char* cursor = value.c_str();
  for (bool first = true;; first = false) {
    int32_t number = 0;
    const char* end = ReadInteger(cursor, number);
    const char* comma = std::strchr(cursor, ',');
    const char* elementEnd = comma != nullptr ? comma : cursor + std::strlen(cursor);
    std::string element(cursor, elementEnd);
    if (end != nullptr) {
      const char* digits = cursor + std::strspn(cursor, " \t\v\f+-");
      std::string note = digits[0] == '0' ? OctalNote(std::string(digits, end)) : "";
      if (!note.empty()) notes.push_back(note);
      std::string tail(end, elementEnd);
      if (tail.find_first_not_of(" \t\v\f") != std::string::npos) {
        std::string hint = first && kind == EntryKind::Width ? ModeTailHint(tail) : "";
        notes.push_back(Quoted(tail) + " after " + std::to_string(number) + " is ignored" +
                        (hint.empty() ? "" : ": " + hint));
      }
    }
    if (comma == nullptr) {
      if (end == nullptr && element.find_first_not_of(" \t\v\f") != std::string::npos) {
        notes.push_back(Quoted(element) + " reads no number and is ignored");
      }
      return notes;
    }
    if (end == nullptr) {
      std::string where = element.empty() ? std::string("an empty element") : Quoted(element);
      notes.push_back("the list stops at " + where + ", which reads no number; " +
                      Quoted(comma + 1) + " is not read");
      return notes;
    }
    cursor = comma + 1;
  }
}
