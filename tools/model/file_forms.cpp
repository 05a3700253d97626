// Recognising the form of a configuration file and undoing it.
#include "tools/model/file_forms.h"

#include "launcher/config_file.h"

#include <algorithm>

namespace {

// UTF-16 units as 8-bit text: units below 256 keep their value, the others become '?'.
std::string NarrowUtf16(const std::string& bytes, size_t start, Utf16Order order, size_t& replaced) {
  std::string text;
  replaced = 0;
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    unsigned low = static_cast<unsigned char>(bytes[order == Utf16Order::LittleEndian ? i : i + 1]);
    unsigned high = static_cast<unsigned char>(bytes[order == Utf16Order::LittleEndian ? i + 1 : i]);
    if (high == 0) {
      text += static_cast<char>(low);
    } else {
      text += '?';
      ++replaced;
    }
  }
  return text;
}

}  // namespace

std::string StoredForm(std::string text) {
  DecodeConfigBuffer(text.data(), text.size());
  return text;
}

int CountAcceptedEntries(const std::string& plainText) {
  char buffer[kConfigBufferSize];
  ReadPlainText(plainText, buffer);
  int accepted = 0;
  WalkConfigEntries(buffer, [&accepted](char* entry) {
    ModeCriterion criterion;
    if (criterion.ParseEntry(entry)) ++accepted;
  });
  return accepted;
}

Utf16Order DetectUtf16(const std::string& bytes, size_t* markLength) {
  if (markLength != nullptr) *markLength = 0;
  if (bytes.size() < 2) return Utf16Order::None;
  if (bytes.size() % 2 == 0) {
    Utf16Order marked = bytes.compare(0, 2, "\xFF\xFE") == 0   ? Utf16Order::LittleEndian
                        : bytes.compare(0, 2, "\xFE\xFF") == 0 ? Utf16Order::BigEndian
                                                                : Utf16Order::None;
    if (marked != Utf16Order::None) {
      if (markLength != nullptr) *markLength = 2;
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

FileText ReadFileText(const std::string& bytes, FileForm assumed) {
  FileText file;
  // Read as the stored form the bytes give `decoded` as their text; read as plain text, themselves.
  std::string decoded = StoredForm(bytes);
  bool assumedPlain = assumed == FileForm::Plain;
  const std::string& launchers = assumedPlain ? bytes : decoded;
  const std::string& other = assumedPlain ? decoded : bytes;
  bool launcherReads = CountAcceptedEntries(launchers) > 0;
  if (!launcherReads) {
    for (const std::string* form : {&bytes, static_cast<const std::string*>(&decoded)}) {
      size_t start = 0;
      Utf16Order order = DetectUtf16(*form, &start);
      if (order == Utf16Order::None) continue;
      file.form = FileForm::Utf16;
      file.text = NarrowUtf16(*form, start, order, file.replaced);
      return file;
    }
  }
  bool otherForm = !launcherReads && CountAcceptedEntries(other) > 0;
  bool plain = assumedPlain != otherForm;
  file.form = plain ? FileForm::Plain : FileForm::Stored;
  file.text = plain ? bytes : decoded;
  return file;
}
