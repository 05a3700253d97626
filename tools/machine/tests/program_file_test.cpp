// A program file's head read through the platform's file calls: the file is opened for reading
// only and always closed, and one that cannot be opened or read is Unread rather than a guess.
#include "tools/machine/program_file.h"

#include "platform/sim/sim_platform.h"
#include "tests/support/program_images.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(ProgramFile, IsReadWhereItsHeadersPointOrToldUnread) {
  std::string folder = MakeTestFolder("kavelo2-program");
  TestProgram program;
  program.resources.push_back({24, 1, ManifestAsking("requireAdministrator")});
  ASSERT_TRUE(WriteWholeFile(folder + "/GAME.EXE", ProgramFile(program)));
  std::string windowsFolder = "Z:" + folder;
  std::replace(windowsFolder.begin(), windowsFolder.end(), '/', '\\');
  struct Case {
    const char* name;
    std::string path;
    const char* failing;  // a file call that fails every time, or null
    ProgramFormat format;
    ExecutionLevel level;
  };
  const Case cases[] = {
      {"a program", windowsFolder + "\\GAME.EXE", nullptr, ProgramFormat::Portable, ExecutionLevel::RequireAdministrator},
      {"a file that is not there", windowsFolder + "\\OTHER.EXE", nullptr, ProgramFormat::Unread, ExecutionLevel::None},
      {"a folder", windowsFolder, nullptr, ProgramFormat::Unread, ExecutionLevel::None},
      {"a drive this machine lacks", "C:\\Show\\GAME.EXE", nullptr, ProgramFormat::Unread, ExecutionLevel::None},
      {"a refused read", windowsFolder + "\\GAME.EXE", "ReadFile", ProgramFormat::Unread, ExecutionLevel::None},
      {"a refused move", windowsFolder + "\\GAME.EXE", "SetFilePointer", ProgramFormat::Unread, ExecutionLevel::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetSim();
    if (c.failing != nullptr) Sim().fileFailures.push_back({c.failing, 0, static_cast<DWORD>(ERROR_ACCESS_DENIED)});
    ProgramImage image = ReadProgramFile(c.path);
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(image.level, c.level);
    // Every file opened is closed: the program, also when it cannot be read.
    size_t closed = static_cast<size_t>(std::count(Sim().calls.begin(), Sim().calls.end(), "CloseHandle"));
    EXPECT_EQ(closed, c.format == ProgramFormat::Portable || c.failing != nullptr ? 1u : 0u);
  }
  ASSERT_TRUE(RemoveTestFolder(folder));
}

}  // namespace
