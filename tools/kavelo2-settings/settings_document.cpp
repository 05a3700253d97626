// The configuration as the dialog edits it: loaded through the launcher's own walk and parse,
// written back as one entry per kind.
#include "tools/kavelo2-settings/settings_document.h"

#include "launcher/launch_context.h"
#include "tools/kavelo2-config/config_check.h"
#include "tools/kavelo2-config/mode_notation.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kProgramTitle = "Kavelo2 Settings";

size_t ListIndex(EntryKind kind) { return static_cast<size_t>(kind) - static_cast<size_t>(EntryKind::Width); }

DWORD ModeField(const DEVMODEA& mode, EntryKind kind) {
  switch (kind) {
    case EntryKind::Width: return mode.dmPelsWidth;
    case EntryKind::Height: return mode.dmPelsHeight;
    case EntryKind::Depth: return mode.dmBitsPerPel;
    default: return mode.dmDisplayFrequency;
  }
}

bool IsListKind(EntryKind kind) { return kind >= EntryKind::Width && kind <= EntryKind::Freq; }

std::vector<int32_t> Distinct(std::vector<int32_t> values) {
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

std::vector<int32_t> Common(const std::vector<int32_t>& a, const std::vector<int32_t>& b) {
  std::vector<int32_t> common;
  std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(common));
  return common;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace

std::vector<ValueChoice>& SettingsDocument::List(EntryKind kind) { return lists[ListIndex(kind)]; }

const std::vector<ValueChoice>& SettingsDocument::List(EntryKind kind) const {
  return lists[ListIndex(kind)];
}

void SettingsDocument::EnumerateDisplay() {
  // The launcher's enumeration; the context's paths play no part in it.
  LaunchContext context("C:\\Kavelo2.exe");
  context.EnumerateModes();
  catalogue = context.modeCatalogue;
}

bool SettingsDocument::Open(const std::string& folderPath, const std::string& name, std::string& reason) {
  std::FILE* file = std::fopen((folderPath + name).c_str(), "rb");
  if (file == nullptr) {
    if (errno != ENOENT) {
      reason = "It cannot be opened: " + std::string(std::strerror(errno)) + ".";
      return false;
    }
    folder = folderPath;
    fileName = name;
    Load(MissingFileText());
    return true;
  }
  std::string bytes;
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.append(chunk, count);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    reason = "It cannot be read.";
    return false;
  }
  folder = folderPath;
  fileName = name;
  Load(ReadFileText(bytes));
  return true;
}

void SettingsDocument::Load(const FileText& file) {
  form = file.form;
  formDescription = file.description;
  readLimitNote = DescribeReadLimit(file.text);
  strict = backdrop = false;
  application.clear();
  unshown.clear();

  // The launcher's own reading: the first 998 bytes, closed by a carriage return.
  std::string read = file.text.substr(0, kConfigReadLimit) + "\r";
  std::vector<int32_t> chosen[kListCount];  // the values the file's entries select
  bool seen[8] = {};
  std::string lastPathEntry;
  WalkConfigEntries(read.data(), [&](char* entry) {
    std::string original = entry;
    ModeCriterion criterion;
    if (!criterion.ParseEntry(entry)) {
      unshown.push_back({original, "the launcher ignores it; saving leaves it out"});
      return;
    }
    std::string keyword = EntryKeyword(criterion.kind);
    bool again = seen[static_cast<size_t>(criterion.kind)];
    seen[static_cast<size_t>(criterion.kind)] = true;
    if (IsListKind(criterion.kind)) {
      size_t index = ListIndex(criterion.kind);
      std::vector<int32_t> values = Distinct(criterion.values);
      // Every entry of a kind must accept the mode, so together they accept the values all name.
      chosen[index] = again ? Common(chosen[index], values) : values;
      if (again && !values.empty()) {
        unshown.push_back({original, "a second " + keyword + " entry: the launcher requires both, " +
                                         (chosen[index].empty()
                                              ? "and they name no value in common, so no mode "
                                                "passes; saving writes no " + keyword + " entry"
                                              : "so the list keeps only the values both name; "
                                                "saving writes them as one entry")});
      }
      if (values.empty()) {
        unshown.push_back({original, keyword + " without a number passes no mode; saving leaves "
                                     "it out"});
      }
      return;
    }
    if (criterion.kind == EntryKind::Path) {
      if (again) {
        unshown.push_back({lastPathEntry, "replaced by a later PATH entry, as the launcher does; "
                                          "saving leaves it out"});
      }
      application = criterion.text;
      lastPathEntry = original;
      return;
    }
    // STRICT and BACKDROP: any entry with a first value above 0 switches the setting on.
    bool on = !criterion.values.empty() && criterion.values[0] > 0;
    (criterion.kind == EntryKind::Strict ? strict : backdrop) |= on;
    if (again) unshown.push_back({original, "a second " + keyword + " entry; saving writes one"});
  });

  for (EntryKind kind : kListKinds) {
    std::vector<int32_t> offered;
    for (const DEVMODEA& mode : catalogue) offered.push_back(static_cast<int32_t>(ModeField(mode, kind)));
    offered = Distinct(offered);
    const std::vector<int32_t>& selected = chosen[ListIndex(kind)];
    std::vector<int32_t> all = offered;
    all.insert(all.end(), selected.begin(), selected.end());
    std::vector<ValueChoice>& list = List(kind);
    list.clear();
    for (int32_t value : Distinct(all)) {
      list.push_back({value, std::binary_search(offered.begin(), offered.end(), value),
                      std::binary_search(selected.begin(), selected.end(), value)});
    }
  }
  savedText = ComposeText();
}

std::string SettingsDocument::ComposeText() const {
  std::string text;
  for (EntryKind kind : kListKinds) {
    std::string values;
    for (const ValueChoice& choice : List(kind)) {
      if (choice.selected) values += (values.empty() ? "" : ",") + std::to_string(choice.value);
    }
    if (!values.empty()) text += std::string(EntryKeyword(kind)) + ":" + values + "\r\n";
  }
  if (strict) text += "STRICT:1\r\n";
  if (backdrop) text += "BACKDROP:1\r\n";
  if (!application.empty()) text += "PATH:" + StoredApplicationPath(folder, application) + "\r\n";
  return text;
}

std::string SettingsDocument::SaveRefusal() const {
  if (application.find_first_of(";\r\n") != std::string::npos) {
    return "The application path holds a semicolon or a line break, which ends an entry in the "
           "file: the launcher would read only the part before it.";
  }
  size_t size = ComposeText().size();
  if (size > kConfigReadLimit) {
    return "The configuration is " + std::to_string(size) + " bytes long, and the launcher reads "
           "only the first " + std::to_string(kConfigReadLimit) + ". Select fewer values or "
           "choose a shorter application path.";
  }
  return "";
}

SaveOutcome SettingsDocument::Save() {
  SaveOutcome outcome;
  outcome.reason = SaveRefusal();
  if (!outcome.reason.empty()) return outcome;
  std::string text = ComposeText();
  outcome = SaveFileSafely(folder + fileName, StoredForm(text));
  if (outcome.saved) {
    savedText = text;
    form = FileForm::Stored;
    formDescription = "Stored form, " + std::to_string(text.size()) + " bytes.";
  }
  return outcome;
}

bool SettingsDocument::IsChanged() const {
  return ComposeText() != savedText || form == FileForm::Plain || form == FileForm::Utf16;
}

int SettingsDocument::ChosenMode() const {
  LaunchContext context("C:\\Kavelo2.exe");
  context.modeCatalogue = catalogue;
  std::string text = ComposeText() + "\r";
  if (context.ApplyConfigurationText(text.data()) == 0) return -1;
  DWORD fieldMask = 0;
  int index = context.SelectMode(fieldMask);
  return index < 0 ? -1 : index;
}

std::string DescribeTrial(const std::string& launcher, const DEVMODEA& before, const DEVMODEA* during,
                          const DEVMODEA& after) {
  return launcher + " ran. Display before: " + FormatMode(before) + "; while it ran: " +
         (during != nullptr ? FormatMode(*during) : std::string("not switched")) + "; after: " +
         FormatMode(after) + ".";
}

std::string SettingsDocument::WindowTitle() const {
  std::string name = fileName.empty() ? "Kavelo2.ini" : fileName;
  return (IsChanged() ? "*" : "") + name + " - " + kProgramTitle;
}

std::string StoredApplicationPath(const std::string& folder, const std::string& path) {
  std::string value = Backslashed(path);
  std::string base = Backslashed(folder);
  if (base.empty() || value.size() <= base.size()) return value;
  for (size_t i = 0; i < base.size(); ++i) {
    if (LowerAscii(value[i]) != LowerAscii(base[i])) return value;
  }
  return value.substr(base.size());
}

std::vector<std::string> LauncherCandidates(const std::string& configName) {
  std::string base = configName.substr(0, configName.find('.'));
  std::vector<std::string> names;
  if (!base.empty() && base != "Kavelo2") names.push_back(base + ".exe");
  names.push_back("Kavelo2.exe");
  return names;
}
