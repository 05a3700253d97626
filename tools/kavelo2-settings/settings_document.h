// Kavelo2 Settings' one record: the configuration being edited, as selections, check boxes and
// an application path, and the text that saving writes.
#pragma once

#include "launcher/mode_selection.h"
#include "tools/kavelo2-settings/file_forms.h"
#include "tools/kavelo2-settings/safe_save.h"

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
  std::string entry;  // as it stands in the file
  std::string note;
};

struct SettingsDocument {
  ModeCatalogue catalogue;  // the display's modes, as the launcher enumerates them
  std::string folder;    // the launcher's folder in Windows form, ending in a backslash
  std::string fileName;  // the configuration file's name in that folder
  FileForm form = FileForm::Missing;
  std::string formDescription;
  std::string readLimitNote;  // what the 998-byte limit cuts from the loaded text, or ""

  std::vector<ValueChoice> lists[kListCount];  // by kListKinds
  bool strict = false;
  bool backdrop = false;
  std::string application;  // the PATH value as shown; "" writes no PATH entry
  std::vector<UnshownEntry> unshown;

  // Fills `catalogue` with the launcher's own enumeration of the display's modes.
  void EnumerateDisplay();

  // Opens `fileName` in `folder` (the launcher's folder, ending in a separator): a file that
  // does not exist yet starts empty. False, with the reason, when the file cannot be read.
  bool Open(const std::string& folderPath, const std::string& name, std::string& reason);

  // Replaces everything with `file`'s settings; `catalogue` gives the values the lists offer.
  void Load(const FileText& file);

  // The list of one of the four mode kinds.
  std::vector<ValueChoice>& List(EntryKind kind);
  const std::vector<ValueChoice>& List(EntryKind kind) const;

  // The plain text that saving writes: one entry per kind, in a fixed order, CR LF after each.
  std::string ComposeText() const;

  // Why the text cannot be saved (longer than the launcher reads, or an application path that
  // the file cannot hold), or "" when it can.
  std::string SaveRefusal() const;

  // Saves the stored form of ComposeText() as folder + fileName, unless SaveRefusal() objects.
  SaveOutcome Save();

  // Changed since it was loaded or last saved, or loaded from a form the launcher cannot read.
  bool IsChanged() const;

  // The catalogue position of the mode the launcher picks with ComposeText(), or -1.
  int ChosenMode() const;

  // "Kavelo2.ini - Kavelo2 Settings", with a leading "*" while changed.
  std::string WindowTitle() const;

  std::string savedText;  // ComposeText() as last loaded or saved
};

// The PATH value for an application path: relative when the path lies inside `folder` (a
// Windows folder ending in a backslash), otherwise as given.
std::string StoredApplicationPath(const std::string& folder, const std::string& path);

// What trying the configuration showed: the display mode before, while the launcher ran (null
// when it did not switch) and after.
std::string DescribeTrial(const std::string& launcher, const DEVMODEA& before, const DEVMODEA* during,
                          const DEVMODEA& after);

// The launcher that reads `configName` when tried: the one whose base name matches the file,
// then Kavelo2.exe. The caller starts the first that exists.
std::vector<std::string> LauncherCandidates(const std::string& configName);
