// The configuration's rules: the stored form, the entry walk, entries and what each one sets.
// No platform call: the file is read in config_file_win32.cpp.
#include "launcher/config_file.h"

#include "launcher/launch_context.h"

#include <algorithm>
#include <cstring>

namespace {

struct Keyword {
  const char* key;
  EntryKind kind;
};

// Compared in this order, each as a whole string.
constexpr Keyword kKeywords[] = {
    {"WIDTH", EntryKind::Width},   {"HEIGHT", EntryKind::Height}, {"DEPTH", EntryKind::Depth},
    {"FREQ", EntryKind::Freq},     {"STRICT", EntryKind::Strict}, {"PATH", EntryKind::Path},
    {"BACKDROP", EntryKind::Backdrop}, {"WAITALL", EntryKind::WaitAll},
};

// The value of `c` as a digit in `base`, or -1.
int DigitValue(char c, unsigned base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

}  // namespace

EntryKind KindOfKey(const char* key) {
  for (const Keyword& keyword : kKeywords) {
    if (std::strcmp(key, keyword.key) == 0) return keyword.kind;
  }
  return EntryKind::None;
}

void UppercaseAscii(char* text) {
  for (char* c = text; *c != '\0'; ++c) *c = UpperAscii(*c);
}

void ToBackslashes(char* text) {
  for (char* c = text; *c != '\0'; ++c) {
    if (*c == '/') *c = '\\';
  }
}

bool SplitEntry(std::string_view entry, std::string_view& key, std::string_view& value) {
  size_t colon = entry.find(':');
  if (colon == std::string_view::npos) return false;
  key = entry.substr(0, colon);
  value = entry.substr(colon + 1);
  return true;
}

const char* EntryKeyword(EntryKind kind) {
  for (const Keyword& keyword : kKeywords) {
    if (keyword.kind == kind) return keyword.key;
  }
  return "";
}

void DecodeConfigBuffer(char* buffer, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (i % 3 != 0) buffer[i] = static_cast<char>(~static_cast<unsigned char>(buffer[i]));
  }
}

void AppendCrAndNul(char* bytes, size_t count) {
  bytes[count] = '\r';
  bytes[count + 1] = '\0';
}

size_t AppendCrNulAndDecode(char (&buffer)[kConfigBufferSize], size_t count) {
  AppendCrAndNul(buffer, count);
  DecodeConfigBuffer(buffer, count);
  return count;
}

size_t CopyReadPart(std::string_view plain, char (&buffer)[kConfigBufferSize]) {
  size_t count = std::min(plain.size(), kConfigReadLimit);
  std::memcpy(buffer, plain.data(), count);
  AppendCrAndNul(buffer, count);
  return count;
}

bool SecondConfigCandidate(const char* programDirectory, const char* programBaseName,
                           PathText& path) {
  return ComposePath(path, {programDirectory, programBaseName, ".ini"});
}

bool ResolveApplicationPath(const char* programDirectory, const char* value,
                            PathText& applicationPath) {
  if (NamesADrive(value)) return ComposePath(applicationPath, {value});
  return ComposePath(applicationPath, {programDirectory, value});
}

std::string PathValueFor(const std::string& programDirectory, std::string applicationPath) {
  std::string folder = programDirectory;
  ToBackslashes(folder.data());
  ToBackslashes(applicationPath.data());
  bool inside = !folder.empty() && applicationPath.size() > folder.size() &&
                std::equal(folder.begin(), folder.end(), applicationPath.begin(),
                           [](char a, char b) { return UpperAscii(a) == UpperAscii(b); });
  if (!inside) return applicationPath;
  std::string rest = applicationPath.substr(folder.size());
  return rest[0] == '\\' || NamesADrive(rest) ? applicationPath : rest;
}

const char* ReadInteger(const char* text, int32_t& value, const char** digits) {
  const char* cursor = text;
  while (IsNumberBlank(*cursor)) ++cursor;
  bool negative = *cursor == '-';
  if (*cursor == '+' || *cursor == '-') ++cursor;
  if (digits != nullptr) *digits = cursor;
  unsigned base = 10;
  if (cursor[0] == '0' && (cursor[1] == 'x' || cursor[1] == 'X') &&
      DigitValue(cursor[2], 16) >= 0) {
    base = 16;
    cursor += 2;
  } else if (cursor[0] == '0') {
    base = 8;
  }
  if (DigitValue(*cursor, base) < 0) return nullptr;
  // Unsigned arithmetic keeps the low 32 bits of a number that does not fit.
  uint32_t magnitude = 0;
  for (int digit = DigitValue(*cursor, base); digit >= 0; digit = DigitValue(*++cursor, base)) {
    magnitude = magnitude * base + static_cast<uint32_t>(digit);
  }
  value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
  return cursor;
}

bool ReadIntegerList(const char* text, std::vector<int32_t>& values) {
  ListElement last = WalkIntegerList(text, [&values](const ListElement& element) {
    if (element.numberEnd != nullptr) values.push_back(element.number);
  });
  // A last element without a comma accepts the list when it holds a number; one with a comma
  // read no number and ends the list, which is accepted with what was read so far.
  return last.comma != nullptr || !values.empty();
}

bool ModeCriterion::ParseEntry(char* entry) {
  char* colon = std::strchr(entry, ':');
  if (entry[0] == '\0' || colon == nullptr) return false;
  *colon = '\0';
  char* value = colon + 1;
  UppercaseAscii(entry);
  kind = KindOfKey(entry);
  if (kind == EntryKind::None) return false;
  if (kind == EntryKind::Path) {
    ToBackslashes(value);
    text = value;
    return true;
  }
  return ReadIntegerList(value, values);
}

bool LaunchContext::ApplyEntry(const ModeCriterion& entry) {
  switch (entry.kind) {
    case EntryKind::Path:
      return ResolveApplicationPath(programDirectory, entry.text.c_str(), applicationPath);
    case EntryKind::Strict:
      // Only ever switched on: a later STRICT:0 leaves it set.
      if (entry.SwitchesOn()) strictMode = true;
      return true;
    case EntryKind::Backdrop:
      if (entry.SwitchesOn()) backdropEnabled = true;
      return true;
    case EntryKind::WaitAll:
      if (entry.SwitchesOn()) waitAllEnabled = true;
      return true;
    case EntryKind::Width:
    case EntryKind::Height:
    case EntryKind::Depth:
    case EntryKind::Freq:
      criteria.push_back(entry);
      return true;
    case EntryKind::None:
      break;
  }
  return false;
}

int LaunchContext::ApplyConfigurationText(char* text) {
  WalkConfigEntries(text, [this](char* entry) {
    ModeCriterion criterion;
    if (criterion.ParseEntry(entry)) ApplyEntry(criterion);
  });
  return static_cast<int>(criteria.size());
}
