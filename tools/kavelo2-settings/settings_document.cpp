// The configuration as the dialog edits it: loaded through the launcher's own reading, walk, parse
// and application of entries, written back as one entry per kind, checked by the model's check.
#include "tools/kavelo2-settings/settings_document.h"

#include "launcher/config_file.h"
#include "launcher/launch_context.h"
#include "tools/machine/app_layer_registry.h"
#include "tools/machine/display.h"
#include "tools/machine/files.h"
#include "tools/machine/ntdll_version.h"
#include "tools/machine/program_file.h"
#include "tools/model/config_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

size_t ListIndex(EntryKind kind) { return static_cast<size_t>(kind) - static_cast<size_t>(EntryKind::Width); }

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

// The three settings a reading holds: none where it holds no value the tools can read.
AppLayerSettings SettingsRead(const AppLayersReading& reading) {
  return reading.status == AppLayersReading::Status::Found ? SettingsOfLayers(ParseLayerValue(reading.value))
                                                           : AppLayerSettings();
}

// The check of `text` in `document`'s folder with what the machine was last found to hold, and the
// application's settings as saving would leave them (`withChoices`) or as they are.
ConfigCheck CheckWith(const SettingsDocument& document, const std::string& text, bool withChoices) {
  CheckInput input;
  input.file.bytes = text;
  input.file.size = text.size();
  input.decoded = true;
  input.inputName = document.fileName;
  input.programDirectory = document.folder;
  input.modes = &document.catalogue;
  input.modesAreTheDisplays = true;
  input.currentMode = document.currentMode;
  input.windows = document.windows;
  input.probe = document.Launchers().probe;
  // The check sees the application's settings as saving would leave them, once they were read
  // for the application it names: a choice that saving cannot write leaves them as they are.
  input.layers = [&document, withChoices](const std::string& path, AppLayersReading& reading) {
    if (path != document.layersPath) return false;
    reading = document.layersRead;
    if (!withChoices || !document.LayersChanged() || !document.LayersApply()) return true;
    LayerValueChange change = ComposeLayerValue(reading.value, document.layers, document.windows);
    reading.status = change.remove ? AppLayersReading::Status::NoValue : AppLayersReading::Status::Found;
    reading.value = change.remove ? "" : change.value;
    return true;
  };
  input.image = [&document](const std::string& path, ProgramImage& image) {
    if (path != document.layersPath) return false;
    image = document.image;
    return true;
  };
  return CheckConfiguration(input);
}

}  // namespace

std::vector<ValueChoice>& SettingsDocument::List(EntryKind kind) { return lists[ListIndex(kind)]; }

const std::vector<ValueChoice>& SettingsDocument::List(EntryKind kind) const {
  return lists[ListIndex(kind)];
}

void SettingsDocument::PickMode(size_t index) {
  if (index >= catalogue.size()) return;
  for (EntryKind kind : kListKinds) {
    int32_t value = static_cast<int32_t>(ModeField(catalogue[index], kind));
    for (ValueChoice& choice : List(kind)) choice.selected = choice.value == value;
  }
}

void SettingsDocument::ReadDisplay() {
  DisplayState display = ::ReadDisplay();
  windows = ReadWindowsVersion();
  catalogue = display.modes;
  currentMode = display.current;
}

bool SettingsDocument::Open(const std::string& folderPath, const std::string& name,
                            const std::vector<std::string>& folderLaunchers, std::string& reason) {
  std::FILE* file = std::fopen((folderPath + name).c_str(), "rb");
  bool missing = file == nullptr;
  if (missing && errno != ENOENT) {
    reason = "It cannot be opened: " + std::string(std::strerror(errno)) + ".";
    return false;
  }
  HeldBytes held;
  bool read = missing || ReadHeldBytes(file, held);
  if (!missing) std::fclose(file);
  if (!read) {
    reason = "It cannot be read.";
    return false;
  }
  folder = folderPath;
  fileName = name;
  launchers = folderLaunchers;
  // A file that does not exist yet starts empty.
  if (missing) {
    Load(FileText(), 0);
  } else {
    LoadBytes(held.bytes, held.size);
  }
  AskMachine();
  return true;
}

void SettingsDocument::LoadBytes(std::string bytes, uint64_t size) {
  FileText file = ReadFileText(bytes);
  // An editor's UTF-8 mark stands in front of the first key of plain text. Where the launcher does
  // not read the bytes as they are (in the stored form, with an entry it accepts), it is dropped
  // and the rest read as plain text.
  bool launcherReads = file.form == FileForm::Stored && file.AcceptsAnEntry();
  size_t held = bytes.size();
  bool marked = !launcherReads && file.form != FileForm::Utf16 && StripUtf8Mark(bytes);
  if (marked) file = ReadFileText(bytes, FileForm::Plain);
  Load(file, size - (held - bytes.size()));
  fileSize = size;
  utf8Mark = marked;
  // Bytes that are no text whichever way they are read hold no entry to list, only gibberish; a
  // text that a NUL at its start ends is told as that.
  noText = !file.AcceptsAnEntry() && file.form != FileForm::Utf16 && !ReadAsEmpty() && !LooksLikeText(bytes) &&
           !LooksLikeText(StoredForm(bytes));
  if (noText) {
    unshown.clear();
    loadedLimits.clear();
  }
}

void SettingsDocument::Load(const FileText& file, uint64_t size) {
  form = file.form;
  fileSize = size;
  replaced = file.replaced;
  utf8Mark = false;
  noText = false;
  loadedLimits = form == FileForm::Utf16 ? std::vector<Finding>() : TextLimits(file.text, size);
  application.clear();
  unshown.clear();

  // The launcher's own record for a launcher in this folder: what its entries set is what it sets.
  LaunchContext context((folder + "Kavelo2.exe").c_str(), currentMode);
  std::vector<int32_t> chosen[kListCount];  // the values every entry of a kind accepts
  bool seen[kEntryKindCount + 1] = {};  // by kind, EntryKind::None included
  const CheckedEntry* takenPath = nullptr;
  auto note = [this](const CheckedEntry& entry, UnshownEntry::Reason reason, EntryKind kind) {
    unshown.push_back({entry.text, reason, kind, entry.line});
  };
  for (const CheckedEntry& entry : file.entries) {
    const ModeCriterion& criterion = entry.parsed;
    if (!entry.accepted) {
      note(entry, UnshownEntry::Reason::Ignored, EntryKind::None);
      continue;
    }
    bool again = seen[static_cast<size_t>(criterion.kind)];
    seen[static_cast<size_t>(criterion.kind)] = true;
    bool applied = context.ApplyEntry(criterion);
    if (IsModeKind(criterion.kind)) {
      size_t index = ListIndex(criterion.kind);
      std::vector<int32_t> values = Distinct(criterion.values);
      // Every entry of a kind must accept the mode, so together they accept the values all name.
      chosen[index] = again ? Common(chosen[index], values) : values;
      if (again && !values.empty()) {
        note(entry, chosen[index].empty() ? UnshownEntry::Reason::SecondNoCommon : UnshownEntry::Reason::SecondKept,
             criterion.kind);
      }
      if (values.empty()) note(entry, UnshownEntry::Reason::NoNumber, criterion.kind);
    } else if (criterion.kind == EntryKind::Path) {
      // The last PATH the launcher takes counts; one that does not fit its folder it leaves.
      if (!applied) {
        note(entry, UnshownEntry::Reason::PathNotTaken, EntryKind::Path);
        continue;
      }
      if (takenPath != nullptr) note(*takenPath, UnshownEntry::Reason::ReplacedPath, EntryKind::Path);
      application = criterion.text;
      takenPath = &entry;
    } else if (again) {
      note(entry, UnshownEntry::Reason::SecondSwitch, criterion.kind);
    }
  }
  // The field shows no path for an empty one, and saving then writes no PATH entry: said, since the
  // launcher would then start PROJECTOR.EXE instead of failing on its own folder.
  if (takenPath != nullptr && application.empty()) note(*takenPath, UnshownEntry::Reason::EmptyPath, EntryKind::Path);
  strict = context.strictMode;
  backdrop = context.backdropEnabled;
  waitAll = context.waitAllEnabled;

  for (EntryKind kind : kListKinds) {
    std::vector<int32_t> offered;
    for (const DEVMODEA& mode : catalogue) offered.push_back(static_cast<int32_t>(ModeField(mode, kind)));
    offered = Distinct(offered);
    const std::vector<int32_t>& selected = chosen[ListIndex(kind)];
    std::vector<int32_t> all = offered;
    all.insert(all.end(), selected.begin(), selected.end());
    List(kind).clear();
    for (int32_t value : Distinct(all)) {
      List(kind).push_back({value, std::binary_search(offered.begin(), offered.end(), value),
                            std::binary_search(selected.begin(), selected.end(), value)});
    }
  }
  savedText = ComposeText();
  // A new file's settings are those of its application as they stand.
  layersPath.clear();
  layersRead = AppLayersReading();
  image = ProgramImage();
  layers = layersSaved = AppLayerSettings();
  layersChosen = false;
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
  if (waitAll) text += "WAITALL:1\r\n";
  if (!application.empty()) text += "PATH:" + PathValueFor(folder, application) + "\r\n";
  return text;
}

ConfigCheck SettingsDocument::Check() const { return CheckWith(*this, ComposeText(), true); }

ConfigCheck SettingsDocument::SavedCheck() const { return CheckWith(*this, savedText, false); }

std::string SettingsDocument::ApplicationPath() const {
  ConfigCheck check = Check();
  if (check.settingsRead) return check.applicationPath;
  // An empty text is read no further; the launcher's record still names its default application.
  return LaunchContext((folder + "Kavelo2.exe").c_str(), currentMode).applicationPath;
}

LauncherFolder SettingsDocument::Launchers() const {
  return {folder, launchers, [this](const std::string& path) {
            auto known = found.find(path);
            return known != found.end() ? known->second : PathKind::Unknown;
          }};
}

void SettingsDocument::AskMachine() {
  // With nothing known, the check and the folder's launchers ask about every path that can matter
  // to them; the machine answers each once.
  found.clear();
  ConfigCheck check = Check();
  std::set<std::string> paths(check.asked.begin(), check.asked.end());
  LauncherFolder asking{folder, launchers, [&paths](const std::string& path) {
                          paths.insert(path);
                          return PathKind::Unknown;
                        }};
  asking.ReadersOf(fileName);
  asking.TakenOverBy(fileName);
  for (const std::string& launcher : launchers) paths.insert(folder + launcher);
  for (const std::string& path : paths) found[path] = ProbePath(path);

  // The settings of the application the file's launcher now starts, as the registry holds them.
  layersPath = ApplicationPath();
  layersRead = ReadApplicationLayers(layersPath);
  image = ReadProgramFile(layersPath);
  layersSaved = SettingsRead(layersRead);
  if (!layersChosen) layers = layersSaved;
}

void SettingsDocument::ChooseLayers(const AppLayerSettings& chosen) {
  layersChosen = layersChosen || chosen != layers;
  layers = chosen;
}

bool SettingsDocument::LayersApply() const {
  AppLocation location = layersRead.place.location;
  return location != AppLocation::NotFullPath && location != AppLocation::RemovableMedia &&
         !OnNetwork(layersRead.place) && layersRead.Rewritable();
}

LayerWriteOutcome SettingsDocument::SaveLayers() {
  LayerWriteOutcome outcome = SetApplicationLayers(layersPath, layers, windows);
  layersRead = ReadApplicationLayers(layersPath);
  layersSaved = outcome.Stored() ? layers : SettingsRead(layersRead);
  layers = layersSaved;
  layersChosen = false;
  return outcome;
}

SaveRefusal SettingsDocument::Refusal(const ConfigCheck& check) const {
  SaveRefusal refusal;
  // The launcher would read the value otherwise than it looks, or keep the application it had.
  auto readOtherwise = std::find_if(check.findings.begin(), check.findings.end(), [](const Finding& finding) {
    return IsPathValueFinding(finding.kind) || finding.kind == FindingKind::PathTooLong;
  });
  size_t size = ComposeText().size();
  if (PathUnspelt()) {
    refusal.kind = SaveRefusal::Kind::Unspelt;
    refusal.path = folder + fileName;
    refusal.codePage = codePage;
  } else if (std::any_of(application.begin(), application.end(), IsEntrySeparator)) {
    refusal.kind = SaveRefusal::Kind::EndsAnEntry;
  } else if (readOtherwise != check.findings.end()) {
    refusal.kind = SaveRefusal::Kind::PathReadOtherwise;
    refusal.finding = *readOtherwise;
  } else if (size > kConfigReadLimit) {
    refusal.kind = SaveRefusal::Kind::TooLong;
    refusal.size = size;
  }
  return refusal;
}

SaveOutcome SettingsDocument::Save() {
  if (Refusal(Check()).kind != SaveRefusal::Kind::None) return SaveOutcome();
  std::string text = ComposeText();
  SaveOutcome outcome = SaveFileSafely(folder + fileName, StoredForm(text));
  if (outcome.Saved()) {
    savedText = text;
    form = FileForm::Stored;
    fileSize = text.size();
    replaced = 0;
    utf8Mark = false;
    noText = false;
    loadedLimits.clear();
    unshown.clear();
  }
  return outcome;
}

SaveQuestion SettingsDocument::Question(const ConfigCheck& check) const {
  SaveQuestion question;
  const Finding* cause = Judge(check).cause;
  if (cause != nullptr && (cause->kind == FindingKind::NoModeEntry || cause->kind == FindingKind::EmptyFile)) {
    question.kind = SaveQuestion::Kind::LauncherDoesNothing;
    return question;
  }
  if (form != FileForm::Missing) return question;
  LauncherFolder folderNow = Launchers();
  for (const std::string& launcher : folderNow.TakenOverBy(fileName)) {
    question.takenOver.emplace_back(launcher, folderNow.FileReadBy(launcher));
  }
  if (!question.takenOver.empty()) question.kind = SaveQuestion::Kind::TakesLaunchersOver;
  return question;
}

bool SettingsDocument::IsChanged() const {
  return ComposeText() != savedText || form == FileForm::Plain || form == FileForm::Utf16 || LayersChanged();
}

bool SettingsDocument::ReadAsEmpty() const {
  return std::any_of(loadedLimits.begin(), loadedLimits.end(), [](const Finding& limit) {
    return limit.kind == FindingKind::NulEndsText && limit.number == 0;
  });
}

bool SettingsDocument::PathUnspelt() const { return (folder + fileName).find('?') != std::string::npos; }

std::string SettingsDocument::WindowTitle() const {
  std::string name = fileName.empty() ? kConfigFileName : fileName;
  return (IsChanged() ? "*" : "") + name + " - " + kProgramTitle;
}
