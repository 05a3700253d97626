// The one reading of a configuration file's text: its form, the launcher's walk of it, and where
// the text the launcher reads ends early.
#include "tools/model/config_text.h"

#include <algorithm>

namespace {

// The line of `text` that `offset` lies on, from 1, counted from `line` at `from` onwards.
int LineAfter(const std::string& text, size_t from, int line, size_t offset) {
  for (size_t i = from; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  }
  return line;
}

int LineOf(const std::string& text, size_t offset) { return LineAfter(text, 0, 1, offset); }

// An entry quoted from beyond the limit is cut to this many bytes.
constexpr size_t kExcerptBytes = 60;

// Entries the launcher's walk would find in a piece of text, closed as the launcher closes the
// bytes it reads. The walk stops at a NUL, so each is counted over the text as if it had none.
int CountEntries(std::string text) {
  std::replace(text.begin(), text.end(), '\0', '\n');
  size_t count = text.size();
  text.resize(count + 2);
  AppendCrAndNul(text.data(), count);
  int entries = 0;
  WalkConfigEntries(text.data(), [&entries](char*) { ++entries; });
  return entries;
}

bool IsBoundary(char c) { return IsEntrySeparator(c) || c == '\0'; }

// The byte order of text saved as UTF-16, with or without its byte order mark (whose length, 2 or 0,
// goes to `markLength`); None for any other text.
Utf16Order DetectUtf16(const std::string& bytes, size_t& markLength) {
  markLength = 0;
  if (bytes.size() % 2 == 0) {
    Utf16Order marked = bytes.compare(0, 2, "\xFF\xFE") == 0   ? Utf16Order::LittleEndian
                        : bytes.compare(0, 2, "\xFE\xFF") == 0 ? Utf16Order::BigEndian
                                                                : Utf16Order::None;
    if (marked != Utf16Order::None) {
      markLength = 2;
      return marked;
    }
  }
  // Text of the ANSI range in UTF-16 has a NUL in every pair, always on the same side.
  size_t pairs = bytes.size() / 2, lowFirst = 0, highFirst = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] != '\0' && bytes[i + 1] == '\0') ++lowFirst;
    if (bytes[i] == '\0' && bytes[i + 1] != '\0') ++highFirst;
  }
  if (lowFirst * 2 > pairs) return Utf16Order::LittleEndian;
  if (highFirst * 2 > pairs) return Utf16Order::BigEndian;
  return Utf16Order::None;
}

}  // namespace

std::string NarrowUtf16(const std::string& bytes, size_t start, Utf16Order order, size_t* replaced) {
  std::string text;
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    unsigned low = static_cast<unsigned char>(bytes[order == Utf16Order::LittleEndian ? i : i + 1]);
    unsigned high = static_cast<unsigned char>(bytes[order == Utf16Order::LittleEndian ? i + 1 : i]);
    text += high == 0 ? static_cast<char>(low) : '?';
    if (high != 0 && replaced != nullptr) ++*replaced;
  }
  return text;
}

bool FileText::AcceptsAnEntry() const {
  return std::any_of(entries.begin(), entries.end(), [](const CheckedEntry& entry) { return entry.accepted; });
}

std::vector<CheckedEntry> WalkEntries(const std::string& plainText) {
  std::vector<CheckedEntry> entries;
  char buffer[kConfigBufferSize];
  CopyReadPart(plainText, buffer);
  size_t counted = 0;
  int line = 1;
  WalkConfigEntries(buffer, [&](char* entry) {
    CheckedEntry checked;
    size_t offset = static_cast<size_t>(entry - buffer);
    checked.line = line = LineAfter(plainText, counted, line, offset);
    counted = offset;
    checked.text = entry;
    checked.accepted = checked.parsed.ParseEntry(entry);
    entries.push_back(checked);
  });
  return entries;
}

bool LooksLikeText(std::string text) {
  StripUtf8Mark(text);
  size_t ascii = 0, high = 0;
  for (char c : text) {
    unsigned byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      ++high;
    } else if (byte >= 0x20 && byte < 0x7F) {
      ++ascii;
    } else if (c != '\t' && c != '\r' && c != '\n') {
      return false;
    }
  }
  return ascii > high;
}

bool StripUtf8Mark(std::string& bytes) {
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") != 0) return false;
  bytes.erase(0, 3);
  return true;
}

std::string StoredForm(std::string text) {
  DecodeConfigBuffer(text.data(), text.size());
  return text;
}

FileText ReadFileText(const std::string& bytes, FileForm assumed) {
  // Read as the stored form the bytes give `decoded` as their text; read as plain text, themselves.
  std::string decoded = StoredForm(bytes);
  bool assumedPlain = assumed == FileForm::Plain;
  FileText launchers{assumedPlain ? FileForm::Plain : FileForm::Stored, assumedPlain ? bytes : decoded, 0, {}};
  launchers.entries = WalkEntries(launchers.text);
  if (launchers.AcceptsAnEntry()) return launchers;
  for (const std::string* form : {&bytes, static_cast<const std::string*>(&decoded)}) {
    size_t start = 0;
    Utf16Order order = DetectUtf16(*form, start);
    if (order == Utf16Order::None) continue;
    FileText file;
    file.form = FileForm::Utf16;
    file.text = NarrowUtf16(*form, start, order, &file.replaced);
    file.entries = WalkEntries(file.text);
    return file;
  }
  FileText other{assumedPlain ? FileForm::Stored : FileForm::Plain, assumedPlain ? decoded : bytes, 0, {}};
  other.entries = WalkEntries(other.text);
  if (other.AcceptsAnEntry()) return other;
  return LooksLikeText(other.text) && !LooksLikeText(launchers.text) ? other : launchers;
}

std::vector<Finding> TextLimits(const std::string& plainText, uint64_t size, bool sizeKnown) {
  int64_t length = sizeKnown ? static_cast<int64_t>(size) : 0;
  std::vector<Finding> limits;
  std::string read = plainText.substr(0, kConfigReadLimit);
  size_t nul = read.find('\0');
  if (nul != std::string::npos) {
    size_t runStart = nul;
    while (runStart > 0 && !IsEntrySeparator(read[runStart - 1])) --runStart;
    bool loses = runStart < nul || CountEntries(read.substr(nul + 1)) > 0;
    Finding finding(FindingKind::NulEndsText, loses ? kRunsNotAsWritten : kRunsAsWritten);
    finding.number = static_cast<int64_t>(nul);
    finding.detail = read.substr(runStart, nul - runStart);
    finding.line = LineOf(read, nul);
    limits.push_back(finding);
    // Nothing after the NUL counts, so the limit cuts nothing that counts either.
    if (size > kConfigReadLimit) {
      limits.push_back(Finding(FindingKind::ReadLimit));
      limits.back().number = length;
    }
    return limits;
  }
  if (size <= kConfigReadLimit) return limits;
  size_t start = kConfigReadLimit;
  while (start > 0 && !IsBoundary(plainText[start - 1])) --start;
  size_t end = kConfigReadLimit;
  while (end < plainText.size() && !IsBoundary(plainText[end])) ++end;
  bool cut = start < kConfigReadLimit && end > kConfigReadLimit;
  int unread = CountEntries(plainText.substr(cut ? end : kConfigReadLimit));
  bool held = size <= plainText.size();  // else what lies beyond the held bytes is not counted
  Finding finding(FindingKind::ReadLimit, cut || unread > 0 ? kRunsNotAsWritten : kRunsAsWritten);
  finding.number = length;
  finding.count = held ? unread : -unread;
  if (cut) {
    finding.line = LineOf(plainText, start);
    finding.length = static_cast<int64_t>(kConfigReadLimit - start);
    bool whole = (held || end < plainText.size()) && end - start <= kExcerptBytes;
    finding.subject = plainText.substr(start, std::min(end - start, kExcerptBytes));
    if (whole) finding.detail = plainText.substr(start, kConfigReadLimit - start);
  }
  limits.push_back(finding);
  return limits;
}
