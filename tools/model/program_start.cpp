// Windows' rules for the programs it starts, and how a launcher is known.
#include "tools/model/program_start.h"

// From the build's product constants (cmake/product.cmake).
const char* const kLauncherDescription = KAVELO2_LAUNCHER_DESCRIPTION;

namespace {

// Whether Windows on `native` runs programs built for `machine`: its own, x86 everywhere, and x64
// on ARM64 as well (Windows 11 emulates both there).
bool Runs(uint16_t native, uint16_t machine) {
  return machine == native || machine == kMachineI386 || (native == kMachineArm64 && machine == kMachineX64);
}

}  // namespace

std::optional<FindingKind> StartRefusedFor(const ProgramImage& image, const WindowsVersion& windows) {
  bool native64 = windows.machine == kMachineX64 || windows.machine == kMachineArm64;
  switch (image.format) {
    case ProgramFormat::Unread:
      return std::nullopt;
    case ProgramFormat::NotProgram:
      return FindingKind::ApplicationNotAProgram;
    case ProgramFormat::Dos:
    case ProgramFormat::Segmented:
    case ProgramFormat::Linear:
      return native64 ? std::optional(FindingKind::ApplicationIs16Bit) : std::nullopt;
    case ProgramFormat::Portable:
      break;
  }
  if (IsLauncherImage(image)) return FindingKind::ApplicationIsLauncher;
  bool known = windows.machine != 0 && image.headersWhole;
  return known && !Runs(windows.machine, image.machine) ? std::optional(FindingKind::ApplicationForOtherProcessor)
                                                        : std::nullopt;
}

bool DescribedAs(const ProgramImage& image, const std::string& description) {
  for (const auto& [key, text] : image.versionStrings) {
    if (key == "FileDescription" && text == description) return true;
  }
  return false;
}
