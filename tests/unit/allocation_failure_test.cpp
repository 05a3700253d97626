// The launcher when memory runs out: every allocation of a whole run is made to fail in turn.
// Whichever fails, the run ends with status 0, shows no box that a run with enough memory would
// not show, and leaves the display in the registry mode whenever it switched it.
#include "tests/support/failing_allocator.h"
#include "tests/unit/launcher_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct SweepCase {
  const char* what;
  const char* config;
  bool startFails;
  size_t waits;                // of a started application
  std::vector<HANDLE> closed;  // the handles closed once it has ended
};

class AllocationFailure : public LauncherTest {
 protected:
  // The same modes and messages for every run.
  void Prepare(bool startFails) {
    ResetPlatform();
    AddModes({MakeMode(1024, 768, 32, 60), MakeMode(800, 600, 16, 60), MakeMode(800, 600, 32, 60),
              MakeMode(800, 600, 32, 75), MakeMode(640, 480, 32, 60)});
    Sim().processStartFails = startFails;
    MSG paint{};
    paint.hwnd = SimBackdropHandle();
    paint.message = WM_PAINT;
    Sim().arrivingBatches = {{paint}, {paint, paint}};
    // With WAITALL, a program the application started outlives it by one time-out.
    Sim().arrivingAfterProcess = {{paint}};
    Sim().jobs.activeCounts = {1, 1, 0};
  }

  // One run with the allocation numbered `failAt` failing (none with 0); answers the count.
  size_t RunFailing(size_t failAt, int& status) {
    StartAllocationCount(failAt);
    status = RunLauncher(nullptr, SW_SHOWNORMAL);
    return StopAllocationCount();
  }
};

TEST_F(AllocationFailure, EveryRunEndsWithStatusZeroAndTheDisplayRestored) {
  const std::vector<HANDLE> processOnly{SimProcessHandle()};
  const SweepCase cases[] = {
      {"a switch, a backdrop and the wait",
       "WIDTH:640,800\nHEIGHT:600\nDEPTH:32\nFREQ:75,60\nBACKDROP:1\nPATH:app.exe\n", false, 3,
       processOnly},
      {"a switch, then a failed start", "WIDTH:800\nDEPTH:32\nSTRICT:1\nPATH:missing.exe\n",
       true, 0, {}},
      {"no mode, then a failed start in the current mode", "WIDTH:123\nHEIGHT:600\nDEPTH:8\n",
       true, 0, {}},
      {"a switch, a backdrop and the wait for the whole job",
       "WIDTH:640,800\nHEIGHT:600\nDEPTH:32\nBACKDROP:1\nWAITALL:1\n", false, 5,
       {SimThreadHandle(), SimProcessHandle(), SimJobHandle()}},
      {"a switch, then a failed start in a job", "WIDTH:800\nWAITALL:1\nPATH:missing.exe\n", true,
       0, {SimJobHandle()}},
  };
  for (const SweepCase& c : cases) {
    SCOPED_TRACE(c.what);
    WriteConfig(c.config);
    Prepare(c.startFails);
    int status = -1;
    const size_t count = RunFailing(0, status);
    ASSERT_EQ(status, 0);
    ASSERT_GE(count, 5u);
    const std::vector<SimMessageBox> cleanBoxes = Sim().messageBoxes;

    for (size_t failAt = 1; failAt <= count; ++failAt) {
      SCOPED_TRACE("allocation " + std::to_string(failAt) + " of " + std::to_string(count));
      Prepare(c.startFails);
      RunFailing(failAt, status);
      EXPECT_EQ(status, 0);

      const std::vector<SimModeChange>& changes = Sim().modeChanges;
      if (!changes.empty()) {
        // A switch is always followed by the return to the registry mode, and by nothing else.
        ASSERT_EQ(changes.size(), 2u);
        EXPECT_TRUE(changes[0].hasMode);
        EXPECT_FALSE(changes[1].hasMode);
        EXPECT_EQ(Sim().calls.back(), "ChangeDisplaySettingsA");
      }
      for (const SimMessageBox& box : Sim().messageBoxes) {
        EXPECT_TRUE(std::any_of(cleanBoxes.begin(), cleanBoxes.end(), [&](const SimMessageBox& b) {
          return b.text == box.text && b.caption == box.caption;
        })) << box.caption;
      }
      // A started application is waited for to its end, and its handles closed; so is a job
      // that was made for it.
      if (!Sim().processStarts.empty()) {
        EXPECT_EQ(Sim().waits.size(), c.waits);
        EXPECT_EQ(Sim().closedHandles, c.closed);
        EXPECT_FALSE(SimApplicationSuspended());
      }
    }
  }
}

}  // namespace
