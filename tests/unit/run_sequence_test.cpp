// The run from start to end: construction, the single-instance guard, the order of the steps,
// the messages, the application's start and the wait.
#include "launcher/app_launch.h"
#include "tests/unit/launcher_fixture.h"

#include <cstring>
#include <string>

namespace {

class RunSequence : public LauncherTest {};

TEST_F(RunSequence, ConstructionStartsFromZeroAndTheCurrentMode) {
  LaunchContext context(Sim().modulePath.c_str());
  EXPECT_EQ(context.processInfo.hProcess, nullptr);
  EXPECT_EQ(context.processInfo.dwProcessId, 0u);
  EXPECT_EQ(context.startupInfo.cb, sizeof(STARTUPINFOA));
  EXPECT_EQ(context.startupInfo.dwFlags, 0u);
  EXPECT_FALSE(context.modeChanged || context.strictMode || context.backdropEnabled);
  EXPECT_EQ(context.currentMode.dmPelsWidth, 1024u);
  EXPECT_EQ(context.backdropWindow, nullptr);
  EXPECT_TRUE(context.modeCatalogue.empty() && context.criteria.empty());
  ASSERT_EQ(Sim().enumCalls.size(), 1u);
  EXPECT_TRUE(Sim().enumCalls[0].deviceNameNull);
  EXPECT_EQ(Sim().enumCalls[0].modeNumber, ENUM_CURRENT_SETTINGS);
  EXPECT_TRUE(Sim().enumCalls[0].recordZeroFilled);

  Sim().currentModeResult = FALSE;
  LaunchContext unknownMode(Sim().modulePath.c_str());
  DEVMODEA zero;
  std::memset(&zero, 0, sizeof(zero));
  EXPECT_EQ(std::memcmp(&unknownMode.currentMode, &zero, sizeof(zero)), 0);
}

TEST_F(RunSequence, TheMutexIsTakenOnceAndKept) {
  WriteConfig("WIDTH:640\n");
  AddModes({MakeMode(640, 480, 32, 60)});
  RunLauncher(nullptr, SW_SHOWNORMAL);
  ASSERT_EQ(Sim().mutexCalls.size(), 1u);
  const SimMutexCall& mutex = Sim().mutexCalls[0];
  EXPECT_TRUE(mutex.attributesGiven);
  EXPECT_EQ(mutex.attributes.nLength, sizeof(SECURITY_ATTRIBUTES));
  EXPECT_EQ(mutex.attributes.lpSecurityDescriptor, nullptr);
  EXPECT_EQ(mutex.attributes.bInheritHandle, FALSE);
  EXPECT_EQ(mutex.initialOwner, TRUE);
  EXPECT_EQ(mutex.name, "KAVELO2");
  // The mutex is neither released nor closed; only the application's process handle is.
  EXPECT_EQ(Sim().closedHandles, std::vector<HANDLE>{SimProcessHandle()});
}

struct RunCase {
  const char* name;
  const char* config;  // null: no configuration file
  bool startFails;
  const char* boxText;  // null: no box; "launch" stands for the launch failure text
  const char* boxCaption;
  size_t starts;
  bool waited;
  size_t modeChanges;  // the switch and the restore count one each
};

class RunPaths : public LauncherTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunPaths, EveryPathEndsWithStatusZero) {
  const RunCase& c = GetParam();
  if (c.config) WriteConfig(c.config);
  AddModes({MakeMode(800, 600, 32, 60), MakeMode(640, 480, 32, 60)});
  Sim().processStartFails = c.startFails;

  EXPECT_EQ(RunLauncher(nullptr, SW_SHOWNORMAL), 0);

  if (c.boxText == nullptr) {
    EXPECT_TRUE(Sim().messageBoxes.empty());
  } else {
    ASSERT_EQ(Sim().messageBoxes.size(), 1u);
    std::string text = std::strcmp(c.boxText, "launch") == 0
                           ? LaunchFailureText(ProgramPath("PROJECTOR.EXE").c_str())
                           : c.boxText;
    EXPECT_EQ(Sim().messageBoxes[0].text, text);
    EXPECT_EQ(Sim().messageBoxes[0].caption, c.boxCaption);
    EXPECT_EQ(Sim().messageBoxes[0].owner, nullptr);
    EXPECT_EQ(Sim().messageBoxes[0].type, MB_OK);
  }
  EXPECT_EQ(Sim().processStarts.size(), c.starts);
  EXPECT_EQ(Sim().waits.size(), c.waited ? 1u : 0u);
  EXPECT_EQ(Sim().modeChanges.size(), c.modeChanges);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RunPaths,
    ::testing::Values(
        RunCase{"NoConfiguration", nullptr, false, "Kavelo2 failed to find an '.ini' file.",
                "Kavelo2 Error", 0, false, 0},
        RunCase{"OnlyFlagsAndPath", "PATH:x.exe\nSTRICT:1\nBACKDROP:1\n", false, nullptr, "", 0,
                false, 0},
        RunCase{"NoModeLenient", "WIDTH:123\nBACKDROP:1\n", false, nullptr, "", 1, true, 0},
        RunCase{"NoModeStrict", "WIDTH:123\nSTRICT:1\n", false,
                "This application failed to find a suitable screen resolution and/or color "
                "depth.\r",
                "Kavelo2", 0, false, 0},
        RunCase{"ModeFound", "WIDTH:640\nHEIGHT:480\n", false, nullptr, "", 1, true, 2},
        RunCase{"NoModeStartFails", "WIDTH:123\n", true, "launch", "Kavelo2 Error", 1, false, 0},
        RunCase{"SwitchedStartFails", "WIDTH:640\nSTRICT:1\n", true, "launch", "Kavelo2 Error", 1,
                false, 2}),
    [](const ::testing::TestParamInfo<RunCase>& param) { return std::string(param.param.name); });

TEST_F(RunSequence, TheApplicationStartsWithoutArgumentsInTheLaunchersSurroundings) {
  LaunchContext context(ProgramPath("Kavelo2.exe").c_str());
  ASSERT_EQ(context.LaunchApplication(context.applicationPath), 1);
  ASSERT_EQ(Sim().processStarts.size(), 1u);
  const SimProcessStart& start = Sim().processStarts[0];
  EXPECT_EQ(start.applicationName, ProgramPath("PROJECTOR.EXE"));
  EXPECT_TRUE(start.commandLineNull);
  EXPECT_EQ(start.processAttributes, nullptr);
  EXPECT_EQ(start.threadAttributes, nullptr);
  EXPECT_EQ(start.inheritHandles, TRUE);
  EXPECT_EQ(start.creationFlags, NORMAL_PRIORITY_CLASS);
  EXPECT_EQ(start.environment, nullptr);
  EXPECT_TRUE(start.currentDirectoryNull);
  EXPECT_EQ(start.startupInfoPointer, &context.startupInfo);
  EXPECT_EQ(start.startupInfo.cb, sizeof(STARTUPINFOA));
  EXPECT_EQ(start.processInformationPointer, &context.processInfo);
  EXPECT_EQ(context.processInfo.hProcess, SimProcessHandle());
}

TEST_F(RunSequence, TheWaitHasNoTimeLimitAndClosesTheProcessHandle) {
  LaunchContext context(ProgramPath("Kavelo2.exe").c_str());
  context.LaunchApplication(context.applicationPath);
  context.WaitForApplication();
  ASSERT_EQ(Sim().waits.size(), 1u);
  EXPECT_EQ(Sim().waits[0].handle, SimProcessHandle());
  EXPECT_EQ(Sim().waits[0].milliseconds, INFINITE);
  EXPECT_EQ(Sim().closedHandles, std::vector<HANDLE>{SimProcessHandle()});

  // Nothing started: the wait fails at once and the call returns.
  LaunchContext idle(ProgramPath("Kavelo2.exe").c_str());
  idle.WaitForApplication();
  EXPECT_EQ(Sim().closedHandles.back(), nullptr);
}

// The mask of a mode that the strict pass found first in the catalogue, frequency bit included,
// is what the switch gets.
TEST_F(RunSequence, TheSwitchGetsTheFieldMaskOfTheChosenMode) {
  WriteConfig("WIDTH:640\nFREQ:75\n");
  AddModes({MakeMode(640, 480, 32, 75), MakeMode(640, 480, 32, 60)});
  RunLauncher(nullptr, SW_SHOWNORMAL);
  ASSERT_EQ(Sim().modeChanges.size(), 2u);
  EXPECT_EQ(Sim().modeChanges[0].mode.dmFields, 0x00480000u);
  EXPECT_EQ(Sim().modeChanges[0].mode.dmDisplayFrequency, 75u);
}

// Messages arrive in batches while the application runs: each is dispatched, and only the
// process's end ends the wait; the handle is closed after the last wait, once.
TEST_F(RunSequence, TheWaitGoesOnThroughEveryBatchOfMessages) {
  auto arriving = [](UINT message) {
    MSG m{};
    m.message = message;
    return m;
  };
  Sim().arrivingBatches = {{arriving(WM_PAINT)},
                           {arriving(WM_ERASEBKGND), arriving(WM_QUIT)},
                           {arriving(WM_DISPLAYCHANGE)}};
  LaunchContext context(ProgramPath("Kavelo2.exe").c_str());
  ASSERT_EQ(context.LaunchApplication(context.applicationPath), 1);
  context.WaitForApplication();

  EXPECT_EQ(Sim().dispatched, (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND, WM_QUIT, WM_DISPLAYCHANGE}));
  EXPECT_EQ(Sim().waits.size(), 4u);
  std::vector<std::string> waitsAndCloses;
  for (const std::string& call : Sim().calls) {
    if (call == "MsgWaitForMultipleObjects" || call == "CloseHandle") waitsAndCloses.push_back(call);
  }
  EXPECT_EQ(waitsAndCloses,
            (std::vector<std::string>{"MsgWaitForMultipleObjects", "MsgWaitForMultipleObjects",
                                      "MsgWaitForMultipleObjects", "MsgWaitForMultipleObjects",
                                      "CloseHandle"}));
  EXPECT_EQ(Sim().closedHandles, std::vector<HANDLE>{SimProcessHandle()});
}

// The wait on each Windows the launcher names: the messages it dispatches arrive whatever the
// version, since its wake mask holds only flags Windows XP knows (Windows 7 and earlier refuse the
// touch and pointer flags Windows 8 added). A message wait that fails anyway is no end: the
// launcher waits for the process alone.
struct WaitCase {
  const char* name;
  DWORD major, minor;
  bool messageWaitFails;
  std::vector<UINT> dispatched;
};

class WaitOnWindows : public LauncherTest, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(WaitOnWindows, OnlyTheProcessEndEndsTheWait) {
  const WaitCase& c = GetParam();
  Sim().windowsMajor = c.major;
  Sim().windowsMinor = c.minor;
  Sim().messageWaitFails = c.messageWaitFails;
  MSG paint{};
  paint.message = WM_PAINT;
  Sim().arrivingBatches = {{paint}, {paint}};
  LaunchContext context(ProgramPath("Kavelo2.exe").c_str());
  ASSERT_EQ(context.LaunchApplication(context.applicationPath), 1);
  context.WaitForApplication();

  EXPECT_EQ(Sim().dispatched, c.dispatched);
  for (const SimWait& wait : Sim().waits) {
    EXPECT_EQ(wait.handle, SimProcessHandle());
    EXPECT_EQ(wait.milliseconds, INFINITE);
    EXPECT_EQ(wait.wakeMask & ~0x04FFu, 0u) << "a wake flag Windows XP does not know";
  }
  // The last wait is one the process's end answered, and only then is its handle closed.
  std::vector<std::string> tail(Sim().calls.end() - 2, Sim().calls.end());
  const char* last = c.messageWaitFails ? "WaitForSingleObject" : "MsgWaitForMultipleObjects";
  EXPECT_EQ(tail, (std::vector<std::string>{last, "CloseHandle"}));
  EXPECT_EQ(Sim().closedHandles, std::vector<HANDLE>{SimProcessHandle()});
}

INSTANTIATE_TEST_SUITE_P(
    Versions, WaitOnWindows,
    ::testing::Values(WaitCase{"WindowsXp", 5, 1, false, {WM_PAINT, WM_PAINT}},
                      WaitCase{"Windows7", 6, 1, false, {WM_PAINT, WM_PAINT}},
                      WaitCase{"Windows10", 10, 0, false, {WM_PAINT, WM_PAINT}},
                      WaitCase{"MessageWaitFails", 6, 1, true, {}}),
    [](const ::testing::TestParamInfo<WaitCase>& param) { return std::string(param.param.name); });

// A second launcher ends at once, touching nothing, whether the first one's mutex exists for it
// or exists and may not be opened by it (the first was started with higher rights).
TEST_F(RunSequence, ASecondLauncherEndsAtOnceWhetherOrNotItMayOpenTheMutex) {
  for (DWORD refusal : {DWORD{0}, static_cast<DWORD>(ERROR_ACCESS_DENIED)}) {
    ResetSim();
    Sim().modulePath = ProgramPath("Kavelo2.exe");
    Sim().mutexAlreadyExists = true;
    Sim().openMutexError = refusal;
    WriteConfig("WIDTH:640\n");
    AddModes({MakeMode(640, 480, 32, 60)});
    EXPECT_EQ(RunLauncher(nullptr, SW_SHOWNORMAL), 0);
    EXPECT_EQ(Sim().calls,
              (std::vector<std::string>{"GetModuleFileNameA", "EnumDisplaySettingsA", "CreateMutexA"}))
        << "refusal " << refusal;
  }
}

TEST_F(RunSequence, TheLaunchFailureQuotesThePath) {
  EXPECT_EQ(LaunchFailureText("C:\\Show\\PROJECTOR.EXE"),
            "Kavelo2 failed to launch 'C:\\Show\\PROJECTOR.EXE'\r\rEither the application is in "
            "the wrong place or its name is wrong.");
}

}  // namespace
