// The launchers that lie in a folder and the configuration file each of them reads, by the
// launcher's own rule (FindConfigFile): what the dialog opens when it is given no file, which
// launcher Try starts, and which launchers a new file would take over.
#pragma once

#include "tools/model/path_kind.h"

#include <functional>
#include <string>
#include <vector>

struct LauncherFolder {
  std::string folder;                  // in Windows form, ending in a backslash
  std::vector<std::string> launchers;  // file names of the launcher programs in it
  std::function<PathKind(const std::string& windowsPath)> probe;

  // The name of the file `launcher` reads, or "" when none of its candidates is there.
  // `created` names a file to count as there, as a save is about to create it.
  std::string FileReadBy(const std::string& launcher, const std::string& created = "") const;

  // The file to open when none is given: the one a launcher of the folder reads (Kavelo2.exe's
  // first), or Kavelo2.ini when no launcher reads any.
  std::string DefaultFile() const;

  // The launchers that read `fileName` once it is there, Kavelo2.exe first.
  std::vector<std::string> ReadersOf(const std::string& fileName) const;

  // The launchers that read another file now and would read `fileName` once it is created.
  std::vector<std::string> TakenOverBy(const std::string& fileName) const;
};
