// The configuration file as the launcher reads it: any bytes in a file beside it, read by
// LoadConfiguration on the simulated platform; the criteria, flags and paths that come out must
// be well formed whatever the bytes were.
//
// Input: the first byte picks the length of the launcher's folder (short ones, and long ones
// near the 1023-character limit so that PATH values overflow); the rest is the file.
#include "launcher/launch_context.h"
#include "platform/sim/sim_platform.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Ends the run with a finding that libFuzzer reports with the input that caused it.
void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// The file the launcher reads, one per fuzzing process; removed when the process ends.
const char* ConfigFile() {
  static char path[64] = "";
  if (path[0] == '\0') {
    std::snprintf(path, sizeof(path), "/tmp/kavelo2-fuzz-%d.ini", static_cast<int>(getpid()));
    std::atexit([] { std::remove(path); });
  }
  return path;
}

bool Terminated(const PathText& path) { return std::memchr(path, '\0', kPathCapacity) != nullptr; }

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The text the launcher sees: at most 998 bytes, decoded, up to the first NUL.
std::string DecodedText(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), std::min(size, kConfigReadLimit));
  DecodeConfigBuffer(text.data(), text.size());
  return text.substr(0, text.find('\0'));
}

// Every element that can reach the integer reader, compared with the runtime's own "%i".
// Magnitudes that the runtime clamps (beyond 64 bits) are not compared.
void CompareIntegersWithRuntime(const std::string& text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(",:;\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string element = text.substr(start, end - start);
    int32_t ours = 0;
    bool read = ReadInteger(element.c_str(), ours) != nullptr;
    long long theirs = 0;
    bool runtimeRead = std::sscanf(element.c_str(), "%lli", &theirs) == 1;
    Require(read == runtimeRead, "an integer is read where %i reads none, or the reverse");
    if (read && theirs != LLONG_MAX && theirs != LLONG_MIN) {
      Require(ours == static_cast<int32_t>(static_cast<uint32_t>(theirs)),
              "an integer differs from %i modulo 2^32");
    }
    start = end + 1;
  }
}

struct Outcome {
  int result;
  CriteriaList criteria;
  bool strictMode;
  bool backdropEnabled;
  std::string applicationPath;

  bool operator==(const Outcome& other) const {
    if (criteria.size() != other.criteria.size()) return false;
    for (size_t i = 0; i < criteria.size(); ++i) {
      if (criteria[i].kind != other.criteria[i].kind ||
          criteria[i].values != other.criteria[i].values)
        return false;
    }
    return result == other.result && strictMode == other.strictMode &&
           backdropEnabled == other.backdropEnabled && applicationPath == other.applicationPath;
  }
};

Outcome Load(const std::string& modulePath, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(ConfigFile(), "wb");
  Require(file != nullptr, "the configuration file can be written");
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);

  ResetSim();
  Sim().currentMode = MakeMode(1024, 768, 32, 60);
  LaunchContext context(modulePath.c_str());
  Require(context.PathsFit(), "the folder chosen fits");
  const std::string directory = context.programDirectory;
  const std::string baseName = context.programBaseName;
  const std::string defaultPath = context.applicationPath;

  int result = context.LoadConfiguration(ConfigFile());

  Require(Sim().messageBoxes.empty(), "a file that opens shows no message");
  Require(Terminated(context.programDirectory) && Terminated(context.programBaseName) &&
              Terminated(context.configPath) && Terminated(context.applicationPath),
          "every path field is terminated within its 1024 bytes");
  Require(directory == context.programDirectory && baseName == context.programBaseName,
          "the configuration leaves the launcher's own folder and name alone");
  Require(result >= 0 && static_cast<size_t>(result) == context.criteria.size(),
          "the result is the number of criteria");
  for (const ModeCriterion& criterion : context.criteria) {
    Require(criterion.kind >= EntryKind::Width && criterion.kind <= EntryKind::Freq,
            "only the four mode kinds reach the criteria");
    Require(criterion.text.empty(), "a criterion carries no text");
  }

  const std::string text = Upper(DecodedText(data, size));
  const std::string path = context.applicationPath;
  if (text.find("PATH:") == std::string::npos) {
    Require(path == defaultPath, "without a PATH entry the application path stays the default");
  }
  if (path != defaultPath) {
    Require(path.find('/') == std::string::npos, "a PATH value's slashes become backslashes");
  }
  if (context.strictMode) Require(text.find("STRICT:") != std::string::npos, "STRICT from nowhere");
  if (context.backdropEnabled) {
    Require(text.find("BACKDROP:") != std::string::npos, "BACKDROP from nowhere");
  }
  size_t colons = static_cast<size_t>(std::count(text.begin(), text.end(), ':'));
  Require(static_cast<size_t>(result) <= colons, "no more criteria than entries with a colon");
  if (size == 0) Require(result == 0, "an empty file gives no criteria");

  return {result, context.criteria, context.strictMode, context.backdropEnabled, path};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // Folders of 4 to 131 characters, or of 882 to 1010 (the longest whose files still fit).
  size_t folderLength = data[0] < 128 ? 4u + data[0] : 1010u - (255u - data[0]);
  std::string modulePath = "C:\\" + std::string(folderLength - 4, 'd') + "\\Kavelo2.exe";
  const uint8_t* file = data + 1;
  size_t fileSize = size - 1;

  Outcome whole = Load(modulePath, file, fileSize);
  // Nothing past byte 998 counts.
  if (fileSize > kConfigReadLimit) {
    Require(Load(modulePath, file, kConfigReadLimit) == whole, "bytes after 998 changed the run");
  }
  CompareIntegersWithRuntime(DecodedText(file, fileSize));
  return 0;
}
