// The configuration as the dialog edits it: loaded through the launcher's own reading, walk and
// parse, written back as one entry per kind, checked by the checker's check.
#include "tools/kavelo2-settings/settings_document.h"

#include "launcher/config_file.h"
#include "tools/machine/app_layer_registry.h"
#include "tools/model/finding_text.h"
#include "tools/machine/files.h"
#include "tools/model/mode_notation.h"
#include "tools/model/text_limits.h"
#include "tools/machine/display.h"
#include "tools/machine/ntdll_version.h"

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

void SettingsDocument::PickMode(size_t index) {
  if (index >= catalogue.size()) return;
  for (EntryKind kind : kListKinds) {
    int32_t value = static_cast<int32_t>(ModeField(catalogue[index], kind));
    for (ValueChoice& choice : List(kind)) choice.selected = choice.value == value;
  }
}

const std::vector<ValueChoice>& SettingsDocument::List(EntryKind kind) const {
  return lists[ListIndex(kind)];
}

void SettingsDocument::ReadDisplay() {
  DisplayState display = ::ReadDisplay();
  windows = ReadWindowsVersion();
  catalogue = display.modes;
  currentMode = display.current;
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
    Load(FileText(), 0);
    return true;
  }
  HeldBytes held;
  bool read = ReadHeldBytes(file, held);
  std::fclose(file);
  if (!read) {
    reason = "It cannot be read.";
    return false;
  }
  folder = folderPath;
  fileName = name;
  Load(ReadFileText(held.bytes), held.size);
  return true;
}

void SettingsDocument::Load(const FileText& file, uint64_t size) {
  form = file.form;
  fileSize = size;
  replaced = file.replaced;
  loadedLimits = form == FileForm::Utf16 ? std::vector<Finding>() : TextLimits(file.text, size);
  strict = backdrop = false;
  application.clear();
  unshown.clear();

  // The launcher's own reading of the text as it would be stored.
  char buffer[kConfigBufferSize];
  ReadStoredBytes(StoredForm(file.text.substr(0, kConfigReadLimit)), buffer);
  std::vector<int32_t> chosen[kListCount];  // the values the file's entries select
  bool seen[8] = {};
  std::string lastPathEntry;
  WalkConfigEntries(buffer, [&](char* entry) {
    std::string original = entry;
    ModeCriterion criterion;
    if (!criterion.ParseEntry(entry)) {
      unshown.push_back({original, UnshownEntry::Reason::Ignored, EntryKind::None});
      return;
    }
    bool again = seen[static_cast<size_t>(criterion.kind)];
    seen[static_cast<size_t>(criterion.kind)] = true;
    if (IsListKind(criterion.kind)) {
      size_t index = ListIndex(criterion.kind);
      std::vector<int32_t> values = Distinct(criterion.values);
      // Every entry of a kind must accept the mode, so together they accept the values all name.
      chosen[index] = again ? Common(chosen[index], values) : values;
      if (again && !values.empty()) {
        unshown.push_back({original,
                           chosen[index].empty() ? UnshownEntry::Reason::SecondNoCommon : UnshownEntry::Reason::SecondKept,
                           criterion.kind});
      }
      if (values.empty()) unshown.push_back({original, UnshownEntry::Reason::NoNumber, criterion.kind});
      return;
    }
    if (criterion.kind == EntryKind::Path) {
      if (again) unshown.push_back({lastPathEntry, UnshownEntry::Reason::ReplacedPath, EntryKind::Path});
      application = criterion.text;
      lastPathEntry = original;
      return;
    }
    // STRICT and BACKDROP: any entry that switches the setting on leaves it on.
    (criterion.kind == EntryKind::Strict ? strict : backdrop) |= criterion.SwitchesOn();
    if (again) unshown.push_back({original, UnshownEntry::Reason::SecondSwitch, criterion.kind});
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
  layersPath.clear();
  ReadLayers();
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

ConfigCheck SettingsDocument::Check() const {
  CheckInput input;
  input.file.bytes = StoredForm(ComposeText());
  input.file.size = input.file.bytes.size();
  input.inputName = fileName;
  input.programDirectory = folder;
  input.modes = &catalogue;
  input.modesAreTheDisplays = true;
  input.currentMode = currentMode;
  input.windows = windows;
  input.probe = ProbePath;
  // The check sees the application's settings as saving would leave them.
  input.layers = [this](const std::string& path) {
    AppLayersReading reading = ReadApplicationLayers(path);
    bool readable = reading.status == AppLayersReading::Status::Found ||
                    reading.status == AppLayersReading::Status::NoKey ||
                    reading.status == AppLayersReading::Status::NoValue;
    if (path != layersPath || !LayersChanged() || !readable) return reading;
    LayerValueChange change = ComposeLayerValue(reading.value, layers, windows);
    reading.status = change.remove ? AppLayersReading::Status::NoValue : AppLayersReading::Status::Found;
    reading.value = change.remove ? "" : change.value;
    return reading;
  };
  return CheckConfiguration(input);
}

void SettingsDocument::ReadLayers() {
  std::string path = Check().applicationPath;
  if (path == layersPath) return;
  layersPath = path;
  layersRead = ReadApplicationLayers(path);
  layers = layersSaved = layersRead.status == AppLayersReading::Status::Found
                             ? SettingsOfLayers(ParseLayerValue(layersRead.value))
                             : AppLayerSettings();
}

bool SettingsDocument::LayersApply() const {
  return layersRead.place.location != AppLocation::NotFullPath && !OnNetwork(layersRead.place);
}

LayerWriteOutcome SettingsDocument::SaveLayers() {
  LayerWriteOutcome outcome = SetApplicationLayers(layersPath, layers, windows);
  if (outcome.result == LayerWriteOutcome::Result::Written || outcome.result == LayerWriteOutcome::Result::Removed) {
    layersSaved = layers;
    layersRead = ReadApplicationLayers(layersPath);
  }
  return outcome;
}

std::string SettingsDocument::SaveRefusal() const {
  if (application.find_first_of(";\r\n") != std::string::npos) {
    return "The application path holds a semicolon or a line break, which ends an entry in the "
           "file: the launcher would read only the part before it.";
  }
  // The launcher would read the value otherwise than it looks: said in the checker's words.
  ConfigCheck check = Check();
  for (const Finding& finding : check.findings) {
    if (IsPathValueFinding(finding.kind)) return "The application path: " + FindingBody(finding, check) + ".";
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
    fileSize = text.size();
    replaced = 0;
    loadedLimits.clear();
    unshown.clear();
  }
  return outcome;
}

std::string SettingsDocument::SaveQuestion() const {
  ConfigCheck check = Check();
  Verdict verdict = Judge(check);
  if (verdict.cause != nullptr &&
      (verdict.cause->kind == FindingKind::NoModeEntry || verdict.cause->kind == FindingKind::EmptyFile)) {
    return "With no width, height, depth or rate selected, the launcher starts nothing and shows "
           "nothing. Save " + fileName + " anyway?";
  }
  if (form != FileForm::Missing) return "";
  std::vector<std::string> taken = Launchers().TakenOverBy(fileName);
  if (taken.empty()) return "";
  std::string question = "Saving creates " + fileName + ", which";
  for (size_t i = 0; i < taken.size(); ++i) {
    question += std::string(i == 0 ? " " : ", and ") + taken[i] + " then reads instead of " +
                Launchers().FileReadBy(taken[i]);
  }
  return question + ". Create it anyway?";
}

bool SettingsDocument::IsChanged() const {
  return ComposeText() != savedText || form == FileForm::Plain || form == FileForm::Utf16 || LayersChanged();
}

std::string DescribeTrial(const TrialOutcome& trial, const ConfigCheck& check) {
  std::string text = trial.launcher + " ran";
  for (size_t i = 0; i < trial.boxes.size(); ++i) {
    std::string message = trial.boxes[i].second;
    std::replace(message.begin(), message.end(), '\r', ' ');
    text += (i == 0 ? " and showed: " : "; then: ") + trial.boxes[i].first + ": " + message;
  }
  if (text.back() != '.') text += '.';
  text += "\r\nDisplay before: " + FormatMode(trial.before) + "; while it ran: " +
          (trial.switched ? FormatMode(trial.during) : std::string("not switched")) + "; after: " +
          FormatMode(trial.after) + ".\r\nThe check of this file: " + VerdictLine(check);
  return text;
}

std::string TrialLauncher(const SettingsDocument& document, std::string& why) {
  LauncherFolder folder = document.Launchers();
  std::vector<std::string> readers = folder.ReadersOf(document.fileName);
  if (!readers.empty()) return readers.front();
  if (folder.launchers.empty()) {
    why = "There is no launcher in " + document.folder + " to try the configuration with.";
    return "";
  }
  why = "No launcher in " + document.folder + " reads " + document.fileName + ":";
  for (const std::string& launcher : folder.launchers) {
    std::string file = folder.FileReadBy(launcher, document.fileName);
    why += " " + launcher + " reads " + (file.empty() ? std::string("no file") : file) + ".";
  }
  return "";
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

