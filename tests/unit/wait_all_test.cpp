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
  AddModes({SimMode(640, 480, 32, 60)});
  RunLauncher(nullptr, SW_SHOWNORMAL);
  EXPECT_TRUE(Sim().processStarts.empty());
  EXPECT_TRUE(Sim().messageBoxes.empty());
}

}  // namespace
