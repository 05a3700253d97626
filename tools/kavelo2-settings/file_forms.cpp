// Recognising the form of a configuration file and undoing it.
#include "tools/kavelo2-settings/file_forms.h"

#include "launcher/config_file.h"
#include "tools/kavelo2-config/config_check.h"

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

std::string Bytes(size_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

}  // namespace

std::string StoredForm(std::string text) {
  DecodeConfigBuffer(text.data(), text.size());
  return text;
}

FileText MissingFileText() {
  FileText file;
  file.description = "No file yet: saving creates it in the stored form.";
  return file;
}

FileText ReadFileText(const std::string& bytes) {
  FileText file;
  size_t start = 0;
  Utf16Order order = DetectUtf16(bytes, &start);
  if (order != Utf16Order::None) {
    size_t replaced = 0;
    file.form = FileForm::Utf16;
    file.text = NarrowUtf16(bytes, start, order, replaced);
    file.description = "Unicode (UTF-16) text, " + Bytes(bytes.size()) +
                       ", which the launcher cannot read: saving writes the stored form.";
    if (replaced > 0) {
      file.description += " " + std::to_string(replaced) +
                          (replaced == 1 ? " character" : " characters") +
                          " outside 8-bit text became \"?\".";
    }
    return file;
  }
  std::string decoded = StoredForm(bytes);
  if (CountAcceptedEntries(bytes) > CountAcceptedEntries(decoded)) {
    file.form = FileForm::Plain;
    file.text = bytes;
    file.description = "Plain text, " + Bytes(bytes.size()) +
                       ", which the launcher cannot read: saving writes the stored form.";
    return file;
  }
  file.form = FileForm::Stored;
  file.text = decoded;
  file.description = bytes.empty() ? "An empty file: saving writes the stored form."
                                   : "Stored form, " + Bytes(bytes.size()) + ".";
  return file;
}
