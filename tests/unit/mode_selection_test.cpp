// The mode catalogue and the choice of a mode: strict pass first, then the relaxed rules.
#include "launcher/mode_selection.h"
#include "tests/unit/launcher_fixture.h"

#include <string>
#include <vector>

namespace {

struct Mode {
  DWORD width, height, bits, frequency;
};

// Criteria as the launcher reads them from configuration text.
CriteriaList CriteriaFrom(std::string text) {
  CriteriaList criteria;
  text += "\n";
  WalkConfigEntries(text.data(), [&](char* entry) {
    ModeCriterion criterion;
    if (criterion.ParseEntry(entry)) criteria.push_back(criterion);
  });
  return criteria;
}

constexpr DWORD W = DM_PELSWIDTH;
constexpr DWORD H = DM_PELSHEIGHT;
constexpr DWORD B = DM_BITSPERPEL;
constexpr DWORD F = DM_DISPLAYFREQUENCY;

constexpr SelectionPass kStrict = SelectionPass::Strict;
constexpr SelectionPass kRelaxed = SelectionPass::Relaxed;

struct SelectionCase {
  const char* name;
  std::vector<Mode> catalogue;
  const char* criteria;
  int expected;
  DWORD fieldMask;
  SelectionPass pass = kStrict;  // for a chosen mode
};

class Selection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(Selection, FirstAcceptableModeItsFieldMaskAndItsPass) {
  const SelectionCase& c = GetParam();
  ModeCatalogue catalogue;
  for (const Mode& m : c.catalogue) {
    catalogue.push_back(MakeMode(m.width, m.height, m.bits, m.frequency));
  }
  ModeChoice choice = ChooseMode(catalogue, CriteriaFrom(c.criteria));
  EXPECT_EQ(choice.position, c.expected);
  EXPECT_EQ(choice.fieldMask, c.expected >= 0 ? c.fieldMask : 0u);
  EXPECT_EQ(choice.pass, c.expected >= 0 ? c.pass : SelectionPass::None);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Selection,
    ::testing::Values(
        SelectionCase{"DuplicatesTheFirstWins",
                      {{800, 600, 32, 60}, {640, 480, 32, 60}, {640, 480, 32, 60}},
                      "WIDTH:640", 1, W},
        SelectionCase{"EarliestOfSeveralWithOnlyTheConfiguredBits",
                      {{800, 600, 32, 60}, {800, 600, 32, 75}}, "WIDTH:800;HEIGHT:600", 0, W | H},
        SelectionCase{"Depth32FindsA24BitModeWhenRelaxed",
                      {{640, 480, 16, 60}, {640, 480, 24, 60}, {800, 600, 32, 60}},
                      "WIDTH:640;DEPTH:32", 1, W | B, kRelaxed},
        SelectionCase{"Depth24FindsA32BitModeWhenRelaxed",
                      {{640, 480, 16, 60}, {640, 480, 32, 60}}, "HEIGHT:480;DEPTH:24", 1, H | B, kRelaxed},
        SelectionCase{"Depth16NeverMatches15Or24Or32",
                      {{640, 480, 15, 60}, {640, 480, 24, 60}, {640, 480, 32, 60}}, "DEPTH:16",
                      kNoSuitableMode, 0},
        SelectionCase{"Freq85WithoutSuchAModeIsIgnoredWithoutItsBit",
                      {{800, 600, 32, 60}, {640, 480, 32, 60}, {640, 480, 32, 75}},
                      "WIDTH:640;FREQ:85", 1, W, kRelaxed},
        SelectionCase{"AnExactMatchAtTheFirstPositionKeepsTheFrequencyBit",
                      {{640, 480, 32, 75}, {640, 480, 32, 60}}, "WIDTH:640;FREQ:75", 0, W | F},
        SelectionCase{"ALateExactMatchBeatsAnEarlierRelaxedOne",
                      {{640, 480, 24, 85}, {640, 480, 32, 60}, {640, 480, 32, 85}},
                      "DEPTH:32;FREQ:85", 2, B | F},
        SelectionCase{"RelaxedDepthAndFrequencyInCatalogueOrder",
                      {{640, 480, 24, 75}, {640, 480, 32, 60}}, "DEPTH:32;FREQ:75;WIDTH:640", 0,
                      B | W, kRelaxed},
        SelectionCase{"TwoWidthCriteriaMustBothAccept", {{800, 600, 32, 60}, {1024, 768, 32, 60}},
                      "WIDTH:800;WIDTH:1024", kNoSuitableMode, 0},
        SelectionCase{"OneListAcceptsAnyOfItsWidths", {{640, 480, 32, 60}, {1024, 768, 32, 60}},
                      "WIDTH:800,1024", 1, W},
        SelectionCase{"AnEmptyWidthListRejectsEveryMode", {{640, 480, 32, 60}}, "WIDTH:abc,640",
                      kNoSuitableMode, 0},
        SelectionCase{"AnEmptyHeightListRejectsEveryMode", {{640, 480, 32, 60}}, "HEIGHT:,480",
                      kNoSuitableMode, 0},
        SelectionCase{"AnEmptyDepthListRejectsEveryMode", {{640, 480, 32, 60}}, "DEPTH:x,32",
                      kNoSuitableMode, 0},
        SelectionCase{"AnEmptyFrequencyListOnlyCountsInTheStrictPass",
                      {{800, 600, 32, 60}, {640, 480, 32, 60}}, "FREQ:x,60;WIDTH:640", 1, W, kRelaxed},
        SelectionCase{"NegativeValuesCompareAsTheirUnsignedBits", {{0xFFFFFFFF, 480, 32, 60}},
                      "WIDTH:-1", 0, W},
        SelectionCase{"AnEmptyCatalogue", {}, "WIDTH:640", kNoSuitableMode, 0},
        SelectionCase{"NoCriteriaAcceptTheFirstMode", {{640, 480, 32, 60}}, "", 0, 0}),
    [](const ::testing::TestParamInfo<SelectionCase>& param) {
      return std::string(param.param.name);
    });

TEST(MatchCriterion, FlagAndUnknownKindsAndTheMaskOnRejection) {
  DEVMODEA mode = MakeMode(640, 480, 32, 60);
  ModeCriterion criterion;
  for (EntryKind kind : {EntryKind::Path, EntryKind::Backdrop}) {
    criterion.kind = kind;
    DWORD mask = 0;
    EXPECT_TRUE(criterion.MatchCriterion(mode, mask, false));
    EXPECT_EQ(mask, 0u);
  }
  for (EntryKind kind : {EntryKind::Strict, EntryKind::None}) {
    criterion.kind = kind;
    criterion.values = {1};
    DWORD mask = W;
    EXPECT_FALSE(criterion.MatchCriterion(mode, mask, true));
    EXPECT_EQ(mask, W);
  }
}

class Enumeration : public LauncherTest {};

TEST_F(Enumeration, KeepsEveryModeAnsweredWithOneInOrderAndStopsAtZero) {
  DEVMODEA first = MakeMode(640, 480, 32, 60);
  DEVMODEA skipped = MakeMode(800, 600, 32, 60);
  DEVMODEA last = MakeMode(640, 480, 32, 60);
  last.dmDisplayFlags = 2;  // differs only where no criterion looks: still kept
  Sim().modes = {{TRUE, first}, {2, skipped}, {-1, skipped}, {TRUE, last}, {TRUE, first}};
  Sim().modes[4].result = 0;  // the end, though a record came with it

  LaunchContext context(Sim().modulePath.c_str());
  Sim().enumCalls.clear();
  EXPECT_EQ(context.EnumerateModes(), 2);
  ASSERT_EQ(context.modeCatalogue.size(), 2u);
  EXPECT_EQ(context.modeCatalogue[0].dmPelsWidth, 640u);
  EXPECT_EQ(context.modeCatalogue[1].dmDisplayFlags, 2u);
  ASSERT_EQ(Sim().enumCalls.size(), 5u);
  for (DWORD number = 0; number < 5; ++number) {
    EXPECT_EQ(Sim().enumCalls[number].modeNumber, number);
    EXPECT_TRUE(Sim().enumCalls[number].deviceNameNull);
    EXPECT_TRUE(Sim().enumCalls[number].recordZeroFilled);
  }
}

TEST_F(Enumeration, NoModesMeanNoSelection) {
  WriteConfig("WIDTH:640\nSTRICT:1\n");
  RunLauncher(nullptr, SW_SHOWNORMAL);
  ASSERT_EQ(Sim().messageBoxes.size(), 1u);
  EXPECT_EQ(Sim().messageBoxes[0].caption, "Kavelo2");
  EXPECT_TRUE(Sim().modeChanges.empty());
}

}  // namespace
