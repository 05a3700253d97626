// The files a folder's launchers read, worked out with the launcher's own rule.
#include "tools/kavelo2-settings/launcher_folder.h"

#include "launcher/config_file.h"
#include "launcher/launch_context.h"
#include "tools/model/ascii_text.h"

#include <algorithm>

namespace {

constexpr const char* kLauncherFile = "Kavelo2.exe";

// The launchers with Kavelo2.exe first: the one a user most likely starts.
std::vector<std::string> Kavelo2First(std::vector<std::string> launchers) {
  std::stable_partition(launchers.begin(), launchers.end(),
                        [](const std::string& launcher) { return SameIgnoringAsciiCase(launcher, kLauncherFile); });
  return launchers;
}

}  // namespace

std::string LauncherFolder::FileReadBy(const std::string& launcher, const std::string& created) const {
  auto opens = [this, &created](const char* path) {
    std::string name = std::string(path).substr(folder.size());
    return (!created.empty() && SameIgnoringAsciiCase(name, created)) || probe(path) == PathKind::File;
  };
  PathText reads;
  if (!ConfigFileReadBy((folder + launcher).c_str(), reads, opens)) return "";
  return std::string(reads).substr(folder.size());
}

std::vector<std::string> LauncherFolder::ReadersOf(const std::string& fileName) const {
  std::vector<std::string> readers;
  for (const std::string& launcher : Kavelo2First(launchers)) {
    if (SameIgnoringAsciiCase(FileReadBy(launcher, fileName), fileName)) readers.push_back(launcher);
  }
  return readers;
}

std::string LauncherFolder::DefaultFile() const {
  for (const std::string& launcher : Kavelo2First(launchers)) {
    std::string file = FileReadBy(launcher);
    if (!file.empty()) return file;
  }
  return kConfigFileName;
}

std::vector<std::string> LauncherFolder::TakenOverBy(const std::string& fileName) const {
  std::vector<std::string> taken;
  for (const std::string& launcher : launchers) {
    std::string now = FileReadBy(launcher);
    if (!now.empty() && !SameIgnoringAsciiCase(now, fileName) &&
        SameIgnoringAsciiCase(FileReadBy(launcher, fileName), fileName)) {
      taken.push_back(launcher);
    }
  }
  return taken;
}
