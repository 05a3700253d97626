// The check: the launcher's own reading, walk, parsing, application of entries and selection,
// with what each step means for the run, as findings.
#include "tools/model/config_check.h"

#include "launcher/launch_context.h"
#include "tools/model/ascii_text.h"
#include "tools/model/entry_notes.h"
#include "tools/model/config_text.h"
#include "tools/model/program_start.h"

#include <algorithm>
#include <cstring>

namespace {

// What the machine holds at `path`, asked through the input's probe; the check keeps every path it
// asks about, which is what a dialog asks the machine about when it settles.
PathKind Probe(const CheckInput& input, ConfigCheck& check, const std::string& path) {
  if (input.probe == nullptr) return PathKind::Unknown;
  check.asked.push_back(path);
  return input.probe(path);
}

// How the launcher finds a file of the input's name in the program directory: Kavelo2.ini always,
// and NAME.ini for the launcher whose second candidate it is (NAME, the check's launcherName), when
// no Kavelo2.ini opens there (the launcher's own rules).
NameRule RuleOfName(const CheckInput& input, ConfigCheck& check) {
  // The name after the last separator, or the whole name where there is none (npos + 1 is 0).
  std::string name = input.inputName.substr(input.inputName.find_last_of("/\\") + 1);
  if (SameIgnoringAsciiCase(name, kConfigFileName)) return NameRule::EveryLauncher;
  constexpr std::string_view kIni = ".ini";
  if (name.size() < kIni.size() || !SameIgnoringAsciiCase(std::string_view(name).substr(name.size() - kIni.size()), kIni)) {
    return NameRule::NoLauncher;
  }
  // NAME.exe reads NAME.ini second when its base name is NAME: one without a dot.
  std::string launcher = input.programDirectory + name.substr(0, name.size() - kIni.size()) + ".exe";
  PathText directory, baseName, first, application, second;
  if (!DeriveProgramPaths(launcher.c_str(), directory, baseName, first, application) ||
      !SecondConfigCandidate(directory, baseName, second) ||
      !SameIgnoringAsciiCase(second, input.programDirectory + name)) {
    return NameRule::NoLauncher;
  }
  check.file.launcherName = baseName;
  // The file NAME.exe reads, by the launcher's own rule: the first candidate that is there (none
  // where the machine is not asked).
  PathText reads;
  auto isFile = [&](const char* path) { return Probe(input, check, path) == PathKind::File; };
  bool found = ConfigFileReadBy(launcher.c_str(), reads, isFile);
  return found && !SameIgnoringAsciiCase(reads, second) ? NameRule::Shadowed : NameRule::NamedLauncher;
}

// The PATH entry that counts: the last one applied.
struct PathEntry {
  bool present = false;
  int line = 0;
  std::string value;  // with the launcher's slashes turned into backslashes
};

// The launcher's application of the walked entries (LaunchContext::ApplyConfigurationText), entry
// by entry, with what each one's value means; the entries become the check's.
void CheckEntries(std::vector<CheckedEntry>& entries, LaunchContext& context, PathEntry& path, ConfigCheck& check) {
  for (CheckedEntry& checked : entries) {
    int index = static_cast<int>(check.entries.size());
    auto add = [&](Finding finding) {
      finding.line = checked.line;
      finding.entry = index;
      check.findings.push_back(finding);
    };
    if (!checked.accepted) {
      add(IgnoredEntry(checked.text, checked.parsed.kind));
      checked.parsed = ModeCriterion();
      check.entries.push_back(checked);
      continue;
    }
    bool waitedForAll = context.waitAllEnabled;
    checked.applied = context.ApplyEntry(checked.parsed);
    if (context.waitAllEnabled && !waitedForAll) add(Finding(FindingKind::WaitsForAll, kRunsAsWritten));
    if (checked.parsed.kind == EntryKind::Path) {
      checked.application = context.applicationPath;
      if (checked.applied) {
        path = {true, checked.line, checked.parsed.text};
      } else {
        add(Finding(FindingKind::PathTooLong, kRunsNotAsWritten, context.applicationPath));
      }
    } else {
      std::string_view key, value;
      SplitEntry(checked.text, key, value);
      for (const Finding& note : ListNotes(std::string(value), checked.parsed.kind)) add(note);
    }
    check.entries.push_back(checked);
  }
}

// What a PATH value means where the launcher reads it otherwise than a user would: only a drive
// letter and a colon make it a full path, and nothing is trimmed or unquoted. False when it is
// read as it looks.
bool CheckPathValue(const std::string& value, const std::string& programDirectory, const char* application,
                    Finding& problem) {
  size_t first = value.find_first_not_of(" \t");
  if (first == std::string::npos) {
    problem = Finding(FindingKind::PathEmpty, kFails);
    return true;
  }
  std::string trimmed = value.substr(first, value.find_last_not_of(" \t") + 1 - first);
  if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"') {
    problem = Finding(FindingKind::PathQuoted, kFails, application);
    problem.fix = trimmed.substr(1, trimmed.size() - 2);
    return true;
  }
  if (trimmed != value) {
    problem = Finding(first > 0 ? FindingKind::PathBlankAtStart : FindingKind::PathBlankAtEnd, kFails);
    problem.fix = trimmed;
    return true;
  }
  if (value.compare(0, 2, "\\\\") == 0) {
    // \\server\share\rest: the share is reached through a drive letter mapped to it.
    size_t share = value.find('\\', 2);
    size_t rest = share == std::string::npos ? std::string::npos : value.find('\\', share + 1);
    problem = Finding(FindingKind::PathFromShareRoot, kFails, value);
    problem.detail = application;
    problem.fix = "N:" + (rest == std::string::npos ? std::string("\\") : value.substr(rest));
    return true;
  }
  if (value[0] == '\\') {
    bool hasDrive = NamesADrive(programDirectory);
    problem = Finding(FindingKind::PathFromDriveRoot, kFails, value);
    problem.detail = application;
    problem.fix = (hasDrive ? programDirectory.substr(0, 2) : std::string("C:")) + value;
    return true;
  }
  if (value.back() == '\\') {
    problem = Finding(FindingKind::PathNamesFolder, kFails, application);
    problem.fix = value + "GAME.EXE";
    return true;
  }
  return false;
}

// What meets the launcher's start of the program file at `applicationPath`, as the file's head
// tells it: a program Windows will not start at all, or only with administrator rights, which the
// launcher never asks for. False when nothing does, or the file was not read.
bool RefusedStart(const CheckInput& input, const std::string& applicationPath, Finding& problem) {
  ProgramImage image;
  if (!input.image || !input.image(applicationPath, image)) return false;
  if (std::optional<FindingKind> refused = StartRefusedFor(image, input.windows)) {
    problem = Finding(*refused, kFails, applicationPath);
    if (*refused == FindingKind::ApplicationForOtherProcessor) {
      problem.number = image.machine;
      problem.length = input.windows.machine;
    }
    return true;
  }
  std::string fileName = applicationPath.substr(applicationPath.find_last_of("\\/") + 1);
  ElevationNeed need = ElevationNeeded(image, fileName, input.windows);
  if (need.reason == ElevationReason::None) return false;
  problem = Finding(FindingKind::ApplicationNeedsElevation, kFails, applicationPath);
  problem.elevation = need;
  return true;
}

// The application the launcher will start: a PATH value it reads otherwise than it looks, a path
// too long to start from, a file this machine does not hold (looked for where the launcher's
// folder lies on it), or a file whose start fails (RefusedStart).
void CheckApplication(const CheckInput& input, const LaunchContext& context, const PathEntry& path,
                      ConfigCheck& check) {
  Finding problem(FindingKind::PathEmpty);
  PathKind kind = Probe(input, check, context.applicationPath);
  size_t length = std::strlen(context.applicationPath);
  if (path.present && CheckPathValue(path.value, input.programDirectory, context.applicationPath, problem)) {
    // A value read from the share or drive root may still name a file beside the launcher: one
    // this machine holds, or one it cannot look for. A folder there is no file to start.
    bool maybeMeant = problem.kind == FindingKind::PathFromShareRoot || problem.kind == FindingKind::PathFromDriveRoot;
    if (maybeMeant && (kind == PathKind::File || kind == PathKind::Unknown)) problem.status = kRunsNotAsWritten;
  } else if (length > kLongestStartablePath) {
    problem = Finding(FindingKind::PathTooLongToStart, kFails, context.applicationPath);
    problem.number = static_cast<int64_t>(length);
    problem.count = path.present ? 1 : 0;
  } else if (kind == PathKind::Folder || kind == PathKind::Missing) {
    problem = Finding(kind == PathKind::Folder ? FindingKind::ApplicationIsFolder : FindingKind::ApplicationMissing,
                    kFails, context.applicationPath);
    problem.count = path.present ? 1 : 0;
  } else if (kind == PathKind::File && RefusedStart(input, context.applicationPath, problem)) {
    problem.count = path.present ? 1 : 0;
  } else {
    return;
  }
  problem.line = path.line;
  check.findings.push_back(problem);
}

// A relaxed choice leaves the refresh rate to the display: where no rate it offers for the chosen
// size and depth is one a FREQ entry asks for, the application runs at another rate than the file
// says.
void CheckRate(const LaunchContext& context, const DEVMODEA& chosen, ConfigCheck& check) {
  std::vector<DWORD> offered;
  for (const DEVMODEA& mode : context.modeCatalogue) {
    bool same = mode.dmPelsWidth == chosen.dmPelsWidth && mode.dmPelsHeight == chosen.dmPelsHeight &&
                mode.dmBitsPerPel == chosen.dmBitsPerPel;
    if (same && std::find(offered.begin(), offered.end(), mode.dmDisplayFrequency) == offered.end()) {
      offered.push_back(mode.dmDisplayFrequency);
    }
  }
  for (const ModeCriterion& criterion : context.criteria) {
    if (criterion.kind != EntryKind::Freq || criterion.values.empty()) continue;
    DEVMODEA atRate = chosen;
    bool met = std::any_of(offered.begin(), offered.end(), [&](DWORD rate) {
      DWORD mask = 0;
      atRate.dmDisplayFrequency = rate;
      return criterion.MatchCriterion(atRate, mask, false);
    });
    if (met) continue;
    Finding finding = Finding(FindingKind::RateNotOffered, kRunsNotAsWritten);
    finding.numbers.assign(criterion.values.begin(), criterion.values.end());
    for (DWORD rate : offered) finding.subject += (finding.subject.empty() ? "" : ", ") + std::to_string(rate);
    check.findings.push_back(finding);
    return;
  }
}

// Which mode SelectMode picks from the catalogue, in which pass, and what the launcher does then.
void CheckSelection(const CheckInput& input, LaunchContext& context, ConfigCheck& check) {
  SelectionFacts& selection = check.selection;
  context.modeCatalogue = *input.modes;
  selection.checked = true;
  selection.fromDisplay = input.modesAreTheDisplays;
  selection.modeCount = context.modeCatalogue.size();
  std::string application = context.applicationPath;
  ModeChoice choice = ChooseMode(context.modeCatalogue, context.criteria);
  selection.index = choice.pass == SelectionPass::None ? -1 : choice.position;
  if (selection.index < 0) {
    selection.offer = FindNearestOffer(context.criteria, context.modeCatalogue);
    check.findings.push_back(context.strictMode ? Finding(FindingKind::NoModeFitsStrict, kFails)
                                                : Finding(FindingKind::NoModeFits, kRunsNotAsWritten, application));
    return;
  }
  selection.strictPass = choice.pass == SelectionPass::Strict;
  selection.chosen = context.modeCatalogue[static_cast<size_t>(selection.index)];
  selection.fieldMask = choice.fieldMask;
  if (!selection.strictPass) CheckRate(context, selection.chosen, check);
  bool knowsCurrent = input.modesAreTheDisplays && context.currentMode.dmPelsWidth != 0;
  selection.request = RequestedSwitch(choice.fieldMask, selection.chosen, knowsCurrent ? &context.currentMode : nullptr,
                                      context.modeCatalogue);
  check.findings.push_back(
      selection.request.offered ? Finding(FindingKind::Switches, kRunsAsWritten, application)
      : context.strictMode      ? Finding(FindingKind::SwitchLikelyRefusedStrict, kFails)
                                : Finding(FindingKind::SwitchLikelyRefused, kRunsNotAsWritten, application));
}

// The depths under 32 bits that the launcher's switch may ask for, none when the switch keeps
// the depth or asks for 32 bits. With a catalogue that is the chosen mode's, when the switch names
// the depth. Without one it is the depths that every DEPTH entry allows, when no 32-bit mode can
// meet any of them: the relaxed pass lets a 32-bit mode stand in for some depths, so only depths
// that no 32-bit mode meets are sure to switch to fewer bits. No mode has 0 bits.
std::vector<DWORD> DepthsUnder32(const ConfigCheck& check) {
  FindingKind result = check.findings.back().kind;
  const SelectionFacts& selection = check.selection;
  if (result == FindingKind::Switches) {
    bool namesDepth = (selection.fieldMask & DM_BITSPERPEL) != 0;
    if (namesDepth && selection.chosen.dmBitsPerPel < 32) return {selection.chosen.dmBitsPerPel};
    return {};
  }
  if (result != FindingKind::PicksFirstFit) return {};
  bool constrained = false;
  std::vector<DWORD> allowed;
  for (const ModeCriterion& criterion : check.criteria) {
    if (criterion.kind != EntryKind::Depth) continue;
    std::vector<DWORD> listed;
    for (int32_t value : criterion.values) {
      DWORD bits = static_cast<DWORD>(value);
      bool kept = bits != 0 && std::find(listed.begin(), listed.end(), bits) == listed.end() &&
                  (!constrained || std::find(allowed.begin(), allowed.end(), bits) != allowed.end());
      if (kept) listed.push_back(bits);
    }
    allowed = listed;
    constrained = true;
  }
  DEVMODEA full{};
  full.dmBitsPerPel = 32;
  bool under32 = std::all_of(allowed.begin(), allowed.end(), [&full](DWORD bits) {
    ModeCriterion depth;
    depth.kind = EntryKind::Depth;
    depth.values = {static_cast<int32_t>(bits)};
    DWORD mask = 0;
    return bits < 32 && !depth.MatchCriterion(full, mask, true);
  });
  return under32 ? allowed : std::vector<DWORD>();
}

// On Windows 8 and later a switch to fewer than 32 bits per pixel is emulated: the desktop keeps
// 32 bits, and the application sees fewer only through its own reduced colour layer. Told before
// what the run does; it weighs as a run otherwise than the file says unless that layer gives the
// application every depth the switch may ask for.
void CheckDepthSeen(const CheckInput& input, ConfigCheck& check) {
  std::vector<DWORD> depths = DepthsUnder32(check);
  if (!EmulatesLowDepths(input.windows) || depths.empty()) return;
  Finding finding = Finding(FindingKind::EmulatedDepth, kRunsNotAsWritten, check.applicationPath);
  finding.numbers.assign(depths.begin(), depths.end());
  const AppLayersReading& layers = check.layers;
  bool onNetwork = OnNetwork(layers.place);
  if (check.layersRead && onNetwork) finding.count = kLayersOnNetwork;
  if (check.layersRead && layers.place.location == AppLocation::RemovableMedia) {
    finding.count = layers.status == AppLayersReading::Status::SeveralMedia ? kLayersOfUnknownMedium : kLayersOnMedium;
  }
  if (check.layersRead && !onNetwork && layers.status == AppLayersReading::Status::Found) {
    ReducedColour given = SettingsOfLayers(ParseLayerValue(layers.value)).reducedColour;
    finding.number = ReducedColourBits(given);
    bool serves = std::all_of(depths.begin(), depths.end(), [given](DWORD bits) { return ReducedColourFor(bits) == given; });
    serves = serves && given != ReducedColour::Off;
    if (serves) finding.status = kRunsAsWritten;
  }
  check.findings.insert(check.findings.end() - 1, finding);
}

}  // namespace

bool StopsTheRun(FindingKind kind) {
  // The first group of FindingKind (the folder or the file as a whole), and the results that stop.
  return kind <= FindingKind::StoredFormGivenAsPlain || kind == FindingKind::NoModeEntry ||
         kind == FindingKind::NoModeFitsStrict || kind == FindingKind::SwitchLikelyRefusedStrict;
}

bool IsApplicationFinding(FindingKind kind) {
  return kind >= FindingKind::PathEmpty && kind <= FindingKind::ApplicationNeedsElevation;
}

bool IsPathValueFinding(FindingKind kind) {
  return kind >= FindingKind::PathEmpty && kind <= FindingKind::PathNamesFolder;
}

ConfigCheck CheckConfiguration(const CheckInput& input) {
  ConfigCheck check;
  // The launcher's own record, built without asking the platform; its name plays no part in
  // applying entries.
  LaunchContext context((input.programDirectory + "Kavelo2.exe").c_str(), input.currentMode);
  check.windows = input.windows;
  CheckedFile& file = check.file;
  file.name = input.inputName;
  file.size = input.file.size;
  file.sizeKnown = input.file.sizeKnown;
  file.givenPlain = input.plain;
  FileForm assumed = input.plain ? FileForm::Plain : FileForm::Stored;
  FileText read = input.decoded ? FileText{FileForm::Stored, input.file.bytes, 0, WalkEntries(input.file.bytes)}
                                 : ReadFileText(input.file.bytes, assumed);
  file.form = read.form;
  if (!context.PathsFit()) {
    // The launcher itself ends at once in such a folder, as silently as for a module path too long.
    file.programDirectory = input.programDirectory;
    check.findings.push_back(Finding(FindingKind::FolderTooLong, kFails));
    return check;
  }
  check.made = true;
  file.programDirectory = context.programDirectory;
  if (!input.inputName.empty()) file.nameRule = RuleOfName(input, check);
  if (input.file.size == 0) {
    check.findings.push_back(Finding(FindingKind::EmptyFile, kFails));
    return check;
  }
  if (read.form == FileForm::Utf16) {
    check.findings.push_back(Finding(FindingKind::Utf16Text, kFails));
    return check;
  }

  PathEntry path;
  CheckEntries(read.entries, context, path, check);
  std::vector<Finding> limits = TextLimits(read.text, input.file.size, input.file.sizeKnown);
  check.findings.insert(check.findings.end(), limits.begin(), limits.end());
  check.settingsRead = true;
  check.criteria = context.criteria;
  check.strictMode = context.strictMode;
  check.backdropEnabled = context.backdropEnabled;
  check.waitAllEnabled = context.waitAllEnabled;
  check.applicationPath = context.applicationPath;
  CheckApplication(input, context, path, check);
  check.applicationFails = std::any_of(check.findings.begin(), check.findings.end(), [](const Finding& finding) {
    return IsApplicationFinding(finding.kind) && finding.status == kFails;
  });
  if (input.layers) check.layersRead = input.layers(check.applicationPath, check.layers);

  if (read.form != assumed) {
    check.findings.push_back(input.plain ? Finding(FindingKind::StoredFormGivenAsPlain, kFails)
                                         : Finding(FindingKind::PlainTextFile, kFails, input.inputName));
    check.findings.back().count = read.AcceptsAnEntry() ? 0 : 1;
  } else if (context.criteria.empty()) {
    check.findings.push_back(Finding(FindingKind::NoModeEntry, kFails));
  } else if (input.modes == nullptr) {
    check.findings.push_back(Finding(FindingKind::PicksFirstFit, kRunsAsWritten, context.applicationPath));
  } else {
    CheckSelection(input, context, check);
  }
  CheckDepthSeen(input, check);
  return check;
}

Verdict Judge(const ConfigCheck& check) {
  Verdict verdict;
  auto first = [&check](auto matches) {
    auto found = std::find_if(check.findings.begin(), check.findings.end(), matches);
    return found == check.findings.end() ? nullptr : &*found;
  };
  verdict.cause = first([](const Finding& finding) { return StopsTheRun(finding.kind); });
  if (verdict.cause == nullptr) verdict.cause = first([](const Finding& finding) { return finding.status == kFails; });
  if (verdict.cause == nullptr) verdict.cause = first([](const Finding& finding) { return finding.status == kRunsNotAsWritten; });
  verdict.status = verdict.cause != nullptr ? verdict.cause->status : kRunsAsWritten;
  return verdict;
}
