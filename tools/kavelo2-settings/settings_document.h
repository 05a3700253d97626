// Kavelo2 Settings' one record: the configuration being edited, as selections, check boxes and
// an application path, and the text that saving writes. What the launcher makes of that text is
// the model's check (config_check.h), made here with the display read once and with what the
// machine was last found to hold: an edit never asks the machine, a settled document does.
#pragma once

#include "launcher/mode_selection.h"
#include "tools/kavelo2-settings/launcher_folder.h"
#include "tools/machine/safe_save.h"
#include "tools/model/app_layers.h"
#include "tools/model/config_check.h"
#include "tools/model/config_text.h"
#include "tools/model/program_image.h"
#include "tools/model/windows_version.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The program's name: its window's title ends in it, and its boxes carry it as their caption.
constexpr const char* kProgramTitle = "Kavelo2 Settings";

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
    PathNotTaken,    // a PATH value that does not fit the launcher's folder: it keeps the path
    EmptyPath,       // the PATH that counts is empty: the launcher would start its own folder
    SecondSwitch,    // a second STRICT, BACKDROP or WAITALL entry; saving writes one
  };
  std::string entry;  // as it stands in the file
  Reason reason;
  EntryKind kind;     // the entry's kind, where it has one
  int line;           // its line in the file, from 1
};

// Why the text cannot be saved as it is.
struct SaveRefusal {
  enum class Kind {
    None,
    EndsAnEntry,        // the application path holds a separator, which ends the entry there
    PathReadOtherwise,  // the launcher reads the PATH value otherwise than it looks, or does not
                        // take it (`finding`)
    TooLong,            // the text is `size` bytes, longer than the launcher reads
    Unspelt,            // the file's path (`path`) holds characters that the code page
                        // (`codePage`) cannot spell: no program that names files in it reaches it
  };
  Kind kind = Kind::None;
  Finding finding{FindingKind::PathEmpty};
  size_t size = 0;
  std::string path;
  unsigned codePage = 0;
};

// What the user is asked before a save.
struct SaveQuestion {
  enum class Kind {
    None,
    LauncherDoesNothing,  // no mode entry: the launcher would start and show nothing
    TakesLaunchersOver,   // a new file that the launchers of `takenOver` would read instead
  };
  Kind kind = Kind::None;
  std::vector<std::pair<std::string, std::string>> takenOver;  // launcher, the file it reads now
};

struct SettingsDocument {
  ModeCatalogue catalogue;  // the display's modes, as the launcher enumerates them
  DEVMODEA currentMode{};   // the display's mode in force
  WindowsVersion windows;   // the version of Windows the display belongs to
  unsigned codePage = 0;    // the ANSI code page this Windows names files in
  std::string folder;    // the launcher's folder in Windows form, ending in a backslash
  std::string fileName;  // the configuration file's name in that folder
  std::vector<std::string> launchers;  // the launcher programs in the folder, by file name
  FileForm form = FileForm::Missing;
  uint64_t fileSize = 0;   // of the file as loaded
  size_t replaced = 0;     // UTF-16 characters that 8-bit text cannot hold
  bool utf8Mark = false;   // the plain text began with a UTF-8 byte order mark, which was dropped
  bool noText = false;     // the file is no text in any form: nothing of it is loaded
  std::vector<Finding> loadedLimits;  // where the loaded text ends early for the launcher

  std::vector<ValueChoice> lists[kListCount];  // by kListKinds
  bool strict = false;
  bool backdrop = false;
  bool waitAll = false;
  std::string application;  // the PATH value as shown; "" writes no PATH entry
  std::vector<UnshownEntry> unshown;

  // The application's compatibility settings for this user ("The application on this
  // computer"): read for the application's full path, changed in the dialog, written by a save.
  std::string layersPath;        // the full path they were read for
  AppLayersReading layersRead;   // what the registry held there
  AppLayerSettings layers;       // as the dialog shows them
  AppLayerSettings layersSaved;  // as read or last written
  bool layersChosen = false;     // the user chose `layers` since the file was loaded or they were
                                 // last written: they stay when the application changes

  // What the machine was found to hold at each path the check or the folder's launchers asked
  // about, when the document last settled. Paths not in it are Unknown.
  std::map<std::string, PathKind> found;
  // The application's program file as a program, read for `layersPath` when the document last
  // settled.
  ProgramImage image;

  // Fills `catalogue` and `currentMode` from the display, read once with the launcher's calls,
  // and `windows` with the Windows version.
  void ReadDisplay();

  // Opens `fileName` in `folder` (the launcher's folder, ending in a separator), whose launcher
  // programs are `folderLaunchers`: a file that does not exist yet starts empty. False, with the
  // reason, when the file cannot be read; the document is then as it was.
  bool Open(const std::string& folderPath, const std::string& name, const std::vector<std::string>& folderLaunchers,
            std::string& reason);

  // Replaces everything with `file`'s settings (a file of `size` bytes), read and applied entry
  // by entry with the launcher's own rules; `catalogue` gives the values the lists offer.
  void Load(const FileText& file, uint64_t size);
  // The same for a file's bytes as opened (at most kHeldFileBytes of a file of `size` bytes): a
  // UTF-8 byte order mark in front of plain text is dropped and noted.
  void LoadBytes(std::string bytes, uint64_t size);

  // Asks the machine, once each, what the check now needs to know: the paths its reading and the
  // folder's launchers ask about, and the compatibility settings and the program file of the
  // application the file's launcher starts. Done when a file is opened or saved and when the
  // application path has settled, never for an edit in between. The user's unsaved choices of the
  // settings stay whatever the application becomes: they are then the new application's.
  void AskMachine();

  // The application that the launcher reading the saved text starts: its PATH by the launcher's
  // own rule, or PROJECTOR.EXE beside it; "" only when the folder leaves the launcher no paths.
  std::string ApplicationPath() const;

  // The folder's launchers, and what they read, as the machine was last found.
  LauncherFolder Launchers() const;

  // Selects exactly the width, height, depth and rate of catalogue entry `index` in the four
  // lists, so that the launcher picks that mode.
  void PickMode(size_t index);

  // The list of one of the four mode kinds.
  std::vector<ValueChoice>& List(EntryKind kind);
  const std::vector<ValueChoice>& List(EntryKind kind) const;

  // The plain text that saving writes: one entry per kind, in a fixed order, CR LF after each.
  std::string ComposeText() const;

  // The model's check of ComposeText() in this folder against this display, with what the machine
  // was last found to hold and the application's compatibility settings as saving leaves them.
  ConfigCheck Check() const;
  // The same for the file as last loaded or saved, with the application's settings as the
  // registry was last found to hold them: what a launcher started now reads and applies.
  ConfigCheck SavedCheck() const;

  // Why that text cannot be saved, judged on its check.
  SaveRefusal Refusal(const ConfigCheck& check) const;
  // What to ask before saving it.
  SaveQuestion Question(const ConfigCheck& check) const;

  // Saves the stored form of ComposeText() as folder + fileName, unless Refusal() objects.
  SaveOutcome Save();

  bool LayersChanged() const { return layers != layersSaved; }
  // The user's choice of the application's settings, kept until it is written.
  void ChooseLayers(const AppLayerSettings& chosen);
  // Whether the settings can be set for that application: a program on a local drive that is
  // neither a network drive nor a CD-ROM or removable one, whose value is one the tools can read
  // and so write without losing its other names.
  bool LayersApply() const;
  // Writes the changed settings, in the form the Compatibility tab of this Windows uses. A write
  // that is refused or fails leaves the settings as the registry holds them, which the dialog
  // then shows: the choice is not kept as a change that no save can make.
  LayerWriteOutcome SaveLayers();

  // The file's text changed since it was loaded or last saved, or it was loaded from a form the
  // launcher cannot read, or the application's settings changed.
  bool IsChanged() const;

  // "Kavelo2.ini - Kavelo2 Settings", with a leading "*" while changed.
  std::string WindowTitle() const;

  // The loaded file has some length, but a NUL byte at its start ends its text: the launcher reads
  // it as empty.
  bool ReadAsEmpty() const;

  // The file's path holds the code page's "?" for a character it has no letter for (no Windows
  // file name holds "?"): no ANSI call reaches the file, to read it or to save it.
  bool PathUnspelt() const;

  std::string savedText;  // ComposeText() as last loaded or saved
};

