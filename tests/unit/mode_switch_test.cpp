// Switching the display, the taskbar notice and the return to the registry mode.
#include "launcher/mode_switch.h"
#include "tests/unit/launcher_fixture.h"

#include <string>

namespace {

class ModeSwitch : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    context_.reset(new LaunchContext(Sim().modulePath.c_str()));
    context_->modeCatalogue = {MakeMode(800, 600, 32, 60), MakeMode(1024, 768, 32, 75)};
  }
  std::unique_ptr<LaunchContext> context_;
};

TEST_F(ModeSwitch, ThePlatformGetsTheChosenEntryWithExactlyTheFieldMask) {
  ASSERT_EQ(context_->ApplyMode(1, DM_PELSWIDTH | DM_PELSHEIGHT), 1);
  ASSERT_EQ(Sim().modeChanges.size(), 1u);
  const SimModeChange& change = Sim().modeChanges[0];
  EXPECT_TRUE(change.hasMode);
  EXPECT_EQ(change.flags, 0u);
  EXPECT_EQ(change.mode.dmFields, DM_PELSWIDTH | DM_PELSHEIGHT);
  EXPECT_EQ(change.mode.dmPelsWidth, 1024u);
  EXPECT_EQ(change.mode.dmDisplayFrequency, 75u);
  EXPECT_TRUE(context_->modeChanged);
  // The switch comes first, then the notice, then the start.
  std::vector<std::string> order;
  for (const std::string& call : Sim().calls) {
    if (call == "ChangeDisplaySettingsA" || call == "PostMessageA" || call == "FindWindowA" ||
        call == "CreateProcessA") {
      order.push_back(call);
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"ChangeDisplaySettingsA", "FindWindowA",
                                             "CreateProcessA"}));
}

struct SwitchCase {
  LONG result;
  const char* text;  // the strict run's message; null for none
  const char* caption;
  const char* name;  // the platform's name of the result; null for none
};

class SwitchResults : public ModeSwitch, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SwitchResults, StrictRunsReportAndStopLenientRunsStartAnyway) {
  const SwitchCase& c = GetParam();
  Sim().changeResult = c.result;
  bool switched = c.result == DISP_CHANGE_SUCCESSFUL;
  // The names that kavelo2-config's restore reports come from the same table as the boxes.
  if (c.name == nullptr) {
    EXPECT_EQ(DisplayChangeResultName(c.result), nullptr);
  } else {
    EXPECT_STREQ(DisplayChangeResultName(c.result), c.name);
  }

  // Lenient: whatever the result, the application starts and nothing is shown.
  EXPECT_EQ(context_->ApplyMode(0, DM_PELSWIDTH), 1);
  EXPECT_EQ(Sim().processStarts.size(), 1u);
  EXPECT_TRUE(Sim().messageBoxes.empty());
  EXPECT_EQ(context_->modeChanged, switched);

  // Strict: only a successful switch starts the application.
  ResetSim();
  Sim().changeResult = c.result;
  LaunchContext strict(ProgramPath("Kavelo2.exe").c_str());
  strict.modeCatalogue = context_->modeCatalogue;
  strict.strictMode = true;
  EXPECT_EQ(strict.ApplyMode(0, DM_PELSWIDTH), switched ? 1 : 0);
  EXPECT_EQ(Sim().processStarts.size(), switched ? 1u : 0u);
  if (c.text == nullptr) {
    EXPECT_TRUE(Sim().messageBoxes.empty());
  } else {
    ASSERT_EQ(Sim().messageBoxes.size(), 1u);
    EXPECT_EQ(Sim().messageBoxes[0].text, c.text);
    EXPECT_EQ(Sim().messageBoxes[0].caption, c.caption);
    EXPECT_EQ(Sim().messageBoxes[0].owner, nullptr);
    EXPECT_EQ(Sim().messageBoxes[0].type, MB_OK);
  }
  // A run that never switched never calls the platform to restore.
  strict.RestoreMode();
  EXPECT_EQ(Sim().modeChanges.size(), switched ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Results, SwitchResults,
    ::testing::Values(
        SwitchCase{DISP_CHANGE_SUCCESSFUL, nullptr, nullptr, "DISP_CHANGE_SUCCESSFUL"},
        SwitchCase{DISP_CHANGE_RESTART, "Kavelo2 couldn't set this setting",
                   "Kavelo Error: DISP_CHANGE_RESTART", "DISP_CHANGE_RESTART"},
        SwitchCase{DISP_CHANGE_FAILED, "Your graphics card failed to change the settings.",
                   "Kavelo Error: DISP_CHANGE_FAILED", "DISP_CHANGE_FAILED"},
        SwitchCase{DISP_CHANGE_BADMODE, "The graphics mode requested is not supported.",
                   "Kavelo Error: DISP_CHANGE_BADMODE", "DISP_CHANGE_BADMODE"},
        SwitchCase{DISP_CHANGE_NOTUPDATED, "The mode could not be written to the registry.",
                   "Kavelo Error: DISP_CHANGE_NOTUPDATED", "DISP_CHANGE_NOTUPDATED"},
        SwitchCase{DISP_CHANGE_BADFLAGS, "Kavelo2 couldn't set this setting",
                   "Kavelo Error: DISP_CHANGE_BADFLAGS", "DISP_CHANGE_BADFLAGS"},
        SwitchCase{DISP_CHANGE_BADPARAM, "Kavelo2 couldn't set this setting",
                   "Kavelo Error: DISP_CHANGE_BADPARAM", "DISP_CHANGE_BADPARAM"},
        SwitchCase{DISP_CHANGE_BADDUALVIEW, nullptr, nullptr, "DISP_CHANGE_BADDUALVIEW"},
        SwitchCase{7, nullptr, nullptr, nullptr}));

TEST_F(ModeSwitch, AFailedStartAfterASwitchStillRestoresTheRegistryMode) {
  context_->strictMode = true;
  Sim().processStartFails = true;
  EXPECT_EQ(context_->ApplyMode(0, DM_PELSWIDTH), 0);
  ASSERT_EQ(Sim().messageBoxes.size(), 1u);
  EXPECT_EQ(Sim().messageBoxes[0].caption, "Kavelo2 Error");
  context_->RestoreMode();
  ASSERT_EQ(Sim().modeChanges.size(), 2u);
  EXPECT_FALSE(Sim().modeChanges[1].hasMode);
  EXPECT_EQ(Sim().modeChanges[1].flags, 0u);
}

TEST_F(ModeSwitch, TheTaskbarHearsTheNewDepthAndSize) {
  HWND taskbar = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7001));
  Sim().taskbar = taskbar;
  context_->ApplyMode(1, DM_PELSWIDTH);
  EXPECT_EQ(Sim().findWindowQueries, std::vector<std::string>{"Shell_TrayWnd|"});
  ASSERT_EQ(Sim().posted.size(), 1u);
  EXPECT_EQ(Sim().posted[0].window, taskbar);
  EXPECT_EQ(Sim().posted[0].message, WM_DISPLAYCHANGE);
  EXPECT_EQ(Sim().posted[0].wParam, 32u);
  EXPECT_EQ(Sim().posted[0].lParam, static_cast<LPARAM>(1024 | (768 << 16)));

  // Only the low 16 bits of each size count.
  EXPECT_TRUE(context_->NotifyTaskbar(16, 0x12345, 0x10002));
  EXPECT_EQ(Sim().posted[1].wParam, 16u);
  EXPECT_EQ(Sim().posted[1].lParam, static_cast<LPARAM>(0x00022345));
}

TEST_F(ModeSwitch, WithoutATaskbarNothingIsPostedAndTheRunGoesOn) {
  EXPECT_EQ(context_->ApplyMode(0, DM_PELSWIDTH), 1);
  EXPECT_TRUE(Sim().posted.empty());
  EXPECT_FALSE(context_->NotifyTaskbar(32, 800, 600));
  EXPECT_EQ(Sim().processStarts.size(), 1u);
}

}  // namespace
