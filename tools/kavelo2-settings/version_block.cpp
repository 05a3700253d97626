// Reading version blocks: their strings are UTF-16, their fixed part follows a signature.
#include "tools/kavelo2-settings/version_block.h"

#include <cstdint>

namespace {

// The launcher's FileDescription, as its build writes it (the top-level CMakeLists.txt).
constexpr const char* kLauncherDescription = KAVELO2_LAUNCHER_DESCRIPTION;
// The fixed file information starts with its signature, 0xFEEF04BD, in little-endian order; the
// structure's version and the file version's two halves follow.
constexpr char kFixedSignature[] = {'\xBD', '\x04', '\xEF', '\xFE'};
constexpr size_t kFileVersionOffset = 8;

uint32_t Word32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

}  // namespace

bool VersionBlockNamesLauncher(const std::string& block) {
  std::string wide;
  for (const char* c = kLauncherDescription; *c != '\0'; ++c) {
    wide += *c;
    wide += '\0';
  }
  return block.find(wide) != std::string::npos;
}

std::string VersionBlockVersion(const std::string& block) {
  size_t fixed = block.find(std::string(kFixedSignature, sizeof(kFixedSignature)));
  if (fixed == std::string::npos || fixed + kFileVersionOffset + 8 > block.size()) return "";
  uint32_t high = Word32(block, fixed + kFileVersionOffset);
  uint32_t low = Word32(block, fixed + kFileVersionOffset + 4);
  return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16);
}
