// The configuration file's platform side: finding the file beside the launcher and reading its
// first bytes with the C runtime, and the box that tells of a missing file.
#include "launcher/config_file.h"

#include "launcher/launch_context.h"

#include <cstdio>

namespace {

constexpr const char* kMissingFileText = "Kavelo2 failed to find an '.ini' file.";
constexpr const char* kMissingFileCaption = "Kavelo2 Error";

}  // namespace

int LaunchContext::LoadConfiguration(const char* firstCandidate) {
  std::FILE* file = nullptr;
  if (!FindConfigFile(firstCandidate, programDirectory, programBaseName, configPath,
                      [&file](const char* path) { return (file = std::fopen(path, "rb")) != nullptr; })) {
    MessageBoxA(nullptr, kMissingFileText, kMissingFileCaption, MB_OK);
    return 0;
  }
  // One read of up to 998 bytes; the file is closed before anything is parsed.
  char buffer[kConfigBufferSize];
  size_t count = AppendCrNulAndDecode(buffer, std::fread(buffer, 1, kConfigReadLimit, file));
  std::fclose(file);
  if (count == 0) return 0;
  return ApplyConfigurationText(buffer);
}
