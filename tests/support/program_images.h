// Program files made from bytes for the tests: a PE head with one section that holds a resource
// tree, and the manifests and version blocks such a tree carries.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TestResource {
  uint32_t type;  // RT_VERSION 16, RT_MANIFEST 24
  uint32_t id;
  std::string data;
};

struct TestProgram {
  uint16_t machine = 0x014C;  // i386
  bool pe32Plus = false;      // the 64-bit form of the optional header
  uint16_t subsystem = 2;     // a GUI program
  std::vector<TestResource> resources;
};

// Where the parts of ProgramFile's bytes lie.
constexpr size_t kTestNewHeader = 0x40;          // "PE\0\0", then the file header
constexpr size_t kTestSectionTable = 0x40 + 24;  // plus the optional header's size
constexpr size_t kTestResourceSection = 0x200;   // the resource tree's root in the file

// The file's bytes: an MZ header pointing to the PE header, the PE32 (or PE32+) headers with the
// resource directory, and one section at address 0x1000 holding the resources.
std::string ProgramFile(const TestProgram& program);

// A manifest as a resource compiler embeds it, whose requestedExecutionLevel asks for `level`; with
// an empty `level`, one with no such element.
std::string ManifestAsking(const std::string& level);

// A version block node as the resource compiler lays it out: its length, its value's length (in
// UTF-16 units for a text) and type, its UTF-16 key, then its value and its children, each on a
// 4-byte boundary from the node's start.
std::string VersionNode(const std::string& key, const std::string& text, const std::vector<std::string>& children = {});

// A whole version block whose one string table holds `strings`, as (key, text).
std::string VersionBlock(const std::vector<std::pair<std::string, std::string>>& strings);
