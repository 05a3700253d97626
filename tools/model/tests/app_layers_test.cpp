// An application's compatibility layers as values: taken apart and composed as the Compatibility
// tab writes them, and where a program lies as far as its layers go.
#include "tools/model/app_layers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WindowsVersion kXp = {5, 1, 2600};
const WindowsVersion kWindows7 = {6, 1, 7601};
const WindowsVersion kWindows8 = {6, 2, 9200};
const WindowsVersion kWindows10v1607 = {10, 0, 14393};
const WindowsVersion kWindows10 = {10, 0, 19045};

constexpr ReducedColour kOff = ReducedColour::Off;
constexpr ReducedColour k8 = ReducedColour::EightBit;
constexpr ReducedColour k16 = ReducedColour::SixteenBit;

TEST(LayerValue, IsTakenApartIntoItsNamesInOrder) {
  struct Case {
    const char* value;
    bool marked;
    std::vector<std::string> names;
  };
  const std::vector<Case> cases = {
      {"", false, {}},
      {"~", true, {}},
      {"~ 16BITCOLOR", true, {"16BITCOLOR"}},
      {"  256COLOR   640X480 ", false, {"256COLOR", "640X480"}},
      {"~ RUNASADMIN 16BITCOLOR WINXPSP3", true, {"RUNASADMIN", "16BITCOLOR", "WINXPSP3"}},
      {"WINXPSP3 ~", false, {"WINXPSP3", "~"}},
      {"~ ~ NEWLAYER", true, {"~", "NEWLAYER"}},
      {"$ 16bitcolor", false, {"$", "16bitcolor"}},
  };
  for (const Case& c : cases) {
    LayerValue layers = ParseLayerValue(c.value);
    EXPECT_EQ(layers.marked, c.marked) << c.value;
    EXPECT_EQ(layers.names, c.names) << c.value;
  }
}

struct ComposeCase {
  const char* name;
  const char* oldValue;
  AppLayerSettings settings;
  WindowsVersion windows;
  const char* value;  // null: the value is to be removed
  std::vector<AppLayer> unavailable;
};

void PrintTo(const ComposeCase& c, std::ostream* os) { *os << c.name; }

class ComposeLayers : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeLayers, AsTheCompatibilityTabOfTheRunningWindowsWrites) {
  const ComposeCase& c = GetParam();
  LayerValueChange change = ComposeLayerValue(c.oldValue, c.settings, c.windows);
  EXPECT_EQ(change.unavailable, c.unavailable);
  if (!c.unavailable.empty()) return;
  EXPECT_EQ(change.remove, c.value == nullptr);
  EXPECT_EQ(change.value, c.value != nullptr ? c.value : "");
  // What is written reads back as the settings asked for.
  AppLayerSettings read = SettingsOfLayers(ParseLayerValue(change.value));
  EXPECT_EQ(read.reducedColour, c.settings.reducedColour);
  EXPECT_EQ(read.run640x480, c.settings.run640x480);
  EXPECT_EQ(read.noFullScreenOptimisations, c.settings.noFullScreenOptimisations);
}

INSTANTIATE_TEST_SUITE_P(
    Layers, ComposeLayers,
    ::testing::Values(
        ComposeCase{"SixteenBitsFromWindows8On", "", {k16, false, false}, kWindows8, "~ 16BITCOLOR", {}},
        ComposeCase{"NoSixteenBitsOnWindows7", "256COLOR", {k16, false, false}, kWindows7, "", {AppLayer::Colour16Bit}},
        ComposeCase{"WithoutTheMarkBefore8", "", {k8, true, false}, kWindows7, "256COLOR 640X480", {}},
        ComposeCase{"OnWindowsXp", "", {k8, true, false}, kXp, "256COLOR 640X480", {}},
        ComposeCase{"NoFullScreenOptimisationsBefore1703", "", {kOff, false, true}, kWindows10v1607, "",
                    {AppLayer::NoFullScreenOptimisations}},
        ComposeCase{"EverythingUnavailableIsNamed", "", {k16, false, true}, kWindows7, "",
                    {AppLayer::Colour16Bit, AppLayer::NoFullScreenOptimisations}},
        ComposeCase{"AllThreeInTheTabsOrder", "", {k16, true, true}, kWindows10,
                    "~ 16BITCOLOR 640X480 DISABLEDXMAXIMIZEDWINDOWEDMODE", {}},
        ComposeCase{"BeforeTheCompatibilityModeFrom8On", "~ RUNASADMIN WINXPSP3", {k16, false, false}, kWindows10,
                    "~ RUNASADMIN 16BITCOLOR WINXPSP3", {}},
        ComposeCase{"BeforeThePrivilegeLevelBefore8", "WINXPSP3 RUNASADMIN", {k8, false, false}, kWindows7,
                    "WINXPSP3 256COLOR RUNASADMIN", {}},
        ComposeCase{"AtTheEndWithoutEither", "~ HIGHDPIAWARE", {k8, false, false}, kWindows10,
                    "~ HIGHDPIAWARE 256COLOR", {}},
        ComposeCase{"WhereTheFirstOfThemStood", "~ HIGHDPIAWARE 256COLOR DISABLETHEMES 640X480 WIN7RTM",
                    {k16, true, false}, kWindows10, "~ HIGHDPIAWARE 16BITCOLOR 640X480 DISABLETHEMES WIN7RTM", {}},
        ComposeCase{"OffKeepsTheOthers", "~ HIGHDPIAWARE 16bitcolor 640X480 WIN7RTM", {kOff, false, false}, kWindows10,
                    "~ HIGHDPIAWARE WIN7RTM", {}},
        ComposeCase{"NothingLeft", "~ 16BITCOLOR 640X480", {kOff, false, false}, kWindows10, nullptr, {}},
        ComposeCase{"OnlyTheMarkLeft", "~", {kOff, false, false}, kWindows10, nullptr, {}},
        ComposeCase{"NothingThere", "", {kOff, false, false}, kWindows7, nullptr, {}},
        ComposeCase{"TheRunningVersionsForm", "256COLOR WINXPSP3", {k8, false, false}, kWindows10,
                    "~ 256COLOR WINXPSP3", {}},
        ComposeCase{"TheMarkGoesBefore8", "~ 256COLOR UNKNOWNLAYER", {k8, false, false}, kWindows7,
                    "256COLOR UNKNOWNLAYER", {}},
        ComposeCase{"OneOfEach", "~ 16BITCOLOR 256COLOR 16BITCOLOR NEWLAYER", {k16, false, false}, kWindows10,
                    "~ 16BITCOLOR NEWLAYER", {}}),
    [](const ::testing::TestParamInfo<ComposeCase>& compose) { return std::string(compose.param.name); });

TEST(LayerSettings, TheFirstReducedColourModeCountsAndNamesInAnyCase) {
  AppLayerSettings settings = SettingsOfLayers(ParseLayerValue("~ 640x480 16bitcolor 256COLOR"));
  EXPECT_EQ(settings.reducedColour, k16);
  EXPECT_TRUE(settings.run640x480);
  EXPECT_FALSE(settings.noFullScreenOptimisations);
  for (DWORD bits : {1u, 4u, 8u}) EXPECT_EQ(ReducedColourFor(bits), k8) << bits;
  for (DWORD bits : {15u, 16u}) EXPECT_EQ(ReducedColourFor(bits), k16) << bits;
  for (DWORD bits : {24u, 32u}) EXPECT_EQ(ReducedColourFor(bits), kOff) << bits;
}

// --- where the application lies ---------------------------------------------------------------

// Windows names the layers of a program on a CD-ROM or removable drive by the medium's hash and the
// program's path on it; the path must be the whole rest of the name, since a path may hold blanks.
TEST(MediaLayersName, IsTheMediumsHashAndTheWholePathOnTheMedium) {
  struct Case {
    const char* name;
    const char* onMedium;
    bool names;
  };
  const std::vector<Case> cases = {
      {"SIGN.MEDIA=1A2B3C Setup\\GAME.EXE", "\\Setup\\GAME.EXE", true},
      {"sign.media=1a2b3c setup\\game.exe", "\\Setup\\Game.exe", true},
      {"SIGN.MEDIA=1A2B3C \\Setup\\GAME.EXE", "\\Setup\\GAME.EXE", true},
      {"SIGN.MEDIA=1A2B3C GAME.EXE", "\\GAME.EXE", true},
      {"SIGN.MEDIA=77 My Setup\\GAME.EXE", "\\My Setup\\GAME.EXE", true},
      {"SIGN.MEDIA=77 My Setup\\GAME.EXE", "\\Setup\\GAME.EXE", false},
      {"SIGN.MEDIA=1A2B3C Old\\Setup\\GAME.EXE", "\\Setup\\GAME.EXE", false},
      {"SIGN.MEDIA=1A2B3C Setup\\GAME.EXE", "\\GAME.EXE", false},
      {"SIGN.MEDIA=1A2B3C Setup\\GAME.EXE.BAK", "\\Setup\\GAME.EXE", false},
      {"SIGN.MEDIA= Setup\\GAME.EXE", "\\Setup\\GAME.EXE", false},
      {"SIGN.MEDIA=Setup\\GAME.EXE", "\\Setup\\GAME.EXE", false},
      {"SIGN.MEDIAX=1A2B3C Setup\\GAME.EXE", "\\Setup\\GAME.EXE", false},
      {"D:\\Setup\\GAME.EXE", "\\Setup\\GAME.EXE", false},
      {"SIGN.MEDIA=1A2B3C ", "\\", false},
      {"SIGN.MEDIA", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(NamesMediaLayers(c.name, c.onMedium), c.names) << c.name << " for " << c.onMedium;
}

}  // namespace
