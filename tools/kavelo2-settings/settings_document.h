// Kavelo2 Settings' one record: the configuration being edited, as selections, check boxes and
// an application path, and the text that saving writes. What the launcher makes of that text is
// the checker's check (config_check.h), made here with the display read once.
#pragma once

#include "launcher/mode_selection.h"
#include "tools/machine/app_layer_registry.h"
#include "tools/model/config_check.h"
#include "tools/model/file_forms.h"
#include "tools/machine/safe_save.h"
#include "tools/model/windows_version.h"
#include "tools/kavelo2-settings/launcher_folder.h"

#include <cstdint>
#include <string>
#include <vector>

// The kinds the four value lists edit, in the order their entries are written.
constexpr EntryKind kListKinds[] = {EntryKind::Width, EntryKind::Height, EntryKind::Depth,
                                    EntryKind::Freq};
constexpr size_t kListCount = 4;

// One line of a value list: a value the display offers, or one the file names that it does not.
struct ValueChoice {
  int32_t value;
  bool offered;
  bool selected;
};

// An entry of the loaded file that the dialog cannot show as it stands, and what saving does.
struct UnshownEntry {
  enum class Reason {
    Ignored,         // the launcher ignores it; saving leaves it out
    SecondKept,      // a second entry of a list kind: the list keeps the values both name
    SecondNoCommon,  // the same, with no value in common: saving writes no entry of the kind
    NoNumber,        // a list kind without a number, which passes no mode; left out
    ReplacedPath,    // a PATH entry that a later one replaces, as the launcher does
    SecondSwitch,    // a second STRICT or BACKDROP entry; saving writes one
  };
  std::string entry;  // as it stands in the file
  Reason reason;
  EntryKind kind;     // the entry's kind, where it has one
};

struct SettingsDocument {
  ModeCatalogue catalogue;  // the display's modes, as the launcher enumerates them
  DEVMODEA currentMode{};   // the display's mode in force
  WindowsVersion windows;   // the version of Windows the display belongs to
  std::string folder;    // the launcher's folder in Windows form, ending in a backslash
  std::string fileName;  // the configuration file's name in that folder
  std::vector<std::string> launchers;  // the launcher programs in the folder, by file name
  FileForm form = FileForm::Missing;
  uint64_t fileSize = 0;   // of the file as loaded
  size_t replaced = 0;     // UTF-16 characters that 8-bit text cannot hold
  std::vector<Finding> loadedLimits;  // where the loaded text ends early for the launcher

  std::vector<ValueChoice> lists[kListCount];  // by kListKinds
  bool strict = false;
  bool backdrop = false;
  std::string application;  // the PATH value as shown; "" writes no PATH entry
  std::vector<UnshownEntry> unshown;

  // The application's compatibility settings for this user ("The application on this
  // computer"): read for the application's full path, changed in the dialog, written by a save.
  std::string layersPath;        // the full path they were read for
  AppLayersReading layersRead;   // what the registry held there
  AppLayerSettings layers;       // as the dialog shows them
  AppLayerSettings layersSaved;  // as read or last written

  // Fills `catalogue` and `currentMode` from the display, read once with the launcher's calls,
  // and `windows` with the Windows version.
  void ReadDisplay();

  // Opens `fileName` in `folder` (the launcher's folder, ending in a separator): a file that
  // does not exist yet starts empty. False, with the reason, when the file cannot be read.
  bool Open(const std::string& folderPath, const std::string& name, std::string& reason);

  // Replaces everything with `file`'s settings (a file of `size` bytes); `catalogue` gives the
  // values the lists offer.
  void Load(const FileText& file, uint64_t size);

  // The folder's launchers, and what they read.
  LauncherFolder Launchers() const { return {folder, launchers, ProbePath}; }

  // Selects exactly the width, height, depth and rate of catalogue entry `index` in the four
  // lists, so that the launcher picks that mode.
  void PickMode(size_t index);

  // The list of one of the four mode kinds.
  std::vector<ValueChoice>& List(EntryKind kind);
  const std::vector<ValueChoice>& List(EntryKind kind) const;

  // The plain text that saving writes: one entry per kind, in a fixed order, CR LF after each.
  std::string ComposeText() const;

  // The checker's check of ComposeText() in this folder against this display, with the current
  // user's compatibility layers of the application as they are now.
  ConfigCheck Check() const;

  // Why the text cannot be saved (longer than the launcher reads, an application path that the
  // file cannot hold or that the launcher reads otherwise than it looks), or "" when it can.
  std::string SaveRefusal() const;

  // Saves the stored form of ComposeText() as folder + fileName, unless SaveRefusal() objects.
  SaveOutcome Save();

  // Reads the compatibility settings of the application that the text names now, unless they
  // were read for it already: the application path changed, or the file was opened.
  void ReadLayers();
  bool LayersChanged() const { return layers != layersSaved; }
  // Whether Windows keeps the settings for that application: a program on a local drive.
  bool LayersApply() const;
  // Writes the changed settings, in the form the Compatibility tab of this Windows uses.
  LayerWriteOutcome SaveLayers();

  // What the user is asked before a save, or "" when nothing needs asking: a configuration with
  // which the launcher does nothing, and a new file that other launchers would read instead of
  // the one they read now.
  std::string SaveQuestion() const;

  // Changed since it was loaded or last saved (the file or the application's settings), or
  // loaded from a form the launcher cannot read.
  bool IsChanged() const;

  // "Kavelo2.ini - Kavelo2 Settings", with a leading "*" while changed.
  std::string WindowTitle() const;

  std::string savedText;  // ComposeText() as last loaded or saved
};

// The PATH value for an application path: relative when the path lies inside `folder` (a
// Windows folder ending in a backslash), otherwise as given.
std::string StoredApplicationPath(const std::string& folder, const std::string& path);

// What trying the configuration showed: the launcher's message boxes, and the display mode
// before, while the launcher ran (when it switched) and after.
struct TrialOutcome {
  std::string launcher;
  std::vector<std::pair<std::string, std::string>> boxes;  // caption and text, in order shown
  DEVMODEA before{};
  bool switched = false;
  DEVMODEA during{};
  DEVMODEA after{};
};

// The report of a trial, worded with the verdict of the check of the file that was tried.
std::string DescribeTrial(const TrialOutcome& trial, const ConfigCheck& check);

// The launcher that Try starts for the document's file: the first that reads it once saved. ""
// with the reason in `why` when none does.
std::string TrialLauncher(const SettingsDocument& document, std::string& why);
