// The test programs' bytes, laid out as a linker and a resource compiler lay them out: the resource
// tree's three levels (type, id, language) with their directories first, then the data entries,
// then the data.
#include "tests/support/program_images.h"

#include <algorithm>
#include <map>

namespace {

constexpr uint32_t kSectionAddress = 0x1000;
constexpr size_t kDirectorySize = 16, kEntrySize = 8, kDataEntrySize = 16;
constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr uint32_t kEnglish = 0x409;

void Put(std::string& bytes, size_t at, uint32_t value, size_t size) {
  if (bytes.size() < at + size) bytes.resize(at + size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void Align(std::string& bytes) { bytes.resize((bytes.size() + 3) & ~size_t(3), '\0'); }

// A resource directory of `count` id entries at `at`, its entries to be filled in.
void PutDirectory(std::string& tree, size_t at, size_t count) {
  if (tree.size() < at + kDirectorySize) tree.resize(at + kDirectorySize, '\0');
  Put(tree, at + 14, static_cast<uint32_t>(count), 2);
}

void PutEntry(std::string& tree, size_t directory, size_t index, uint32_t id, uint32_t leads) {
  size_t at = directory + kDirectorySize + index * kEntrySize;
  Put(tree, at, id, 4);
  Put(tree, at + 4, leads, 4);
}

// The resource section's bytes, whose root lies at address kSectionAddress.
std::string ResourceTree(const std::vector<TestResource>& resources) {
  std::map<uint32_t, std::map<uint32_t, const std::string*>> byType;
  for (const TestResource& resource : resources) byType[resource.type][resource.id] = &resource.data;
  std::string tree;
  size_t next = kDirectorySize + byType.size() * kEntrySize;
  PutDirectory(tree, 0, byType.size());
  // Where each level's directories go: all type directories, then all language directories.
  std::vector<std::pair<size_t, const std::string*>> leaves;  // language directory, data
  size_t typeIndex = 0;
  std::vector<std::pair<size_t, const std::map<uint32_t, const std::string*>*>> typeDirectories;
  for (const auto& [type, names] : byType) {
    PutEntry(tree, 0, typeIndex++, type, kSubdirectory | static_cast<uint32_t>(next));
    typeDirectories.emplace_back(next, &names);
    next += kDirectorySize + names.size() * kEntrySize;
  }
  for (const auto& [directory, names] : typeDirectories) {
    PutDirectory(tree, directory, names->size());
    size_t nameIndex = 0;
    for (const auto& [id, data] : *names) {
      PutEntry(tree, directory, nameIndex++, id, kSubdirectory | static_cast<uint32_t>(next));
      leaves.emplace_back(next, data);
      next += kDirectorySize + kEntrySize;
    }
  }
  size_t dataEntries = next;
  size_t blob = dataEntries + leaves.size() * kDataEntrySize;
  for (size_t i = 0; i < leaves.size(); ++i) {
    auto [directory, data] = leaves[i];
    size_t entry = dataEntries + i * kDataEntrySize;
    PutDirectory(tree, directory, 1);
    PutEntry(tree, directory, 0, kEnglish, static_cast<uint32_t>(entry));
    Put(tree, entry, kSectionAddress + static_cast<uint32_t>(blob), 4);
    Put(tree, entry + 4, static_cast<uint32_t>(data->size()), 4);
    tree.resize(blob, '\0');
    tree += *data;
    Align(tree);
    blob = tree.size();
  }
  tree.resize(std::max(tree.size(), next), '\0');
  return tree;
}

}  // namespace

std::string ProgramFile(const TestProgram& program) {
  std::string file = "MZ";
  Put(file, 0x3C, kTestNewHeader, 4);
  file.resize(kTestNewHeader, '\0');
  file += std::string("PE\0\0", 4);
  size_t header = file.size();
  uint32_t optionalSize = program.pe32Plus ? 240 : 224;
  Put(file, header, program.machine, 2);
  Put(file, header + 2, 1, 2);  // one section
  Put(file, header + 16, optionalSize, 2);
  Put(file, header + 18, 0x0102, 2);  // an executable for 32-bit words
  size_t optional = header + 20;
  Put(file, optional, program.pe32Plus ? 0x20B : 0x10B, 2);
  Put(file, optional + 68, program.subsystem, 2);
  size_t directories = optional + (program.pe32Plus ? 112 : 96);
  Put(file, directories - 4, 16, 4);  // NumberOfRvaAndSizes
  std::string tree = ResourceTree(program.resources);
  if (!program.resources.empty()) {
    Put(file, directories + 2 * 8, kSectionAddress, 4);
    Put(file, directories + 2 * 8 + 4, static_cast<uint32_t>(tree.size()), 4);
  }
  size_t section = optional + optionalSize;
  file.resize(section, '\0');
  file += std::string(".rsrc\0\0\0", 8);
  Put(file, section + 8, static_cast<uint32_t>(tree.size()), 4);   // VirtualSize
  Put(file, section + 12, kSectionAddress, 4);                      // VirtualAddress
  Put(file, section + 16, static_cast<uint32_t>(tree.size()), 4);  // SizeOfRawData
  Put(file, section + 20, kTestResourceSection, 4);                 // PointerToRawData
  Put(file, section + 36, 0x40000040u, 4);                          // initialised data, readable
  file.resize(kTestResourceSection, '\0');
  return file + tree;
}

std::string ManifestAsking(const std::string& level) {
  std::string privileges =
      level.empty() ? "" : "<requestedPrivileges><requestedExecutionLevel level=\"" + level + "\" uiAccess=\"false\"/>"
                           "</requestedPrivileges>";
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
         "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\"><security>" + privileges + "</security></trustInfo>\r\n"
         "</assembly>\r\n";
}

std::string VersionNode(const std::string& key, const std::string& text, const std::vector<std::string>& children) {
  auto pad = [](std::string& bytes) { bytes.resize((bytes.size() + 3) & ~size_t(3), '\0'); };
  std::string node(6, '\0');
  for (char c : key) node += std::string(1, c) + '\0';
  node += std::string(2, '\0');
  pad(node);
  for (char c : text) node += std::string(1, c) + '\0';
  if (!text.empty()) node += std::string(2, '\0');
  size_t units = text.empty() ? 0 : text.size() + 1;
  for (const std::string& child : children) {
    pad(node);
    node += child;
  }
  Put(node, 0, static_cast<uint32_t>(node.size()), 2);
  Put(node, 2, static_cast<uint32_t>(units), 2);
  node[4] = 1;  // a text value
  return node;
}

std::string VersionBlock(const std::vector<std::pair<std::string, std::string>>& strings) {
  std::vector<std::string> entries;
  for (const auto& [key, text] : strings) entries.push_back(VersionNode(key, text));
  return VersionNode("VS_VERSION_INFO", "",
                     {VersionNode("StringFileInfo", "", {VersionNode("040904B0", "", entries)}), VersionNode("VarFileInfo", "")});
}
