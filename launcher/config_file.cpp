// The configuration file: finding it, reading and decoding it, and turning entries into settings.
#include "launcher/config_file.h"

#include "launcher/launch_context.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kMissingFileText = "Kavelo2 failed to find an '.ini' file.";
constexpr const char* kMissingFileCaption = "Kavelo2 Error";

struct Keyword {
  const char* key;
  EntryKind kind;
};

// Compared in this order, each as a whole string.
constexpr Keyword kKeywords[] = {
    {"WIDTH", EntryKind::Width},   {"HEIGHT", EntryKind::Height}, {"DEPTH", EntryKind::Depth},
    {"FREQ", EntryKind::Freq},     {"STRICT", EntryKind::Strict}, {"PATH", EntryKind::Path},
    {"BACKDROP", EntryKind::Backdrop},
};

bool IsNumberBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

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
  for (char* c = text; *c != '\0'; ++c) {
    if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
  }
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

namespace {

// The bytes read are closed by a carriage return and a NUL, which are not decoded.
size_t CloseConfigBuffer(char (&buffer)[kConfigBufferSize], size_t count) {
  buffer[count] = '\r';
  buffer[count + 1] = '\0';
  DecodeConfigBuffer(buffer, count);
  return count;
}

}  // namespace

size_t ReadConfigBuffer(std::FILE* file, char (&buffer)[kConfigBufferSize]) {
  return CloseConfigBuffer(buffer, std::fread(buffer, 1, kConfigReadLimit, file));
}

size_t ReadStoredBytes(std::string_view stored, char (&buffer)[kConfigBufferSize]) {
  size_t count = std::min(stored.size(), kConfigReadLimit);
  std::memcpy(buffer, stored.data(), count);
  return CloseConfigBuffer(buffer, count);
}

bool SecondConfigCandidate(const char* programDirectory, const char* programBaseName,
                           PathText& path) {
  return ComposePath(path, {programDirectory, programBaseName, ".ini"});
}

bool ResolveApplicationPath(const char* programDirectory, const char* value,
                            PathText& applicationPath) {
  // Only a colon in second place makes a value absolute; the check never reads past the end.
  bool hasDrive = value[0] != '\0' && value[1] == ':';
  if (hasDrive) return ComposePath(applicationPath, {value});
  return ComposePath(applicationPath, {programDirectory, value});
}

const char* ReadInteger(const char* text, int32_t& value) {
  const char* cursor = text;
  while (IsNumberBlank(*cursor)) ++cursor;
  bool negative = *cursor == '-';
  if (*cursor == '+' || *cursor == '-') ++cursor;
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
  const char* cursor = text;
  for (;;) {
    int32_t number = 0;
    bool converted = ReadInteger(cursor, number) != nullptr;
    if (converted) values.push_back(number);
    const char* comma = std::strchr(cursor, ',');
    if (comma == nullptr) return !values.empty();
    // An element that reads no number ends the list; what was read so far is accepted.
    if (!converted) return true;
    cursor = comma + 1;
  }
}

bool ModeCriterion::ParseEntry(char* entry) {
  if (entry[0] == '\0') return false;
  char* colon = std::strchr(entry, ':');
  if (colon == nullptr) return false;
  *colon = '\0';
  char* value = colon + 1;
  UppercaseAscii(entry);
  kind = KindOfKey(entry);
  if (kind == EntryKind::None) return false;
  if (kind == EntryKind::Path) {
    for (char* c = value; *c != '\0'; ++c) {
      if (*c == '/') *c = '\\';
    }
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

int LaunchContext::LoadConfiguration(const char* firstCandidate) {
  std::FILE* file = nullptr;
  if (!FindConfigFile(firstCandidate, programDirectory, programBaseName, configPath,
                      [&file](const char* path) { return (file = std::fopen(path, "rb")) != nullptr; })) {
    MessageBoxA(nullptr, kMissingFileText, kMissingFileCaption, MB_OK);
    return 0;
  }
  char buffer[kConfigBufferSize];
  size_t count = ReadConfigBuffer(file, buffer);
  std::fclose(file);
  if (count == 0) return 0;
  return ApplyConfigurationText(buffer);
}
