// Reading a program's head: the MZ header and the new header it points to; for a PE its file
// header, optional header and section table, and from its resource tree (type, then name, then
// language) the manifest and the version block. Offsets are worked out in 64 bits and checked
// against the 32-bit file before they are read; every directory is read only as far as the budget,
// its own count and its section's data allow.
#include "tools/model/program_image.h"

#include "tools/model/config_text.h"
#include "tools/model/version_block.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace {

constexpr uint32_t kDosHeaderSize = 64;
constexpr uint32_t kNewHeaderPointer = 0x3C;  // e_lfanew
constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kMostSections = 96;  // Windows loads no program with more
// PE32 and PE32+: where the optional header holds NumberOfRvaAndSizes and the data directories,
// and the largest optional header with all 16 of them.
constexpr uint16_t kMagicPe32 = 0x10B, kMagicPe32Plus = 0x20B;
constexpr uint32_t kSubsystemAt = 68;
constexpr uint32_t kLongestOptionalHeader = 240;
constexpr uint32_t kResourceDirectory = 2;  // IMAGE_DIRECTORY_ENTRY_RESOURCE
constexpr uint32_t kResourceDirectoryHeader = 16;
constexpr uint32_t kResourceEntrySize = 8;
constexpr uint32_t kMostDirectoryEntries = 1024;
constexpr uint32_t kSubdirectory = 0x80000000u;  // the high bit of an entry's offset
constexpr uint32_t kVersionType = 16, kManifestType = 24;  // RT_VERSION, RT_MANIFEST
constexpr uint32_t kMostManifestId = 3;
// A version block's length is a 16-bit number; a manifest longer than this is read as far as this.
constexpr uint32_t kLongestResource = 64 * 1024;

// The file's reads, each counted against the budget before it is made.
struct Head {
  const ProgramRead& read;
  uint32_t left = kProgramHeadBudget;

  // `size` bytes from `offset`, fewer where the file ends (none beyond 4 GiB, where no 32-bit
  // offset reaches); false when the budget is spent or the file cannot be read.
  bool Read(uint64_t offset, uint32_t size, std::string& bytes) {
    bytes.clear();
    if (size > left) return false;
    left -= size;
    if (offset > std::numeric_limits<uint32_t>::max() || size == 0) return true;
    if (!read(static_cast<uint32_t>(offset), size, bytes)) return false;
    if (bytes.size() > size) bytes.resize(size);
    return true;
  }
};

struct Section {
  uint32_t address = 0, virtualSize = 0, rawSize = 0, rawOffset = 0;
};

// The resource tree of a PE: its root's address, and the sections that map addresses to the file.
struct ResourceTree {
  Head& head;
  std::vector<Section> sections;
  uint32_t root = 0;

  // Where the data at `address` lies in the file, and how much of it the section holds from there
  // (no more than the section loads); false when no section's data holds it.
  bool Locate(uint64_t address, uint64_t& offset, uint32_t& available) const {
    for (const Section& section : sections) {
      uint32_t loaded = section.virtualSize != 0 ? std::min(section.rawSize, section.virtualSize) : section.rawSize;
      if (address < section.address || address - section.address >= loaded) continue;
      uint32_t into = static_cast<uint32_t>(address - section.address);
      offset = static_cast<uint64_t>(section.rawOffset) + into;
      available = loaded - into;
      return true;
    }
    return false;
  }

  // The whole `size` bytes of a structure `at` bytes from the root, which its section must hold;
  // `offset` and `available` tell where it lies in the file and how much of the section follows.
  bool ReadStructure(uint32_t at, uint32_t size, std::string& bytes, uint64_t& offset, uint32_t& available) const {
    return Locate(static_cast<uint64_t>(root) + at, offset, available) && available >= size &&
           head.Read(offset, size, bytes) && bytes.size() == size;
  }

  struct Entry {
    uint32_t name;  // an id, or with its high bit set a string's offset (matching no id)
    uint32_t leads;  // kSubdirectory with a directory's offset, or a data entry's offset
  };

  // The entries of the directory `at` bytes from the root.
  std::vector<Entry> Directory(uint32_t at) const {
    std::vector<Entry> entries;
    uint64_t offset = 0;
    uint32_t available = 0;
    std::string bytes;
    if (!ReadStructure(at, kResourceDirectoryHeader, bytes, offset, available)) return entries;
    uint32_t count = LittleEndian(bytes, 12, 2) + LittleEndian(bytes, 14, 2);
    count = std::min({count, kMostDirectoryEntries, (available - kResourceDirectoryHeader) / kResourceEntrySize});
    if (!head.Read(offset + kResourceDirectoryHeader, count * kResourceEntrySize, bytes)) return entries;
    for (size_t entry = 0; entry + kResourceEntrySize <= bytes.size(); entry += kResourceEntrySize) {
      entries.push_back({LittleEndian(bytes, entry, 4), LittleEndian(bytes, entry + 4, 4)});
    }
    return entries;
  }

  // The entries of the subdirectory an entry leads to; none when it leads to data.
  std::vector<Entry> Below(const Entry& entry) const {
    if ((entry.leads & kSubdirectory) == 0) return {};
    return Directory(entry.leads & ~kSubdirectory);
  }

  // The data of a resource, from the entry of its name: its first language's, at most
  // kLongestResource bytes of it. "" when the tree does not lead to data held in the file.
  std::string Data(const Entry& name) const {
    std::string bytes;
    for (const Entry& language : Below(name)) {
      if ((language.leads & kSubdirectory) != 0) continue;
      uint64_t offset = 0;
      uint32_t available = 0;
      // IMAGE_RESOURCE_DATA_ENTRY: the data's address and size.
      if (!ReadStructure(language.leads, 8, bytes, offset, available)) return "";
      uint32_t address = LittleEndian(bytes, 0, 4), size = LittleEndian(bytes, 4, 4);
      bool read = Locate(address, offset, available) &&
                  head.Read(offset, std::min({size, available, kLongestResource}), bytes);
      return read ? bytes : "";
    }
    return "";
  }
};

// A manifest's text as bytes: UTF-8 as it stands (with its mark dropped), UTF-16 little-endian by
// its low bytes, since the names and values read here are ASCII.
std::string ManifestText(std::string manifest) {
  bool utf16 = manifest.size() >= 2 && (manifest.compare(0, 2, "\xFF\xFE") == 0 || manifest[1] == '\0');
  if (utf16) return NarrowUtf16(manifest, 0, Utf16Order::LittleEndian);
  StripUtf8Mark(manifest);
  return manifest;
}

ExecutionLevel LevelNamed(const std::string& value) {
  if (value == "asInvoker") return ExecutionLevel::AsInvoker;
  if (value == "highestAvailable") return ExecutionLevel::HighestAvailable;
  if (value == "requireAdministrator") return ExecutionLevel::RequireAdministrator;
  return ExecutionLevel::Unknown;
}

// The `level` attribute of the first requestedExecutionLevel element (with or without a namespace
// prefix) outside comments. Names and values are compared as XML compares them, with their case.
ExecutionLevel RequestedLevel(const std::string& manifest) {
  const std::string text = ManifestText(manifest);
  constexpr std::string_view kElement = "requestedExecutionLevel";
  for (size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
    if (text.compare(at, 4, "<!--") == 0) {
      at = text.find("-->", at + 4);
      if (at == std::string::npos) break;
      continue;
    }
    size_t nameEnd = text.find_first_of(" \t\r\n/>", at + 1);
    if (nameEnd == std::string::npos) break;
    std::string name = text.substr(at + 1, nameEnd - at - 1);
    size_t colon = name.rfind(':');
    if (name.substr(colon == std::string::npos ? 0 : colon + 1) != kElement) continue;
    size_t tagEnd = std::min(text.find('>', nameEnd), text.size());
    // Attributes: name, "=", a value in single or double quotes, blanks between.
    for (size_t cursor = nameEnd; cursor < tagEnd;) {
      cursor = std::min(text.find_first_not_of(" \t\r\n/", cursor), tagEnd);
      size_t attributeEnd = std::min(text.find_first_of("= \t\r\n", cursor), tagEnd);
      std::string attribute = text.substr(cursor, attributeEnd - cursor);
      size_t quote = text.find_first_not_of(" \t\r\n=", attributeEnd);
      if (attribute.empty() || quote >= tagEnd || (text[quote] != '"' && text[quote] != '\'')) break;
      size_t valueEnd = text.find(text[quote], quote + 1);
      if (valueEnd == std::string::npos) break;
      if (attribute == "level") return LevelNamed(text.substr(quote + 1, valueEnd - quote - 1));
      cursor = valueEnd + 1;
    }
    return ExecutionLevel::Unknown;
  }
  return ExecutionLevel::None;
}

// The PE headers from the file header at `at` on, and what the resource tree holds.
void ReadPortable(Head& head, uint64_t at, ProgramImage& image) {
  std::string file, optional, table;
  if (!head.Read(at, kFileHeaderSize, file)) return;
  if (file.size() >= 2) image.machine = static_cast<uint16_t>(LittleEndian(file, 0, 2));
  if (file.size() < kFileHeaderSize) return;
  uint32_t sectionCount = std::min(LittleEndian(file, 2, 2), kMostSections);
  uint32_t optionalSize = LittleEndian(file, 16, 2);
  uint32_t optionalRead = std::min(optionalSize, kLongestOptionalHeader);
  if (!head.Read(at + kFileHeaderSize, optionalRead, optional) || optional.size() < kSubsystemAt + 2) return;
  uint32_t magic = LittleEndian(optional, 0, 2);
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) return;
  image.subsystem = static_cast<uint16_t>(LittleEndian(optional, kSubsystemAt, 2));
  uint32_t countAt = magic == kMagicPe32Plus ? 108 : 92;
  uint32_t directoriesAt = countAt + 4;
  image.headersWhole = optional.size() == optionalRead && optional.size() >= directoriesAt;
  uint32_t resourceAt = directoriesAt + kResourceDirectory * 8;
  if (!image.headersWhole || LittleEndian(optional, countAt, 4) <= kResourceDirectory ||
      optional.size() < resourceAt + 8) {
    return;
  }
  ResourceTree tree{head, {}, LittleEndian(optional, resourceAt, 4)};
  if (tree.root == 0) return;
  if (!head.Read(at + kFileHeaderSize + optionalSize, sectionCount * kSectionHeaderSize, table)) return;
  for (size_t entry = 0; entry + kSectionHeaderSize <= table.size(); entry += kSectionHeaderSize) {
    tree.sections.push_back({LittleEndian(table, entry + 12, 4), LittleEndian(table, entry + 8, 4),
                             LittleEndian(table, entry + 16, 4), LittleEndian(table, entry + 20, 4)});
  }
  for (const ResourceTree::Entry& type : tree.Directory(0)) {
    if (type.name == kManifestType) {
      for (const ResourceTree::Entry& name : tree.Below(type)) {
        if (name.name < 1 || name.name > kMostManifestId) continue;
        image.manifestIds |= 1u << (name.name - 1);
        if (name.name == 1) image.level = RequestedLevel(tree.Data(name));
      }
    } else if (type.name == kVersionType) {
      std::vector<ResourceTree::Entry> names = tree.Below(type);
      if (!names.empty()) image.versionStrings = VersionBlockStrings(tree.Data(names[0]));
    }
  }
}

}  // namespace

ProgramImage ReadProgramImage(const ProgramRead& read) {
  ProgramImage image;
  Head head{read};
  std::string bytes;
  if (!head.Read(0, kDosHeaderSize, bytes)) return image;
  if (bytes.compare(0, 2, "MZ") != 0) {
    image.format = ProgramFormat::NotProgram;
    return image;
  }
  image.format = ProgramFormat::Dos;
  if (bytes.size() < kDosHeaderSize) return image;
  uint64_t newHeader = LittleEndian(bytes, kNewHeaderPointer, 4);
  if (!head.Read(newHeader, 4, bytes) || bytes.size() < 2) return image;
  std::string signature = bytes.substr(0, 2);
  if (signature == "NE") {
    image.format = ProgramFormat::Segmented;
  } else if (signature == "LE" || signature == "LX") {
    image.format = ProgramFormat::Linear;
  } else if (bytes == std::string("PE\0\0", 4)) {
    image.format = ProgramFormat::Portable;
    ReadPortable(head, newHeader + 4, image);
  }
  return image;
}

ProgramImage ReadProgramImage(const std::string& file) {
  return ReadProgramImage([&file](uint32_t offset, uint32_t size, std::string& bytes) {
    if (offset < file.size()) bytes = file.substr(offset, size);
    return true;
  });
}
