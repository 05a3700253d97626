// Paths of a run, derived from the launcher's own module path.
#include "launcher/launch_context.h"
#include "tests/unit/launcher_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct PathCase {
  const char* modulePath;
  const char* programDirectory;
  const char* programBaseName;
};

class PathDerivation : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathDerivation, DirectoryBaseNameAndTheFilesBesideIt) {
  const PathCase& c = GetParam();
  PathText directory, baseName, config, application;
  ASSERT_TRUE(DeriveProgramPaths(c.modulePath, directory, baseName, config, application));
  EXPECT_STREQ(directory, c.programDirectory);
  EXPECT_STREQ(baseName, c.programBaseName);
  EXPECT_EQ(std::string(config), std::string(c.programDirectory) + "Kavelo2.ini");
  EXPECT_EQ(std::string(application), std::string(c.programDirectory) + "PROJECTOR.EXE");
}

INSTANTIATE_TEST_SUITE_P(
    ModulePaths, PathDerivation,
    ::testing::Values(PathCase{"C:\\Show\\Kavelo2.exe", "C:\\Show\\", "Kavelo2"},
                      PathCase{"C:\\Show\\start.old.exe", "C:\\Show\\", "start"},
                      PathCase{"D:\\My.Show\\run", "D:\\My.Show\\", "run"},
                      PathCase{"C:\\Show\\.exe", "C:\\Show\\", ""},
                      // No backslash at all: the whole path is the directory.
                      PathCase{"Kavelo2.exe", "Kavelo2.exe", ""},
                      // Position 0 is never examined.
                      PathCase{"\\run.exe", "\\run.exe", ""},
                      PathCase{"C", "C", ""}));

TEST(PathDerivationLimits, ADirectoryWithoutRoomForTheFilesBesideItDerivesNothing) {
  // 1012 characters of directory leave room for "Kavelo2.ini" but not for "PROJECTOR.EXE".
  std::string directory = "C:\\" + std::string(1008, 'd') + "\\";
  ASSERT_EQ(directory.size(), 1012u);
  PathText programDirectory = "untouched", baseName = "", config = "", application = "";
  EXPECT_FALSE(DeriveProgramPaths((directory + "K.exe").c_str(), programDirectory, baseName,
                                  config, application));
  EXPECT_STREQ(programDirectory, "untouched");

  std::string fits = "C:\\" + std::string(1006, 'd') + "\\";  // 1010 + 13 = 1023 characters
  ASSERT_TRUE(DeriveProgramPaths((fits + "K.exe").c_str(), programDirectory, baseName, config,
                                 application));
  EXPECT_EQ(std::string(application).size(), 1023u);
}

TEST(ApplicationPathResolution, DriveValuesStandAloneAndOthersFollowTheDirectory) {
  PathText application = "";
  EXPECT_TRUE(ResolveApplicationPath("C:\\Show\\", "D:\\Apps\\show.exe", application));
  EXPECT_STREQ(application, "D:\\Apps\\show.exe");
  EXPECT_TRUE(ResolveApplicationPath("C:\\Show\\", "\\Apps\\show.exe", application));
  EXPECT_STREQ(application, "C:\\Show\\\\Apps\\show.exe");
  EXPECT_TRUE(ResolveApplicationPath("C:\\Show\\", "", application));
  EXPECT_STREQ(application, "C:\\Show\\");
  // A one-character value has no second character to look at.
  EXPECT_TRUE(ResolveApplicationPath("C:\\Show\\", "x", application));
  EXPECT_STREQ(application, "C:\\Show\\x");

  std::string longDirectory = "C:\\" + std::string(1000, 'd') + "\\";
  EXPECT_FALSE(ResolveApplicationPath(longDirectory.c_str(), std::string(30, 'a').c_str(),
                                      application));
  EXPECT_STREQ(application, "C:\\Show\\x");
}

// The PATH value the tools write for an application, read back by the launcher's own rule, names
// that application: relative inside the folder where that reads back the same, whole otherwise.
TEST(ApplicationPathResolution, TheValueWrittenForAPathReadsBackAsThatPath) {
  struct Case {
    const char* folder;
    const char* path;
    const char* value;
  };
  const Case cases[] = {
      {"C:\\Games\\Old\\", "C:\\Games\\Old\\run.exe", "run.exe"},
      {"C:\\Games\\Old\\", "c:/GAMES/old/sub/run.exe", "sub\\run.exe"},
      {"C:\\Games\\Old\\", "C:\\Games\\Older\\run.exe", "C:\\Games\\Older\\run.exe"},
      {"C:\\Games\\Old\\", "C:\\Games\\Old\\", "C:\\Games\\Old\\"},
      {"", "C:\\run.exe", "C:\\run.exe"},
      // A rest the launcher would read as another drive, or that looks like the drive's root,
      // stays whole.
      {"Z:\\", "Z:\\T:480", "Z:\\T:480"},
      {"C:\\Games\\Old\\", "C:\\Games\\Old\\D:run.exe", "C:\\Games\\Old\\D:run.exe"},
      {"C:\\Games\\Old\\", "c:/games/old//run.exe", "c:\\games\\old\\\\run.exe"},
  };
  for (const Case& c : cases) {
    std::string value = PathValueFor(c.folder, c.path);
    EXPECT_EQ(value, c.value) << c.folder << " " << c.path;
    PathText read = "";
    ASSERT_TRUE(ResolveApplicationPath(c.folder, value.c_str(), read));
    std::string path = c.path;
    std::replace(path.begin(), path.end(), '/', '\\');
    EXPECT_TRUE(std::equal(path.begin(), path.end(), read, read + std::strlen(read),
                           [](char a, char b) { return UpperAscii(a) == UpperAscii(b); }))
        << value << " reads back as " << read;
  }
}

// The run sequence on module paths at and past the limit of the path field.
class ModulePathLimit : public LauncherTest {};

TEST_F(ModulePathLimit, OnlyPathsThatFitRunAndTheOthersEndSilently) {
  struct Case {
    std::string modulePath;
    bool runs;
  };
  std::string shortDirectory = "C:\\";
  const Case cases[] = {
      {shortDirectory + std::string(1022 - 3, 'k'), true},   // 1022 characters
      {shortDirectory + std::string(1023 - 3, 'k'), false},  // 1023: did not fit
      {"C:\\" + std::string(1010, 'd') + "\\K.exe", false},  // fits, but its directory does not
  };
  // Windows XP leaves a path that does not fit unterminated; later versions cut it to a terminator.
  for (DWORD major : {5u, 6u}) {
    for (const Case& c : cases) {
      ResetSim();
      Sim().windowsMajor = major;
      Sim().modulePath = c.modulePath;
      EXPECT_EQ(RunLauncher(nullptr, SW_SHOWNORMAL), 0);
      // A run goes on to the mutex and then looks for its configuration (there is none here).
      EXPECT_EQ(Sim().mutexCalls.size(), c.runs ? 1u : 0u) << c.modulePath.size() << " on " << major;
      EXPECT_EQ(Sim().messageBoxes.size(), c.runs ? 1u : 0u);
    }
  }
}

TEST_F(ModulePathLimit, AnUnavailableModulePathEndsSilently) {
  Sim().moduleFails = true;
  EXPECT_EQ(RunLauncher(nullptr, SW_SHOWNORMAL), 0);
  EXPECT_EQ(Sim().calls, std::vector<std::string>{"GetModuleFileNameA"});
}

}  // namespace
