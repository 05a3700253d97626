// The WAITALL entry: how it is read, and the wait for the application's whole process tree that
// it switches on, against the simulated platform's job objects.
#include "launcher/config_file.h"
#include "tests/unit/launcher_fixture.h"

#include <string>
#include <vector>

namespace {

class WaitAllEntry : public LauncherTest {
 protected:
  // Loads `text` beside a mode entry; answers whether WAITALL ended up on.
  bool LoadsOn(const std::string& text, int& criteria) {
    WriteConfig("WIDTH:640\n" + text);
    LaunchContext context(Sim().modulePath.c_str());
    criteria = context.LoadConfiguration(context.configPath);
    EXPECT_FALSE(context.strictMode || context.backdropEnabled) << text;
    return context.waitAllEnabled;
  }
};

TEST_F(WaitAllEntry, IsTheEighthKindAndNamesItsKeyword) {
  EXPECT_EQ(static_cast<int>(EntryKind::WaitAll), 8);
  EXPECT_EQ(KindOfKey("WAITALL"), EntryKind::WaitAll);
  EXPECT_STREQ(EntryKeyword(EntryKind::WaitAll), "WAITALL");
  LaunchContext context(Sim().modulePath.c_str());
  EXPECT_FALSE(context.waitAllEnabled);
}

struct WaitAllCase {
  const char* text;
  bool on;
};

class WaitAllValues : public WaitAllEntry, public ::testing::WithParamInterface<WaitAllCase> {};

TEST_P(WaitAllValues, OnlyAFirstValueAboveZeroSwitchesItOnAndNothingSwitchesItOff) {
  const WaitAllCase& c = GetParam();
  int criteria = -1;
  EXPECT_EQ(LoadsOn(c.text, criteria), c.on) << c.text;
  // The entry is a setting, never a criterion of the mode.
  EXPECT_EQ(criteria, 1) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, WaitAllValues,
    ::testing::Values(WaitAllCase{"", false}, WaitAllCase{"WAITALL:1\n", true},
                      WaitAllCase{"waitall:1\n", true}, WaitAllCase{"WaitAll:7\n", true},
                      WaitAllCase{"WAITALL:0x10\n", true}, WaitAllCase{"WAITALL: 1,0\n", true},
                      WaitAllCase{"WAITALL:0\n", false}, WaitAllCase{"WAITALL:-1\n", false},
                      WaitAllCase{"WAITALL:0,1\n", false}, WaitAllCase{"WAITALL:abc,1\n", false},
                      WaitAllCase{"WAITALL:\n", false}, WaitAllCase{"WAITALL:yes\n", false},
                      // A later 0 leaves it on; a later 1 switches it on after a 0.
                      WaitAllCase{"WAITALL:1\nWAITALL:0\n", true},
                      WaitAllCase{"WAITALL:0;WAITALL:2;", true},
                      // The key is matched whole and without blanks, as every other key.
                      WaitAllCase{" WAITALL:1\n", false}, WaitAllCase{"WAITALL :1\n", false},
                      WaitAllCase{"WAIT ALL:1\n", false}, WaitAllCase{"WAITALLS:1\n", false},
                      WaitAllCase{"WAITAL:1\n", false}, WaitAllCase{"WAITALL=1\n", false},
                      // The carriage return put after the bytes read ends a last entry.
                      WaitAllCase{"WAITALL:1", true}));

TEST_F(WaitAllEntry, AFileWithOnlyTheEntryStartsNothing) {
  WriteConfig("WAITALL:1\nPATH:x.exe\n");
  AddModes({MakeMode(640, 480, 32, 60)});
  RunLauncher(nullptr, SW_SHOWNORMAL);
  EXPECT_TRUE(Sim().processStarts.empty());
  EXPECT_TRUE(Sim().messageBoxes.empty());
}

}  // namespace

namespace {

MSG Arriving(UINT message) {
  MSG m{};
  m.hwnd = SimBackdropHandle();
  m.message = message;
  return m;
}

using Calls = std::vector<std::string>;

// The run's calls that start, wait for and end the application and its job, in call order and
// with what tells them apart: which handle is closed, whether the start is suspended, what a
// wait waits for.
Calls LaunchCalls() {
  auto handleName = [](HANDLE handle) -> std::string {
    if (handle == SimProcessHandle()) return "process";
    if (handle == SimThreadHandle()) return "thread";
    if (handle == SimJobHandle()) return "job";
    return "other";
  };
  Calls calls;
  size_t closes = 0, starts = 0, waits = 0, changes = 0, sleeps = 0;
  for (const std::string& call : Sim().calls) {
    if (call == "CloseHandle") {
      calls.push_back("CloseHandle " + handleName(Sim().closedHandles.at(closes++)));
    } else if (call == "CreateProcessA") {
      bool suspended = (Sim().processStarts.at(starts++).creationFlags & CREATE_SUSPENDED) != 0;
      calls.push_back(suspended ? "CreateProcessA suspended" : "CreateProcessA");
    } else if (call == "MsgWaitForMultipleObjects") {
      const SimWait& wait = Sim().waits.at(waits++);
      calls.push_back(wait.handle == nullptr ? "wait " + std::to_string(wait.milliseconds) + " ms"
                                             : "wait for " + handleName(wait.handle));
    } else if (call == "WaitForSingleObject") {
      calls.push_back("block on " + handleName(Sim().waits.at(waits++).handle));
    } else if (call == "Sleep") {
      calls.push_back("sleep " + std::to_string(Sim().sleeps.at(sleeps++)) + " ms");
    } else if (call == "ChangeDisplaySettingsA") {
      calls.push_back(Sim().modeChanges.at(changes++).hasMode ? "switch" : "restore");
    } else if (call == "CreateJobObjectA" || call == "SetInformationJobObject" ||
               call == "AssignProcessToJobObject" || call == "ResumeThread" ||
               call == "QueryInformationJobObject" || call == "TerminateProcess" ||
               call == "MessageBoxA") {
      calls.push_back(call);
    }
  }
  return calls;
}

// Whatever path a run took, the application never stays waiting for its first instruction, and
// a job that was made is closed, once.
void ExpectNothingLeftBehind() {
  EXPECT_FALSE(SimApplicationSuspended());
  size_t jobsMade = Sim().jobs.creationFails ? 0 : Sim().jobs.creations.size();
  size_t jobsClosed = 0;
  for (HANDLE handle : Sim().closedHandles) jobsClosed += handle == SimJobHandle() ? 1 : 0;
  EXPECT_EQ(jobsClosed, jobsMade);
}

class WaitAllRun : public LauncherTest {
 protected:
  void Run(const std::string& config) {
    AddModes({MakeMode(800, 600, 32, 60), MakeMode(640, 480, 32, 60)});
    Sim().taskbar = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x6001));
    WriteConfig(config);
    EXPECT_EQ(RunLauncher(reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(0x400000)), SW_SHOWNORMAL), 0);
  }
};

// The calls of runs without WAITALL, as the launcher made them before the entry existed: a file
// without the entry, or with one that leaves it off, changes none of them, nor any flag.
struct UnchangedCase {
  const char* name;
  const char* config;
  bool startFails;
  bool messages;
  Calls calls;
};

class WithoutWaitAll : public WaitAllRun, public ::testing::WithParamInterface<UnchangedCase> {};

TEST_P(WithoutWaitAll, TheRunMakesTheCallsItAlwaysMadeCallForCall) {
  const UnchangedCase& c = GetParam();
  for (const char* entry : {"", "WAITALL:0\n", "WAITALL:-3\n", "WAITALL:abc,1\n"}) {
    SCOPED_TRACE(std::string(c.name) + " with \"" + entry + "\"");
    ResetPlatform();
    Sim().processStartFails = c.startFails;
    if (c.messages) {
      Sim().arrivingBatches = {{Arriving(WM_PAINT)}, {Arriving(WM_ERASEBKGND), Arriving(WM_DISPLAYCHANGE)}};
    }
    Run(std::string(c.config) + entry);
    EXPECT_EQ(Sim().calls, c.calls);
    for (const SimProcessStart& start : Sim().processStarts) {
      EXPECT_EQ(start.creationFlags, NORMAL_PRIORITY_CLASS);
    }
    for (const SimWait& wait : Sim().waits) {
      EXPECT_EQ(wait.handle, SimProcessHandle());
      EXPECT_EQ(wait.milliseconds, INFINITE);
    }
    EXPECT_EQ(Sim().closedHandles,
              c.startFails ? std::vector<HANDLE>{} : std::vector<HANDLE>{SimProcessHandle()});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, WithoutWaitAll,
    ::testing::Values(
        UnchangedCase{"SwitchBackdropAndMessages", "WIDTH:640\nHEIGHT:480\nBACKDROP:1\n", false, true,
                      {"GetModuleFileNameA", "EnumDisplaySettingsA", "CreateMutexA",
                       "EnumDisplaySettingsA", "EnumDisplaySettingsA", "EnumDisplaySettingsA",
                       "RegisterClassExA", "CreateWindowExA", "ShowWindow", "UpdateWindow",
                       "BeginPaint", "GetClientRect", "FillRect", "EndPaint", "SetWindowLongPtrA",
                       "ShowWindow", "ChangeDisplaySettingsA", "FindWindowA", "PostMessageA", "CreateProcessA",
                       "MsgWaitForMultipleObjects", "PeekMessageA", "DispatchMessageA",
                       "BeginPaint", "GetClientRect", "FillRect", "EndPaint", "PeekMessageA",
                       "MsgWaitForMultipleObjects", "PeekMessageA", "DispatchMessageA",
                       "BeginPaint", "GetClientRect", "FillRect", "EndPaint", "PeekMessageA",
                       "DispatchMessageA", "DefWindowProcA", "PeekMessageA",
                       "MsgWaitForMultipleObjects", "CloseHandle", "ChangeDisplaySettingsA"}},
        UnchangedCase{"NoModeLenient", "WIDTH:123\n", false, false,
                      {"GetModuleFileNameA", "EnumDisplaySettingsA", "CreateMutexA",
                       "EnumDisplaySettingsA", "EnumDisplaySettingsA", "EnumDisplaySettingsA",
                       "CreateProcessA", "MsgWaitForMultipleObjects", "CloseHandle"}},
        UnchangedCase{"SwitchedStartFails", "WIDTH:640\nSTRICT:1\n", true, false,
                      {"GetModuleFileNameA", "EnumDisplaySettingsA", "CreateMutexA",
                       "EnumDisplaySettingsA", "EnumDisplaySettingsA", "EnumDisplaySettingsA",
                       "ChangeDisplaySettingsA", "FindWindowA", "PostMessageA", "CreateProcessA",
                       "MessageBoxA", "ChangeDisplaySettingsA"}},
        UnchangedCase{"NoModeStartFails", "WIDTH:123\n", true, false,
                      {"GetModuleFileNameA", "EnumDisplaySettingsA", "CreateMutexA",
                       "EnumDisplaySettingsA", "EnumDisplaySettingsA", "EnumDisplaySettingsA",
                       "CreateProcessA", "MessageBoxA"}}),
    [](const ::testing::TestParamInfo<UnchangedCase>& param) { return std::string(param.param.name); });

TEST_F(WaitAllRun, TheApplicationStartsSuspendedInAJobThatOutlivesNothingButTheWait) {
  Sim().jobs.activeCounts = {2, 1, 0};
  Run("WIDTH:640\nHEIGHT:480\nWAITALL:1\n");
  EXPECT_EQ(LaunchCalls(),
            (Calls{"switch", "CreateJobObjectA", "SetInformationJobObject", "CreateProcessA suspended",
                   "AssignProcessToJobObject", "ResumeThread", "CloseHandle thread", "wait for process",
                   "CloseHandle process", "QueryInformationJobObject", "wait 250 ms",
                   "QueryInformationJobObject", "wait 250 ms", "QueryInformationJobObject",
                   "CloseHandle job", "restore"}));
  const SimJobObjects& jobs = Sim().jobs;
  // Unnamed and with the default security: its handle is not inherited by the application.
  ASSERT_EQ(jobs.creations.size(), 1u);
  EXPECT_TRUE(jobs.creations[0].attributesNull && jobs.creations[0].nameNull);
  // Breakaway allowed, and no kill-on-close: ending the launcher never ends the application.
  ASSERT_EQ(jobs.limits.size(), 1u);
  EXPECT_EQ(jobs.limits[0].infoClass, JobObjectExtendedLimitInformation);
  EXPECT_EQ(jobs.limits[0].size, sizeof(JOBOBJECT_EXTENDED_LIMIT_INFORMATION));
  EXPECT_EQ(jobs.limits[0].limitFlags, JOB_OBJECT_LIMIT_BREAKAWAY_OK);
  // Otherwise started exactly as without the entry.
  ASSERT_EQ(Sim().processStarts.size(), 1u);
  const SimProcessStart& start = Sim().processStarts[0];
  EXPECT_EQ(start.creationFlags, NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED);
  EXPECT_EQ(start.inheritHandles, TRUE);
  EXPECT_TRUE(start.commandLineNull && start.currentDirectoryNull);
  EXPECT_EQ(jobs.assignments, (std::vector<std::pair<HANDLE, HANDLE>>{{SimJobHandle(), SimProcessHandle()}}));
  EXPECT_EQ(jobs.resumed, std::vector<HANDLE>{SimThreadHandle()});
  ASSERT_EQ(jobs.queries.size(), 3u);
  for (const SimJobInformation& query : jobs.queries) {
    EXPECT_EQ(query.job, SimJobHandle());
    EXPECT_EQ(query.infoClass, JobObjectBasicAccountingInformation);
    EXPECT_EQ(query.size, sizeof(JOBOBJECT_BASIC_ACCOUNTING_INFORMATION));
  }
  EXPECT_EQ(Sim().waits.front().milliseconds, INFINITE);
  EXPECT_TRUE(Sim().messageBoxes.empty());
  ExpectNothingLeftBehind();
}

// Where the job cannot be made, filled or asked, the run falls back without a word, and where the
// application cannot be let run, it counts as not started.
struct FallbackCase {
  const char* name;
  const char* failing;  // the job call scripted to fail, or "start" for the process creation
  size_t queryFailsAt;
  Calls calls;
};

class WaitAllFallback : public WaitAllRun, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(WaitAllFallback, EachFailureReachesItsFallback) {
  const FallbackCase& c = GetParam();
  const std::string failing = c.failing;
  SimJobObjects& jobs = Sim().jobs;
  jobs.creationFails = failing == "CreateJobObjectA";
  jobs.limitFails = failing == "SetInformationJobObject";
  jobs.launcherInJob = failing == "AssignProcessToJobObject";
  jobs.resumeFails = failing == "ResumeThread";
  Sim().messageWaitFails = failing == "MsgWaitForMultipleObjects";
  Sim().processStartFails = failing == "start";
  jobs.queryFailsAt = c.queryFailsAt;
  jobs.activeCounts = {3, 3, 0};
  Run("WIDTH:640\nHEIGHT:480\nSTRICT:1\nWAITALL:1\n");
  EXPECT_EQ(LaunchCalls(), c.calls);
  // Only an application that could not be started is reported, with the usual box.
  bool notStarted = failing == "start" || failing == "ResumeThread";
  ASSERT_EQ(Sim().messageBoxes.size(), notStarted ? 1u : 0u);
  for (const SimMessageBox& box : Sim().messageBoxes) EXPECT_EQ(box.caption, "Kavelo2 Error");
  ExpectNothingLeftBehind();
}

INSTANTIATE_TEST_SUITE_P(
    Failures, WaitAllFallback,
    ::testing::Values(
        // No job: started and waited for exactly as without the entry.
        FallbackCase{"CreationFails", "CreateJobObjectA", 0,
                     {"switch", "CreateJobObjectA", "CreateProcessA", "wait for process",
                      "CloseHandle process", "restore"}},
        // A job that would refuse a program's breakaway is not used either.
        FallbackCase{"LimitFails", "SetInformationJobObject", 0,
                     {"switch", "CreateJobObjectA", "SetInformationJobObject", "CloseHandle job",
                      "CreateProcessA", "wait for process", "CloseHandle process", "restore"}},
        // Windows 7 and earlier, the launcher in a job already: resumed outside the job, and the
        // wait is for the application's own process.
        FallbackCase{"AssignmentFails", "AssignProcessToJobObject", 0,
                     {"switch", "CreateJobObjectA", "SetInformationJobObject", "CreateProcessA suspended",
                      "AssignProcessToJobObject", "CloseHandle job", "ResumeThread",
                      "CloseHandle thread", "wait for process", "CloseHandle process", "restore"}},
        // Never let run: ended before its first instruction, reported, and not waited for.
        FallbackCase{"ResumeFails", "ResumeThread", 0,
                     {"switch", "CreateJobObjectA", "SetInformationJobObject", "CreateProcessA suspended",
                      "AssignProcessToJobObject", "ResumeThread", "TerminateProcess",
                      "CloseHandle process", "CloseHandle thread", "CloseHandle job", "MessageBoxA",
                      "restore"}},
        FallbackCase{"StartFails", "start", 0,
                     {"switch", "CreateJobObjectA", "SetInformationJobObject", "CreateProcessA suspended",
                      "CloseHandle job", "MessageBoxA", "restore"}},
        // A job that cannot be asked ends the wait with the application's own process.
        FallbackCase{"FirstQueryFails", "", 1,
                     {"switch", "CreateJobObjectA", "SetInformationJobObject", "CreateProcessA suspended",
                      "AssignProcessToJobObject", "ResumeThread", "CloseHandle thread",
                      "wait for process", "CloseHandle process", "QueryInformationJobObject",
                      "CloseHandle job", "restore"}},
        // A message wait that fails ends nothing: the launcher waits for the process alone, then
        // asks the job as often, without messages.
        FallbackCase{"MessageWaitFails", "MsgWaitForMultipleObjects", 0,
                     {"switch", "CreateJobObjectA", "SetInformationJobObject", "CreateProcessA suspended",
                      "AssignProcessToJobObject", "ResumeThread", "CloseHandle thread",
                      "wait for process", "block on process", "CloseHandle process",
                      "QueryInformationJobObject", "wait 250 ms", "sleep 250 ms",
                      "QueryInformationJobObject", "sleep 250 ms", "QueryInformationJobObject",
                      "CloseHandle job", "restore"}},
        FallbackCase{"LaterQueryFails", "", 2,
                     {"switch", "CreateJobObjectA", "SetInformationJobObject", "CreateProcessA suspended",
                      "AssignProcessToJobObject", "ResumeThread", "CloseHandle thread",
                      "wait for process", "CloseHandle process", "QueryInformationJobObject",
                      "wait 250 ms", "QueryInformationJobObject", "CloseHandle job", "restore"}}),
    [](const ::testing::TestParamInfo<FallbackCase>& param) { return std::string(param.param.name); });

// From Windows 8 on jobs nest: a launcher that itself runs in a job still holds the application in
// its own, and waits for everything it starts.
TEST_F(WaitAllRun, OnWindows8AndLaterALauncherInAJobStillUsesItsOwn) {
  Sim().windowsMajor = 10;
  Sim().windowsMinor = 0;
  Sim().jobs.launcherInJob = true;
  Sim().jobs.activeCounts = {1, 0};
  Run("WIDTH:640\nHEIGHT:480\nWAITALL:1\n");
  EXPECT_EQ(Sim().jobs.assignments, (std::vector<std::pair<HANDLE, HANDLE>>{{SimJobHandle(), SimProcessHandle()}}));
  EXPECT_EQ(Sim().jobs.queries.size(), 2u);
  ExpectNothingLeftBehind();
}

// Messages that arrive while only the programs the application started still run are dispatched
// as during the application's own run: the backdrop repaints and answers, and neither they nor a
// quit message end the wait before the job is empty.
TEST_F(WaitAllRun, TheWaitForTheJobDispatchesWhatArrives) {
  Sim().arrivingBatches = {{Arriving(WM_PAINT)}};
  MSG quit = Arriving(WM_QUIT);
  quit.hwnd = nullptr;
  Sim().arrivingAfterProcess = {{Arriving(WM_ERASEBKGND)}, {Arriving(WM_PAINT), quit}};
  Sim().jobs.activeCounts = {2, 2, 1, 0};
  Run("WIDTH:640\nHEIGHT:480\nBACKDROP:1\nWAITALL:1\n");

  EXPECT_EQ(Sim().dispatched, (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND, WM_PAINT, WM_QUIT}));
  EXPECT_TRUE(Sim().arrivingAfterProcess.empty() && Sim().queuedMessages.empty());
  // Two wakes for messages, one time-out, and a query after each.
  EXPECT_EQ(LaunchCalls(),
            (Calls{"switch", "CreateJobObjectA", "SetInformationJobObject", "CreateProcessA suspended",
                   "AssignProcessToJobObject", "ResumeThread", "CloseHandle thread", "wait for process",
                   "wait for process", "CloseHandle process", "QueryInformationJobObject", "wait 250 ms",
                   "QueryInformationJobObject", "wait 250 ms", "QueryInformationJobObject",
                   "wait 250 ms", "QueryInformationJobObject", "CloseHandle job", "restore"}));
  // The whole window filled black four times: at its creation, and for each paint or erase.
  EXPECT_EQ(Sim().fills.size(), 4u);
  EXPECT_EQ(Sim().paintsOpen, 0);
  ExpectNothingLeftBehind();
}

}  // namespace
