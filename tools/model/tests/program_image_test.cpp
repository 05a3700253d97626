// A program file's head as data (each kind of program, manifests, version strings, and files cut
// short or built to mislead), and Windows' rule for the programs it starts only with administrator
// rights: the versions, levels, names and machines it applies to.
#include "tools/model/elevation.h"
#include "tools/model/program_image.h"
#include "tests/support/program_images.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint32_t kManifest = 24, kVersion = 16;

std::string WithWord(std::string bytes, size_t at, uint32_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// An MZ header whose new-header pointer leads to `signature` at 0x80.
std::string DosStub(const std::string& signature) {
  std::string bytes = WithWord("MZ" + std::string(0x7E, '\0'), 0x3C, 0x80, 4);
  return bytes + signature + std::string(64, '\0');
}

TestProgram ProgramWithManifest(const std::string& manifest, uint32_t id = 1) {
  TestProgram program;
  program.resources.push_back({kManifest, id, manifest});
  return program;
}

TEST(ProgramImage, EachKindOfHeadIsToldApart) {
  TestProgram console64;
  console64.machine = kMachineAmd64;
  console64.pe32Plus = true;
  console64.subsystem = 3;
  struct Case {
    const char* name;
    std::string bytes;
    ProgramFormat format;
    uint16_t machine = 0, subsystem = 0;
  };
  const Case cases[] = {
      {"empty", "", ProgramFormat::NotProgram},
      {"text", "WIDTH:800\r\n", ProgramFormat::NotProgram},
      {"MZ alone", "MZ", ProgramFormat::Dos},
      {"MZ pointing past the file's end", WithWord("MZ" + std::string(62, '\0'), 0x3C, 0x10000, 4), ProgramFormat::Dos},
      {"MZ pointing at other bytes", DosStub("XY"), ProgramFormat::Dos},
      {"NE", DosStub("NE"), ProgramFormat::Segmented},
      {"LE", DosStub("LE"), ProgramFormat::Linear},
      {"LX", DosStub("LX"), ProgramFormat::Linear},
      {"PE without its two NULs", DosStub("PE\1\0"), ProgramFormat::Dos},
      {"PE32 i386 GUI", ProgramFile(TestProgram()), ProgramFormat::Portable, kMachineI386, 2},
      {"PE32+ AMD64 console", ProgramFile(console64), ProgramFormat::Portable, kMachineAmd64, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramImage image = ReadProgramImage(c.bytes);
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(image.machine, c.machine);
    EXPECT_EQ(image.subsystem, c.subsystem);
    EXPECT_EQ(image.headersWhole, c.format == ProgramFormat::Portable);
    EXPECT_EQ(image.manifestIds, 0u);
  }
  ProgramImage unread = ReadProgramImage([](uint32_t, uint32_t, std::string&) { return false; });
  EXPECT_EQ(unread.format, ProgramFormat::Unread);
}

TEST(ProgramImage, TheManifestStartedWithNamesItsRequestedLevel) {
  const std::string admin = ManifestAsking("requireAdministrator");
  auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
  };
  auto utf16 = [](const std::string& text) {
    std::string wide = "\xFF\xFE";
    for (char c : text) wide += std::string(1, c) + '\0';
    return wide;
  };
  struct Case {
    const char* name;
    TestProgram program;
    ExecutionLevel level;
    unsigned ids;
  };
  const Case cases[] = {
      {"asInvoker", ProgramWithManifest(ManifestAsking("asInvoker")), ExecutionLevel::AsInvoker, 1},
      {"highestAvailable", ProgramWithManifest(ManifestAsking("highestAvailable")), ExecutionLevel::HighestAvailable, 1},
      {"requireAdministrator", ProgramWithManifest(admin), ExecutionLevel::RequireAdministrator, 1},
      {"no requested level", ProgramWithManifest(ManifestAsking("")), ExecutionLevel::None, 1},
      {"a level of no known name", ProgramWithManifest(ManifestAsking("RequireAdministrator")), ExecutionLevel::Unknown, 1},
      {"an element without a level", ProgramWithManifest(replaced(admin, "level=", "levels=")), ExecutionLevel::Unknown, 1},
      // Manifest templates carry the element commented out.
      {"commented out", ProgramWithManifest(replaced(admin, "<requestedPrivileges>", "<!-- <requestedPrivileges>") + "-->"),
       ExecutionLevel::None, 1},
      {"prefixed, in single quotes",
       ProgramWithManifest(replaced(admin, "<requestedExecutionLevel level=\"requireAdministrator\"",
                                    "<v3:requestedExecutionLevel uiAccess='false'  level = 'requireAdministrator'")),
       ExecutionLevel::RequireAdministrator, 1},
      {"UTF-8 with its mark", ProgramWithManifest("\xEF\xBB\xBF" + admin), ExecutionLevel::RequireAdministrator, 1},
      {"UTF-16", ProgramWithManifest(utf16(admin)), ExecutionLevel::RequireAdministrator, 1},
      // A program starts with manifest 1 only; 2 and 3 are a library's.
      {"only manifest 2", ProgramWithManifest(admin, 2), ExecutionLevel::None, 2},
      {"manifest 7 is none of them", ProgramWithManifest(admin, 7), ExecutionLevel::None, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramImage image = ReadProgramImage(ProgramFile(c.program));
    EXPECT_EQ(image.format, ProgramFormat::Portable);
    EXPECT_EQ(image.level, c.level);
    EXPECT_EQ(image.manifestIds, c.ids);
  }
  TestProgram both = ProgramWithManifest(admin);
  both.resources.push_back({kManifest, 3, ManifestAsking("asInvoker")});
  both.resources.push_back({kVersion, 1, VersionBlock({{"FileDescription", "Harbour show"}, {"ProductName", "Show"}})});
  ProgramImage image = ReadProgramImage(ProgramFile(both));
  EXPECT_EQ(image.manifestIds, 5u);
  EXPECT_EQ(image.level, ExecutionLevel::RequireAdministrator);
  using Strings = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(image.versionStrings, (Strings{{"FileDescription", "Harbour show"}, {"ProductName", "Show"}}));
}

// The reader goes where the headers point: a resource section far into a large file is read without
// the bytes before it, and whatever a file holds, no read goes beyond the budget.
TEST(ProgramImage, ReadsOnlyWhereTheHeadersPointAndWithinItsBudget) {
  TestProgram program = ProgramWithManifest(ManifestAsking("requireAdministrator"));
  program.resources.push_back({kVersion, 1, VersionBlock({{"FileDescription", "Show"}})});
  const std::string file = ProgramFile(program);
  constexpr size_t kFar = 64 * 1024 * 1024;
  size_t pointerToRawData = kTestSectionTable + 224 + 20;
  const std::string far = WithWord(file, pointerToRawData, kFar, 4);
  uint64_t requested = 0;
  ProgramImage image = ReadProgramImage([&](uint32_t offset, uint32_t size, std::string& bytes) {
    requested += size;
    // The file as if 64 MiB of nothing stood between its headers and its resources.
    if (offset < kTestResourceSection) bytes = far.substr(offset, size);
    if (offset >= kFar && offset - kFar < file.size() - kTestResourceSection) {
      bytes = file.substr(offset - kFar + kTestResourceSection, size);
    }
    return true;
  });
  EXPECT_EQ(image.level, ExecutionLevel::RequireAdministrator);
  EXPECT_EQ(image.versionStrings.size(), 1u);
  EXPECT_LT(requested, 160u * 1024);

  // A read answered with more than it asked for is taken no further.
  uint64_t total = 0;
  auto overAnswered = [&total](const std::string& bytes) {
    total = 0;
    return ReadProgramImage([&](uint32_t offset, uint32_t size, std::string& read) {
      total += size;
      if (offset < bytes.size()) read = bytes.substr(offset) + std::string(size, 'Z');
      return true;
    });
  };
  EXPECT_EQ(overAnswered(file).level, ExecutionLevel::RequireAdministrator);
  // Every byte of the headers and the tree set to each of two misleading values in turn, and the
  // file cut at every length: the reader asks for no more than its budget.
  for (size_t at = 0; at < file.size(); ++at) {
    for (char value : {'\xFF', '\x7F'}) {
      std::string hostile = file;
      hostile[at] = value;
      overAnswered(hostile);
      ASSERT_LE(total, kProgramHeadBudget) << at;
    }
    EXPECT_EQ(ReadProgramImage(file.substr(0, at)).headersWhole, at >= kTestSectionTable + 224) << at;
  }
}

TEST(Elevation, WindowsAsksForAdministratorRightsByManifestOrForAnInstaller) {
  using R = ElevationReason;
  const WindowsVersion xp{5, 1, 2600}, unknown{}, vista{6, 0, 6002}, seven{6, 1, 7601}, ten{10, 0, 19045};
  struct Case {
    const char* name;
    WindowsVersion windows;
    ExecutionLevel level;
    uint16_t machine;
    std::string fileName;
    std::vector<std::pair<std::string, std::string>> strings;
    ElevationReason reason;
    std::string word = "";
  };
  const ExecutionLevel none = ExecutionLevel::None, admin = ExecutionLevel::RequireAdministrator;
  const std::vector<Case> cases = {
      {"no UAC on Windows XP", xp, admin, kMachineI386, "SETUP.EXE", {}, R::None},
      {"an unknown version counts as an earlier one", unknown, admin, kMachineI386, "SETUP.EXE", {}, R::None},
      {"requireAdministrator from Vista on", vista, admin, kMachineI386, "game.exe", {}, R::RequiresAdministrator},
      {"requireAdministrator, 64-bit", ten, admin, kMachineAmd64, "game.exe", {}, R::RequiresAdministrator},
      {"highestAvailable", ten, ExecutionLevel::HighestAvailable, kMachineI386, "setup.exe", {}, R::HighestAvailable},
      {"asInvoker stops installer detection", seven, ExecutionLevel::AsInvoker, kMachineI386, "setup.exe", {}, R::None},
      {"so does a level of no known name", seven, ExecutionLevel::Unknown, kMachineI386, "setup.exe", {}, R::None},
      {"an installer's name", seven, none, kMachineI386, "SETUP.EXE", {}, R::InstallerName, "setup"},
      {"anywhere in the name", ten, none, kMachineI386, "GameUpdater.exe", {}, R::InstallerName, "update"},
      {"uninstall holds install", seven, none, kMachineI386, "Uninstall.exe", {}, R::InstallerName, "install"},
      {"patch", vista, none, kMachineI386, "PATCH12.EXE", {}, R::InstallerName, "patch"},
      {"no installer's word", seven, none, kMachineI386, "inst.exe", {}, R::None},
      {"detection is for 32-bit programs", ten, none, kMachineAmd64, "setup.exe", {}, R::None},
      {"a version string", seven, none, kMachineI386, "game.exe", {{"FileDescription", "Game Setup"}},
       R::InstallerVersionString, "setup"},
      {"the original file name", seven, none, kMachineI386, "game.exe", {{"OriginalFilename", "INSTALL.EXE"}},
       R::InstallerVersionString, "install"},
      {"strings detection does not read", seven, none, kMachineI386, "game.exe",
       {{"Comments", "run setup first"}, {"LegalCopyright", "Update Ltd"}}, R::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramImage image;
    image.format = ProgramFormat::Portable;
    image.level = c.level;
    image.machine = c.machine;
    image.versionStrings = c.strings;
    ElevationNeed need = ElevationNeeded(image, c.fileName, c.windows);
    EXPECT_EQ(need.reason, c.reason);
    EXPECT_EQ(need.word, c.word);
    if (c.reason == R::InstallerVersionString) {
      EXPECT_EQ(need.key, c.strings[0].first);
      EXPECT_EQ(need.text, c.strings[0].second);
    }
  }
  // Only a Windows program of today is judged: an old one named like an installer is not.
  for (ProgramFormat format : {ProgramFormat::Unread, ProgramFormat::NotProgram, ProgramFormat::Dos, ProgramFormat::Segmented}) {
    ProgramImage image;
    image.format = format;
    image.machine = kMachineI386;
    EXPECT_EQ(ElevationNeeded(image, "SETUP.EXE", seven).reason, R::None);
  }
}

}  // namespace
