// Reading version blocks: a tree of nodes, each a length, the length and type of its value, a
// UTF-16 key, then its value and its children, each part starting on a 4-byte boundary. Every
// read stays inside the block and inside the node that holds it.
#include "tools/model/version_block.h"

#include <algorithm>

namespace {

// The fixed file information starts with its signature, 0xFEEF04BD, in little-endian order; the
// structure's version and the file version's two halves follow.
constexpr char kFixedSignature[] = {'\xBD', '\x04', '\xEF', '\xFE'};
constexpr size_t kFileVersionOffset = 8;
constexpr size_t kNodeHeader = 6;  // wLength, wValueLength, wType
constexpr uint16_t kTextValue = 1;

size_t Aligned(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

// The UTF-16 units from `at` up to a NUL or `end`, as 8-bit text (units from 256 on as '?'), with
// `at` left on the NUL; false when `end` comes first.
bool ReadUtf16(const std::string& block, size_t& at, size_t end, std::string& text) {
  for (text.clear(); at + 2 <= end; at += 2) {
    uint32_t unit = LittleEndian(block, at, 2);
    if (unit == 0) return true;
    text += static_cast<char>(unit < 256 ? unit : '?');
  }
  return false;
}

struct Node {
  std::string key;      // its UTF-16 key, as 8-bit text
  size_t value = 0;     // where its value starts
  size_t valueEnd = 0;  // and ends, within the node
  size_t children = 0;  // where its children start
  size_t end = 0;       // where it ends
};

// The node at `at`, which must lie within `limit`; false when it does not.
bool ReadNode(const std::string& block, size_t at, size_t limit, Node& node) {
  if (at + kNodeHeader > limit) return false;
  size_t length = LittleEndian(block, at, 2), valueLength = LittleEndian(block, at + 2, 2);
  bool text = LittleEndian(block, at + 4, 2) == kTextValue;
  if (length < kNodeHeader || at + length > limit) return false;
  node.end = at + length;
  size_t cursor = at + kNodeHeader;
  if (!ReadUtf16(block, cursor, node.end, node.key)) return false;
  size_t valueBytes = text ? valueLength * 2 : valueLength;
  node.value = std::min(Aligned(cursor + 2), node.end);
  node.valueEnd = std::min(node.value + valueBytes, node.end);
  node.children = Aligned(node.valueEnd);
  return true;
}

// The children of `parent`, handed to `found` in order.
template <typename Found>
void EachChild(const std::string& block, const Node& parent, Found&& found) {
  Node child;
  for (size_t at = parent.children; at < parent.end && ReadNode(block, at, parent.end, child); at = Aligned(child.end)) {
    found(child);
  }
}

}  // namespace

uint32_t LittleEndian(const std::string& bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

std::vector<std::pair<std::string, std::string>> VersionBlockStrings(const std::string& block) {
  std::vector<std::pair<std::string, std::string>> strings;
  Node root;
  if (!ReadNode(block, 0, block.size(), root)) return strings;
  EachChild(block, root, [&](const Node& info) {
    if (info.key != "StringFileInfo") return;
    EachChild(block, info, [&](const Node& table) {
      EachChild(block, table, [&](const Node& entry) {
        std::string text;
        size_t at = entry.value;
        ReadUtf16(block, at, entry.valueEnd, text);
        strings.emplace_back(entry.key, text);
      });
    });
  });
  return strings;
}

std::string VersionBlockString(const std::string& block, const std::string& key) {
  for (const auto& [name, text] : VersionBlockStrings(block)) {
    if (name == key) return text;
  }
  return "";
}

std::string VersionBlockVersion(const std::string& block) {
  size_t fixed = block.find(std::string(kFixedSignature, sizeof(kFixedSignature)));
  if (fixed == std::string::npos || fixed + kFileVersionOffset + 8 > block.size()) return "";
  uint32_t high = LittleEndian(block, fixed + kFileVersionOffset, 4);
  uint32_t low = LittleEndian(block, fixed + kFileVersionOffset + 4, 4);
  return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16);
}
