// The tools' model against the launcher. Any bytes, as a configuration file that a user drops on
// the checker or the settings dialog, with a display, a program folder and a Windows version
// taken from the input:
//   1. CheckConfiguration, RenderReport and VerdictLine finish, and their texts stay within
//      kReportBound and kVerdictBound (libFuzzer's -malloc_limit_mb and -rss_limit_mb in
//      tools/run-fuzz.sh bound the memory); the report ends with the result line, and a run as
//      the file says has that line as its verdict.
//   2. Where the folder is a real one, the launcher itself (RunLauncher on the simulated platform)
//      runs on the same file, display and application, and does what the verdict says: a verdict
//      that stops the run starts nothing and shows only the boxes the check names (the
//      no-suitable-mode box with STRICT, the switch's failure box); otherwise it switches to the
//      chosen mode with the check's FieldMask, with the backdrop when BACKDROP is on, and starts
//      the check's application path (suspended into a job with WAITALL); status 1 shows the
//      launch failure box for that path, status 0 and 3 do not.
//   3. The settings document loaded from the same file, composed and loaded again from the stored
//      form of that text is the same document: the same lists and selections, switches and
//      application (in the relative form saving writes, naming the same file, and read as it
//      looks where the file's value was), nothing it cannot show, no early end, and the same
//      text. A composition longer than the launcher reads is not compared: saving refuses it, and
//      the check must say so.
//
// Input: the file's bytes, then the set-up, one byte per choice read backwards from the end (0
// once the input is used up), so that mutations of the file leave the set-up alone:
//   form         0: the bytes are plain text, stored encoded (most seeds); 1: the file as it
//                stands; 2: checked as plain text (--plain), which the launcher reads encoded
//   folder       0-3: a real folder of the host, seen as the simulated platform sees a host path;
//                4: a real folder whose Windows path is 880 to 1019 characters long (next byte);
//                5-7: a folder of another machine, for the check alone (next byte)
//   name         Kavelo2.ini, standard input, Show.ini, show.txt or KAVELO2.INI
//   modes        how many the display offers (0 to 14)
//   flags        1: the check gets no catalogue; 2: it gets the modes as given, not the display's;
//                4: the display does not tell its mode in force; 8: a start that this machine
//                cannot predict fails; 16, 32: the application's layers (none, read, no value,
//                on a network drive); 64: the files put there are text, not programs
//   windows      unknown, XP, Vista, 7, 8, 10
//   projector    PROJECTOR.EXE beside the launcher: missing, a file, a folder (for another
//                machine's folder: what the probe answers for every path, or no probe)
//   application  the file the check names as the application, when it lies in the real folder:
//                missing, a file, a folder
//   current      the mode in force: one of the display's, 1024x768x32@60, or all zero
//   size         for another machine's folder: a file longer than the tools hold, and how much
//   layers       the layers value, from a table
//   skipped      a mode that the display answers with 2, which the enumeration skips
//   then four bytes per mode: width, height, depth and rate, from a table of common values or
//   an odd value.
//
// What the oracle cannot tell, and says so where it stands:
// - The display here accepts exactly the sizes and depths it lists, with the fields outside the
//   FieldMask from its mode in force. A real display may refuse a mode it lists or take one it
//   does not; and when the launcher cannot read the mode in force, the check cannot know what the
//   switch asks for, so its "switches" may meet a refusal (then STRICT stops the run).
// - A start is known only for a path this machine can look at. Another drive (C:, a share) and a
//   name the host cannot hold answer Unknown: the check then predicts the start without knowing
//   the file, and either outcome is accepted, with the box that goes with it.
// - A PATH value the check rejects by its form (quotes, blanks at its ends, a folder) names a
//   file on Windows that cannot exist there; the host can hold such a name, and where it does,
//   the start succeeds against the prediction. Whether Windows would strip the trailing blank of
//   such a path itself is not known here either.
// - A file that no launcher reads by its name (show.txt), or that a Kavelo2.ini beside it
//   shadows, has no run to compare; another machine's folder neither; and the modes given as a
//   list are no display.
// - Without a catalogue the check predicts no choice: the launcher's own choice is not compared,
//   only that it starts the check's application when it starts one.
// - The layers change only status 3 against 0, which the launcher does not see.
#include "launcher/app_launch.h"
#include "launcher/launch_context.h"
#include "launcher/mode_switch.h"
#include "platform/sim/sim_platform.h"
#include "tools/kavelo2-settings/settings_document.h"
#include "tools/machine/display.h"
#include "tools/machine/program_file.h"
#include "tools/machine/files.h"
#include "tools/model/ascii_text.h"
#include "tools/model/check_report.h"
#include "tools/model/config_check.h"
#include "tools/model/config_text.h"
#include "tools/model/finding_text.h"
#include "tools/model/mode_notation.h"

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// The longest report and verdict line of any file. The launcher reads 998 bytes: at most 499
// entries, each told in a line and a few notes of words (some hundred bytes each), and every byte
// shown as at most four characters. That stays well under these bounds; telling something once per
// entry for every entry, or a text growing with the held 64 KiB, goes past them.
constexpr size_t kReportBound = 256 * 1024;
constexpr size_t kVerdictBound = 16 * 1024;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// With KAVELO2_FUZZ_EXPLAIN set, replaying an input tells its set-up, the check's report and the
// launcher's calls on standard error.
bool Explaining() {
  static const bool explaining = std::getenv("KAVELO2_FUZZ_EXPLAIN") != nullptr;
  return explaining;
}
void Explain(const std::string& what, const std::string& text) {
  if (Explaining()) std::fprintf(stderr, "--- %s\n%s\n", what.c_str(), Shown(text, Rendering::Escaped).c_str());
}

// The set-up's bytes, taken from the end of the input.
class SetUpBytes {
 public:
  SetUpBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Next() { return size_ == 0 ? 0 : data_[--size_]; }
  // What the set-up left: the file.
  std::string Rest() const { return std::string(reinterpret_cast<const char*>(data_), size_); }

 private:
  const uint8_t* data_;
  size_t size_;
};

enum class Form { Encoded, AsItStands, CheckedPlain };
enum class Folder { Host, Foreign };

constexpr const char* kFileNames[] = {"Kavelo2.ini", "", "Show.ini", "show.txt", "KAVELO2.INI"};
constexpr WindowsVersion kWindows[] = {{0, 0, 0},    {5, 1, 2600}, {6, 0, 6002},
                                       {6, 1, 7601}, {6, 2, 9200}, {10, 0, 19045}};
constexpr const char* kLayerValues[] = {"~ 16BITCOLOR", "~ 256COLOR", "256COLOR 640X480", "", "16BITCOLOR 256COLOR",
                                        "~ DISABLEDXMAXIMIZEDWINDOWEDMODE 16BITCOLOR"};
constexpr PathKind kKinds[] = {PathKind::Missing, PathKind::File, PathKind::Folder};

template <typename Item, size_t count>
const Item& Pick(const Item (&items)[count], uint8_t byte) {
  return items[byte % count];
}

// A mode field: a value that real displays use, or now and then an odd one.
DWORD ModeField(uint8_t byte, size_t field) {
  static const std::vector<DWORD> kCommon[] = {{640, 800, 1024, 1280, 320, 1600},
                                               {480, 600, 768, 1024, 200, 1200},
                                               {32, 16, 24, 8, 15, 4},
                                               {60, 75, 85, 70, 0, 1}};
  const std::vector<DWORD>& common = kCommon[field];
  if (byte < common.size() * 36) return common[byte % common.size()];
  return byte == 255 ? 0xFFFFFFFFu : static_cast<DWORD>(byte) * 7u;
}

struct SetUp {
  Form form = Form::Encoded;
  Folder folder = Folder::Host;
  size_t folderLength = 0;  // of a long real folder's Windows path; 0 for a short one
  std::string foreignFolder;
  std::string fileName;
  bool checkWithoutCatalogue = false, modesAsGiven = false, currentUnknown = false, unknownStartFails = false;
  bool textFiles = false;  // the application's file is text, which Windows does not start
  int layers = 0;  // 0: none read, 1: a value, 2: no value, 3: on a network drive
  WindowsVersion windows;
  PathKind projector = PathKind::Missing, application = PathKind::Missing;
  bool foreignProbe = true;
  DEVMODEA current{};
  uint64_t sizeBeyond = 0;
  std::string layerValue;
  std::vector<SimModeAnswer> answers;
  std::string file;     // the bytes on the disk
  std::string checked;  // the bytes the check is given
};

SetUp ReadSetUp(const uint8_t* data, size_t size) {
  SetUpBytes bytes(data, size);
  SetUp setUp;
  setUp.form = static_cast<Form>(bytes.Next() % 3);
  uint8_t folder = bytes.Next() % 8;
  if (folder == 4) setUp.folderLength = 880 + bytes.Next() % 140;
  if (folder >= 5) {
    setUp.folder = Folder::Foreign;
    uint8_t which = bytes.Next();
    const std::string kFolders[] = {"C:\\Show\\", "\\\\server\\share\\Show\\", "Show\\", "", "Z:\\"};
    setUp.foreignFolder = which < 250 ? Pick(kFolders, which) : "C:\\" + std::string(1000 + (which - 250) * 3, 'd') + "\\";
  }
  setUp.fileName = Pick(kFileNames, bytes.Next());
  size_t modeCount = bytes.Next() % 15;
  uint8_t flags = bytes.Next();
  setUp.checkWithoutCatalogue = (flags & 1) != 0;
  setUp.modesAsGiven = (flags & 2) != 0;
  setUp.currentUnknown = (flags & 4) != 0;
  setUp.unknownStartFails = (flags & 8) != 0;
  setUp.layers = (flags >> 4) & 3;
  setUp.textFiles = (flags & 64) != 0;
  setUp.windows = Pick(kWindows, bytes.Next());
  uint8_t projector = bytes.Next();
  setUp.projector = Pick(kKinds, projector);
  setUp.foreignProbe = projector % 4 != 3;
  setUp.application = Pick(kKinds, bytes.Next());
  uint8_t current = bytes.Next();
  uint8_t beyond = bytes.Next();
  if (setUp.folder == Folder::Foreign && beyond >= 128) setUp.sizeBeyond = (beyond - 127u) * 4099u;
  setUp.layerValue = Pick(kLayerValues, bytes.Next());
  uint8_t skipped = bytes.Next();
  for (size_t i = 0; i < modeCount; ++i) {
    DWORD fields[4];
    for (size_t field = 0; field < 4; ++field) fields[field] = ModeField(bytes.Next(), field);
    setUp.answers.push_back({skipped == i ? 2 : 1, MakeMode(fields[0], fields[1], fields[2], fields[3])});
  }
  setUp.current = current < modeCount ? setUp.answers[current].mode
                  : current == 255    ? DEVMODEA{}
                                      : MakeMode(1024, 768, 32, 60);

  std::string rest = bytes.Rest();
  setUp.file = setUp.form == Form::AsItStands ? rest : StoredForm(rest);
  setUp.checked = setUp.form == Form::Encoded ? setUp.file : rest;
  return setUp;
}

// The real folders, one set per fuzzing process, removed when it ends.
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

const std::string& WorkFolder() {
  static std::string folder;
  if (folder.empty()) {
    folder = "/tmp/kavelo2-model-" + std::to_string(static_cast<int>(getpid()));
    nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    Require(mkdir(folder.c_str(), 0755) == 0, "the work folder can be made");
    std::atexit([] { nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); });
  }
  return folder;
}

// Empties a real folder: only files and empty folders are ever made in it.
void Empty(const std::string& folder) {
  DIR* listing = opendir(folder.c_str());
  Require(listing != nullptr, "a real folder can be listed");
  std::vector<std::string> names;
  while (dirent* entry = readdir(listing)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(folder + "/" + name);
  }
  closedir(listing);
  for (const std::string& name : names) Require(std::remove(name.c_str()) == 0, "a real folder can be emptied");
}

// The host folder for the set-up and its Windows path as the simulated platform sees a host path
// (no drive letter: the path as it stands), ending in a backslash, so that every file beside the
// launcher is one host file of that folder whose name begins with the backslash.
std::string HostFolder(const SetUp& setUp, std::string& windowsFolder) {
  std::string folder = WorkFolder() + "/short";
  if (setUp.folderLength != 0) {
    folder = WorkFolder() + "/long";
    for (int i = 0; i < 4; ++i) folder += "/" + std::string(200, 'd');
    folder += "/" + std::string(setUp.folderLength - folder.size() - 3, 'e');
  }
  for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    mkdir(folder.substr(0, slash).c_str(), 0755);
  }
  mkdir(folder.c_str(), 0755);
  Empty(folder);
  windowsFolder = folder + "/\\";
  return folder;
}

// Puts a file or folder at a host path, nothing for Missing: the file a program's head (a DOS
// one, which every Windows without a known processor starts) or a line of text.
void Make(const std::string& path, PathKind kind, bool text) {
  if (kind == PathKind::Folder) mkdir(path.c_str(), 0755);
  if (kind != PathKind::File) return;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::string head = text ? std::string("not a program\r\n") : "MZ" + std::string(62, '\0');
  std::fwrite(head.data(), 1, head.size(), file);
  std::fclose(file);
}

bool Write(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

// The display and the system as the set-up has them, on a fresh simulated platform.
void ScriptMachine(const SetUp& setUp) {
  ResetSim();
  Sim().modes = setUp.answers;
  Sim().currentMode = setUp.current;
  Sim().currentModeResult = setUp.currentUnknown ? FALSE : TRUE;
  Sim().hasRtlGetVersion = setUp.windows.major != 0;
  Sim().windowsMajor = setUp.windows.major;
  Sim().windowsMinor = setUp.windows.minor;
  Sim().windowsBuild = setUp.windows.build;
  Sim().taskbar = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x2002));
}

using Probe = std::function<PathKind(const std::string&)>;

ConfigCheck Check(const SetUp& setUp, const std::string& folder, const ModeCatalogue& modes,
                  const DEVMODEA& current, const Probe& probe) {
  CheckInput input;
  input.file.bytes = setUp.checked;
  input.file.size = setUp.checked.size();
  if (setUp.sizeBeyond != 0 && !setUp.checked.empty()) {
    // A file longer than the tools hold: its first kHeldFileBytes, here the input's file over and
    // over, and how much more there is.
    input.file.bytes.clear();
    while (input.file.bytes.size() < kHeldFileBytes) input.file.bytes += setUp.checked;
    input.file.bytes.resize(kHeldFileBytes);
    input.file.size = kHeldFileBytes + setUp.sizeBeyond;
  }
  input.plain = setUp.form == Form::CheckedPlain;
  input.inputName = setUp.fileName;
  input.programDirectory = folder;
  input.modes = setUp.checkWithoutCatalogue ? nullptr : &modes;
  input.modesAreTheDisplays = !setUp.modesAsGiven;
  input.currentMode = setUp.modesAsGiven ? DEVMODEA{} : current;
  input.probe = probe;
  input.windows = setUp.windows;
  input.image = [](const std::string& path, ProgramImage& image) {
    image = ReadProgramFile(path);
    return image.format != ProgramFormat::Unread;
  };
  if (setUp.layers != 0) {
    input.layers = [&setUp](const std::string& path, AppLayersReading& layers) {
      layers = AppLayersReading();
      layers.status = setUp.layers == 2 ? AppLayersReading::Status::NoValue : AppLayersReading::Status::Found;
      layers.value = setUp.layerValue;
      if (setUp.layers == 3) layers.place = {AppLocation::NetworkDrive, "N:"};
      if (path.size() < 2 || path[1] != ':') layers.place = {AppLocation::NotFullPath, ""};
      return true;
    };
  }
  return CheckConfiguration(input);
}

// 1. The report and the verdict line, within their bounds.
size_t g_longestReport = 0, g_longestVerdict = 0;
// How many inputs reached each comparison, told when the process ends.
size_t g_launcherRuns = 0, g_starts = 0, g_switches = 0, g_documents = 0;

void RenderWithinBounds(const ConfigCheck& check) {
  if (!check.made) {
    Require(check.findings.size() == 1 && check.findings[0].kind == FindingKind::FolderTooLong,
            "a check that could not be made finds only that the folder is too long");
    return;
  }
  Require(!check.findings.empty(), "a check tells what the run does");
  // The console's words and the dialog's alike.
  for (Rendering rendering : {Rendering::Escaped, Rendering::Dialog}) {
    std::string report = RenderReport(check, rendering);
    std::string verdict = VerdictLine(check, rendering);
    g_longestReport = std::max(g_longestReport, report.size());
    g_longestVerdict = std::max(g_longestVerdict, verdict.size());
    Require(report.size() <= kReportBound, "the report stays within its bound");
    Require(verdict.size() <= kVerdictBound, "the verdict line stays within its bound");
    Require(verdict.find('\n') == std::string::npos, "the verdict is one line");
    std::string result = ResultLine(check, rendering) + "\n";
    Require(report.size() >= result.size() && report.compare(report.size() - result.size(), result.size(), result) == 0,
            "the report ends with the result line");
    Verdict judged = Judge(check);
    Require(judged.status == kRunsAsWritten || judged.status == kFails || judged.status == kRunsNotAsWritten,
            "the verdict is 0, 1 or 3");
    if (judged.status == kRunsAsWritten) Require(verdict + "\n" == result, "a run as written has its result as verdict");
  }
}

bool IsSwitchResult(FindingKind kind) {
  return kind == FindingKind::Switches || kind == FindingKind::SwitchLikelyRefused ||
         kind == FindingKind::SwitchLikelyRefusedStrict;
}

// The platform's answer to a switch: only a size and depth it lists, the fields outside the
// FieldMask being those of the mode in force.
bool DisplayAccepts(const SetUp& setUp, const ModeCatalogue& modes, const DEVMODEA& chosen, DWORD fieldMask) {
  DEVMODEA asked = setUp.current;
  if (fieldMask & DM_PELSWIDTH) asked.dmPelsWidth = chosen.dmPelsWidth;
  if (fieldMask & DM_PELSHEIGHT) asked.dmPelsHeight = chosen.dmPelsHeight;
  if (fieldMask & DM_BITSPERPEL) asked.dmBitsPerPel = chosen.dmBitsPerPel;
  return std::any_of(modes.begin(), modes.end(), [&asked](const DEVMODEA& mode) {
    return mode.dmPelsWidth == asked.dmPelsWidth && mode.dmPelsHeight == asked.dmPelsHeight &&
           mode.dmBitsPerPel == asked.dmBitsPerPel;
  });
}

struct Box {
  std::string caption, text;
};

// 2. The launcher's own run of the same file, display and application.
void CompareWithLauncher(const SetUp& setUp, const std::string& folder, const ModeCatalogue& modes,
                         const ConfigCheck& check) {
  std::string launcher = check.file.nameRule == NameRule::NamedLauncher ? check.file.launcherName : "Kavelo2";
  ScriptMachine(setUp);
  Sim().modulePath = folder + launcher + ".exe";
  const FindingKind result = check.made ? check.findings.back().kind : FindingKind::EmptyFile;
  const SelectionFacts& selection = check.selection;
  bool switchPredicted = check.made && IsSwitchResult(result);
  bool accepts = switchPredicted && DisplayAccepts(setUp, modes, selection.chosen, selection.fieldMask);
  if (switchPredicted && selection.request.knowsCurrent) {
    Require(accepts == selection.request.offered, "the display refuses exactly the switch the check expects it to");
  }
  // Without a checked catalogue the launcher's own choice is not predicted: the display takes it.
  bool choiceChecked = result != FindingKind::PicksFirstFit;
  Sim().changeResult = accepts || !choiceChecked ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
  PathKind application = ProbePath(check.applicationPath);
  bool startFails = application == PathKind::Unknown ? setUp.unknownStartFails
                                                     : application != PathKind::File || setUp.textFiles;
  Sim().processStartFails = startFails;

  RunLauncher(nullptr, SW_SHOWNORMAL);
  if (Explaining()) {
    std::string calls;
    for (const std::string& call : Sim().calls) calls += call + " ";
    for (const SimProcessStart& start : Sim().processStarts) calls += "\nstarts " + start.applicationName;
    for (const SimMessageBox& box : Sim().messageBoxes) calls += "\nbox " + box.caption + ": " + box.text;
    Explain("the launcher's calls (" + folder + launcher + ".exe)", calls);
  }
  ++g_launcherRuns;
  g_starts += Sim().processStarts.size();

  std::vector<Box> boxes;
  for (const SimMessageBox& box : Sim().messageBoxes) boxes.push_back({box.caption, box.text});
  std::vector<SimModeChange> switches, restores;
  for (const SimModeChange& change : Sim().modeChanges) (change.hasMode ? switches : restores).push_back(change);
  const std::vector<SimProcessStart>& starts = Sim().processStarts;
  bool backdrop = !Sim().createdWindows.empty();
  if (!check.made) {
    Require(boxes.empty() && switches.empty() && starts.empty(), "a folder too long for the paths: nothing happens");
    return;
  }

  Verdict verdict = Judge(check);
  bool stops = verdict.cause != nullptr && StopsTheRun(verdict.cause->kind);
  std::vector<Box> expected;
  // The switch: the chosen mode with the check's FieldMask, once, behind the backdrop.
  if (switchPredicted) {
    Require(switches.size() == 1, "the launcher asks for one switch where the check expects one");
    ++g_switches;
    DEVMODEA asked = switches[0].mode;
    Require(asked.dmFields == selection.fieldMask, "the switch names the check's FieldMask");
    asked.dmFields = selection.chosen.dmFields;
    Require(std::memcmp(&asked, &selection.chosen, sizeof(asked)) == 0, "the switch asks for the check's chosen mode");
    Require(backdrop == check.backdropEnabled, "the backdrop stands where the check says");
    if (!accepts && check.strictMode) {
      SwitchFailureBox box;
      if (SwitchFailureFor(DISP_CHANGE_BADMODE, box)) expected.push_back({box.caption, box.text});
    }
  } else if (choiceChecked) {
    Require(switches.empty(), "no switch where the check expects none");
    Require(!backdrop, "no backdrop without a switch");
  }
  bool took = !switches.empty() && (accepts || !choiceChecked);
  Require(restores.size() == (took ? 1u : 0u), "the display goes back after a switch that took");
  if (result == FindingKind::NoModeFitsStrict) expected.push_back({kNoSuitableModeCaption, kNoSuitableModeText});

  if (stops) {
    Require(starts.empty(), "a run the check stops starts nothing");
  } else if (!choiceChecked) {
    // Whether a mode fits is the launcher's own finding: with STRICT and none, it says so and
    // starts nothing.
    Require(starts.size() == (switches.empty() && check.strictMode ? 0u : 1u), "the launcher starts once unless it stops");
    if (starts.empty()) expected.push_back({kNoSuitableModeCaption, kNoSuitableModeText});
  } else if (result == FindingKind::Switches && !accepts && check.strictMode) {
    // Only without a known mode in force can the display refuse what the check expects it to take.
    Require(!selection.request.knowsCurrent, "a switch the check expects to take is taken");
    Require(starts.empty(), "a strict run whose switch is refused starts nothing");
  } else {
    Require(starts.size() == 1, "a run the check does not stop starts the application once");
  }
  if (!starts.empty()) {
    Require(starts[0].applicationName == check.applicationPath, "the launcher starts the check's application path");
    bool suspended = (starts[0].creationFlags & CREATE_SUSPENDED) != 0;
    Require(suspended == check.waitAllEnabled, "WAITALL starts the application suspended, into its job");
    if (startFails) expected.push_back({kLaunchFailureCaption, LaunchFailureText(check.applicationPath.c_str())});
    if (verdict.status == kFails) {
      // The check's failed start: the launcher's start fails, unless this machine cannot look at
      // the path (the check then judged the value by its form alone), or holds a file under a name
      // that Windows cannot give one.
      bool hostOnlyName = IsPathValueFinding(verdict.cause->kind) && application == PathKind::File;
      Require(startFails || hostOnlyName || application == PathKind::Unknown, "the start the check expects to fail fails");
    } else if (application != PathKind::Unknown) {
      Require(!startFails, "the start the check expects to succeed succeeds");
    }
  }
  Require(boxes.size() == expected.size(), "the launcher shows exactly the boxes the check predicts");
  for (size_t i = 0; i < boxes.size(); ++i) {
    Require(boxes[i].caption == expected[i].caption && boxes[i].text == expected[i].text,
            "each box is the one the check predicts");
  }
}

// 3. The settings document, saved and loaded again.
void LoadDocument(SettingsDocument& document, const SetUp& setUp, const std::string& folder, const DisplayState& display,
                  const std::string& bytes) {
  document.catalogue = display.modes;
  document.currentMode = display.current;
  document.windows = setUp.windows;
  document.folder = folder;
  document.fileName = setUp.fileName;
  document.Load(ReadFileText(bytes), bytes.size());
}

// The application path a PATH value gives in `folder`, or PROJECTOR.EXE's for none.
std::string ApplicationOf(const std::string& folder, const std::string& value) {
  LaunchContext context((folder + "Kavelo2.exe").c_str(), DEVMODEA{});
  if (!value.empty()) ResolveApplicationPath(context.programDirectory, value.c_str(), context.applicationPath);
  return context.applicationPath;
}

bool HasPathValueFinding(const ConfigCheck& check) {
  return std::any_of(check.findings.begin(), check.findings.end(),
                     [](const Finding& finding) { return IsPathValueFinding(finding.kind); });
}

// `fileCheck` is the check of the file as the document reads it, or null.
void RoundTripDocument(const SetUp& setUp, const std::string& folder, const DisplayState& display,
                       const ConfigCheck* fileCheck) {
  SettingsDocument first;
  LoadDocument(first, setUp, folder, display, setUp.file);
  std::string text = first.ComposeText();
  // Saving writes the application's path relative to the folder where it lies there; the
  // launcher must read that value as plainly as the one in the file. Only a check that read the
  // file's entries has judged that value (an empty or UTF-16 file stops before them).
  if (fileCheck != nullptr && fileCheck->settingsRead && !HasPathValueFinding(*fileCheck)) {
    Require(!HasPathValueFinding(first.Check()), "saving leaves a PATH value the launcher reads as it looks");
  }
  if (text.size() > kConfigReadLimit) {
    Require(first.Refusal(first.Check()).kind != SaveRefusal::Kind::None, "a text longer than the launcher reads is refused");
    return;
  }
  SettingsDocument second;
  LoadDocument(second, setUp, folder, display, StoredForm(text));
  Require(second.form == FileForm::Stored, "a saved document reopens as the stored form");
  Require(second.unshown.empty() && second.loadedLimits.empty(), "a saved document shows all it holds");
  for (EntryKind kind : kListKinds) {
    const std::vector<ValueChoice>& before = first.List(kind);
    const std::vector<ValueChoice>& after = second.List(kind);
    bool same = before.size() == after.size() &&
                std::equal(before.begin(), before.end(), after.begin(), [](const ValueChoice& a, const ValueChoice& b) {
                  return a.value == b.value && a.offered == b.offered && a.selected == b.selected;
                });
    Require(same, "a saved document has the same lists and selections");
  }
  Require(first.strict == second.strict && first.backdrop == second.backdrop && first.waitAll == second.waitAll,
          "a saved document has the same switches");
  Require(second.application == (first.application.empty() ? "" : PathValueFor(folder, first.application)),
          "a saved document's application is the one saving writes");
  Require(SameIgnoringAsciiCase(ApplicationOf(folder, first.application), ApplicationOf(folder, second.application)),
          "a saved document names the same application file");
  Require(second.ComposeText() == text, "a saved document saves the same text");
  ++g_documents;
}

void Run(const SetUp& setUp) {
  std::string folder = setUp.foreignFolder;
  std::string hostFolder;
  if (setUp.folder == Folder::Host) hostFolder = HostFolder(setUp, folder);
  ScriptMachine(setUp);
  DisplayState display = ReadDisplay();
  ModeCatalogue given;
  for (const SimModeAnswer& answer : setUp.answers) given.push_back(answer.mode);
  const ModeCatalogue& modes = setUp.modesAsGiven ? given : display.modes;

  Probe probe = ProbePath;
  if (setUp.folder == Folder::Foreign) {
    PathKind answer = setUp.projector;
    probe = setUp.foreignProbe ? Probe([answer](const std::string&) { return answer; }) : Probe();
  }
  bool agreement = setUp.folder == Folder::Host && !setUp.modesAsGiven;
  if (agreement) {
    // The files beside the launcher: its application where the check looks for it, then the
    // configuration, under the name the launcher opens.
    ConfigCheck first = Check(setUp, folder, modes, display.current, Probe());
    Make(folder + "PROJECTOR.EXE", setUp.projector, setUp.textFiles);
    const std::string& application = first.applicationPath;
    bool inFolder = first.made && application.compare(0, folder.size(), folder) == 0 &&
                    application.find('/', folder.size()) == std::string::npos;
    if (inFolder) Make(application, setUp.application, setUp.textFiles);
    std::string name = first.file.nameRule == NameRule::NamedLauncher ? first.file.launcherName + ".ini" : "Kavelo2.ini";
    agreement = first.file.nameRule == NameRule::EveryLauncher || first.file.nameRule == NameRule::NamedLauncher;
    agreement = agreement && Write(folder + name, setUp.file);
  }
  ConfigCheck check = Check(setUp, folder, modes, display.current, probe);
  if (Explaining()) {
    Explain("set-up", "form " + std::to_string(static_cast<int>(setUp.form)) + ", folder " + folder + ", name " +
                          setUp.fileName + ", modes " + FormatCatalogue(modes) + ", in force " +
                          FormatMode(display.current) + ", Windows " + std::to_string(setUp.windows.major) +
                          ", PROJECTOR.EXE " + std::to_string(static_cast<int>(setUp.projector)) +
                          ", application " + std::to_string(static_cast<int>(setUp.application)));
    Explain("the file as stored", setUp.file);
    if (check.made) Explain("the report", RenderReport(check, Rendering::Escaped) + VerdictLine(check, Rendering::Escaped));
  }
  RenderWithinBounds(check);
  // Only a launcher that reads this file by its name runs it.
  bool read = check.file.nameRule == NameRule::EveryLauncher || check.file.nameRule == NameRule::NamedLauncher;
  if (agreement && read) CompareWithLauncher(setUp, folder, display.modes, check);
  // The check saw the file as the document reads it unless it was given plain text or a longer file.
  bool sameBytes = setUp.form != Form::CheckedPlain && setUp.sizeBeyond == 0;
  RoundTripDocument(setUp, folder, display, sameBytes ? &check : nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit([] {
    std::fprintf(stderr,
                 "fuzz_model_check: longest report %zu bytes, longest verdict line %zu bytes; %zu launcher runs "
                 "compared (%zu switches, %zu starts), %zu documents saved and loaded again\n",
                 g_longestReport, g_longestVerdict, g_launcherRuns, g_switches, g_starts, g_documents);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Run(ReadSetUp(data, size));
  return 0;
}
