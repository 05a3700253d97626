// Windows' rule for the rights a program is started with. Its manifest's requested execution
// level decides, and only where it names none does Windows' installer detection look at a 32-bit
// program's file name and version strings for an installer's words.
#include "tools/model/elevation.h"

#include "tools/model/ascii_text.h"

namespace {

// The words installer detection looks for, anywhere in a name and in any case.
constexpr const char* kInstallerWords[] = {"setup", "install", "update", "patch"};
// The version strings it reads them in.
constexpr const char* kInstallerVersionKeys[] = {"FileDescription", "ProductName", "CompanyName", "InternalName",
                                                 "OriginalFilename"};

// The first installer's word that `text` holds, or "".
std::string InstallerWordIn(const std::string& text) {
  std::string upper = UpperAscii(text);
  for (const char* word : kInstallerWords) {
    if (upper.find(UpperAscii(word)) != std::string::npos) return word;
  }
  return "";
}

}  // namespace

ElevationNeed ElevationNeeded(const ProgramImage& image, const std::string& fileName, const WindowsVersion& windows) {
  ElevationNeed need;
  // Windows before Vista (6.0) has no user account control: every program starts with the user's rights.
  if (windows.major < 6 || image.format != ProgramFormat::Portable) return need;
  if (image.level == ExecutionLevel::RequireAdministrator) need.reason = ElevationReason::RequiresAdministrator;
  if (image.level == ExecutionLevel::HighestAvailable) need.reason = ElevationReason::HighestAvailable;
  // Any requested level, even an unknown one, turns installer detection off.
  if (image.level != ExecutionLevel::None || image.machine != kMachineI386) return need;
  need.word = InstallerWordIn(fileName);
  if (!need.word.empty()) {
    need.reason = ElevationReason::InstallerName;
    need.text = fileName;
    return need;
  }
  for (const char* key : kInstallerVersionKeys) {
    for (const auto& [name, text] : image.versionStrings) {
      if (name != key) continue;
      need.word = InstallerWordIn(text);
      if (need.word.empty()) continue;
      need.reason = ElevationReason::InstallerVersionString;
      need.text = text;
      need.key = key;
      return need;
    }
  }
  return need;
}
