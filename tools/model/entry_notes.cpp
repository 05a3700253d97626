// Findings in single entries. The decisions stay the launcher's (ParseEntry, ReadInteger); this
// file only tells them apart and works out the likely fix.
#include "tools/model/entry_notes.h"

#include "tools/model/ascii_text.h"

#include <algorithm>
#include <cstring>

namespace {

// True when the text holds more than the blanks "%i" skips.
bool HasNonBlank(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return !IsNumberBlank(c); });
}

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

Finding EntryFinding(FindingKind kind, std::string subject = "", std::string fix = "") {
  Finding finding(kind, kRunsNotAsWritten, std::move(subject));
  finding.fix = std::move(fix);
  return finding;
}

// An unrecognised key: the keyword it was most likely meant to be, and why.
Finding UnknownKey(const std::string& key) {
  std::string upper = UpperAscii(key);
  if (upper.empty()) return EntryFinding(FindingKind::EmptyKey);
  std::string squeezed = upper;
  squeezed.erase(std::remove_if(squeezed.begin(), squeezed.end(), IsNumberBlank), squeezed.end());
  if (squeezed != upper && KindOfKey(squeezed.c_str()) != EntryKind::None) {
    return EntryFinding(FindingKind::BlankInKey, upper, squeezed);
  }
  if (upper.compare(0, 3, "\xEF\xBB\xBF") == 0 && KindOfKey(upper.c_str() + 3) != EntryKind::None) {
    return EntryFinding(FindingKind::KeyAfterMark, upper);
  }
  for (EntryKind kind : kEntryKinds) {
    std::string keyword = EntryKeyword(kind);
    size_t allowed = keyword.size() <= 4 ? 1 : 2;
    if (EditDistance(upper, keyword) <= allowed || upper.compare(0, keyword.size(), keyword) == 0) {
      return EntryFinding(FindingKind::MisspeltKey, upper, keyword);
    }
  }
  return EntryFinding(FindingKind::UnknownKey, upper);
}

// For an entry without a colon that starts with a keyword ("WIDTH 800", "WIDTH=800"): the
// entry as it was meant, or "".
std::string ColonHint(const std::string& entry) {
  std::string upper = UpperAscii(entry);
  for (EntryKind kind : kEntryKinds) {
    std::string keyword = EntryKeyword(kind);
    if (upper.compare(0, keyword.size(), keyword) != 0) continue;
    size_t value = keyword.size();
    while (value < entry.size() && (IsNumberBlank(entry[value]) || entry[value] == '=')) ++value;
    return keyword + ":" + entry.substr(value);
  }
  return "";
}

// A section line of an INI file ("[Settings]"), blanks around it aside.
bool IsSectionLine(const std::string& entry) {
  size_t first = entry.find_first_not_of(" \t");
  size_t last = entry.find_last_not_of(" \t");
  return first != std::string::npos && last > first && entry[first] == '[' && entry[last] == ']';
}

// Reads "<mark><digits>" at `text`; answers the digits, or "" when they are not there.
std::string MarkedNumber(const std::string& text, size_t& position, const char* marks) {
  if (position >= text.size() || std::strchr(marks, text[position]) == nullptr) return "";
  size_t end = std::min(text.find_first_not_of("0123456789", position + 1), text.size());
  if (end == position + 1) return "";
  std::string digits = text.substr(position + 1, end - position - 1);
  position = end;
  return digits;
}

// A width written as a whole mode ("800x600", "800x600x32@60"): the entries that say the rest,
// or none for any other text after a width.
std::vector<std::string> ModeTailEntries(const std::string& tail) {
  size_t position = 0;
  std::vector<std::string> entries;
  std::string height = MarkedNumber(tail, position, "xX");
  if (height.empty()) return {};
  entries.push_back("HEIGHT:" + height);
  std::string depth = MarkedNumber(tail, position, "xX");
  if (!depth.empty()) entries.push_back("DEPTH:" + depth);
  std::string frequency = MarkedNumber(tail, position, "@");
  if (!frequency.empty()) entries.push_back("FREQ:" + frequency);
  if (position != tail.size()) return {};
  return entries;
}

// Digits with a leading zero, which "%i" reads in octal, where that differs from what they say
// in decimal ("075" is 61, not 75).
void AddOctalNote(const std::string& digits, std::vector<Finding>& notes) {
  if (digits.size() < 2 || digits.size() > 12 || digits[1] == 'x' || digits[1] == 'X') return;
  unsigned long long octal = 0, decimal = 0;
  for (char c : digits) {
    octal = octal * 8 + static_cast<unsigned>(c - '0');
    decimal = decimal * 10 + static_cast<unsigned>(c - '0');
  }
  if (octal == decimal) return;
  notes.push_back(EntryFinding(FindingKind::OctalNumber, digits, digits.substr(digits.find_first_not_of('0'))));
  notes.back().number = static_cast<int64_t>(octal);
}

// A number of a mode's list written so that the launcher reads another than it says: one that does
// not fit in 32 bits (the launcher keeps its low 32 bits), or a negative one (a mode's fields are
// unsigned: it is compared as 2^32 less its size, which no mode has).
void AddUnsignedNote(const ListElement& element, std::vector<Finding>& notes) {
  bool hex = element.digits[0] == '0' && (element.digits[1] == 'x' || element.digits[1] == 'X');
  unsigned base = hex ? 16 : element.digits[0] == '0' ? 8 : 10;
  unsigned long long magnitude = 0;
  for (const char* cursor = element.digits + (hex ? 2 : 0); cursor < element.numberEnd; ++cursor) {
    unsigned digit = IsDigit(*cursor) ? static_cast<unsigned>(*cursor - '0') : static_cast<unsigned>((*cursor | 0x20) - 'a' + 10);
    magnitude = std::min(magnitude * base + digit, 0x100000000ull);
  }
  bool negative = element.digits > element.start && element.digits[-1] == '-';
  if (magnitude > 0xFFFFFFFFull) {
    const char* start = negative ? element.digits - 1 : element.digits;
    notes.push_back(EntryFinding(FindingKind::NumberWraps, std::string(start, element.numberEnd)));
    notes.back().number = element.number;
  } else if (negative && magnitude != 0) {
    notes.push_back(EntryFinding(FindingKind::NegativeNumber, std::string(element.digits - 1, element.numberEnd)));
    notes.back().number = static_cast<uint32_t>(element.number);
  }
}

}  // namespace

Finding IgnoredEntry(const std::string& entry, EntryKind kind) {
  std::string_view key, value;
  if (!SplitEntry(entry, key, value)) {
    // A UTF-8 mark before the first line is the editor's, and no part of what to write.
    std::string line = entry;
    StripUtf8Mark(line);
    if (IsSectionLine(line)) return EntryFinding(FindingKind::SectionLine, entry);
    return EntryFinding(FindingKind::NoColon, entry, ColonHint(line));
  }
  if (kind == EntryKind::None) return UnknownKey(std::string(key));
  Finding finding = EntryFinding(value.empty() ? FindingKind::EmptyValue : FindingKind::ListWithoutNumber);
  finding.entryKind = kind;
  return finding;
}

std::vector<Finding> ListNotes(const std::string& value, EntryKind kind) {
  // The launcher's own walk of the list: each element it reads, and where it stops.
  std::vector<Finding> notes;
  WalkIntegerList(value.c_str(), [&](const ListElement& element) {
    const char* elementEnd = element.comma != nullptr ? element.comma : element.start + std::strlen(element.start);
    if (element.numberEnd != nullptr) {
      if (element.digits[0] == '0') AddOctalNote(std::string(element.digits, element.numberEnd), notes);
      if (IsModeKind(kind)) AddUnsignedNote(element, notes);
      std::string tail(element.numberEnd, elementEnd);
      if (HasNonBlank(tail)) {
        Finding after = EntryFinding(FindingKind::TextAfterNumber, tail);
        after.number = element.number;
        // Only the first element of a width can be a whole mode written in one.
        if (element.start == value.c_str() && kind == EntryKind::Width) after.fixes = ModeTailEntries(tail);
        notes.push_back(after);
      }
    } else if (element.comma != nullptr) {
      notes.push_back(EntryFinding(FindingKind::ListStops, std::string(element.start, elementEnd)));
      notes.back().detail = element.comma + 1;
    } else if (HasNonBlank(element.start)) {
      notes.push_back(EntryFinding(FindingKind::ElementWithoutNumber, element.start));
    }
  });
  return notes;
}
