// The current user's compatibility layers in the registry, against the simulated registry: every
// key the edge opens is the current user's, opened with only the right it needs, and closed again.
#include "platform/sim/sim_platform.h"
#include "tools/machine/app_layer_registry.h"
#include "tools/model/layers_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WindowsVersion kWindows7 = {6, 1, 7601};
const WindowsVersion kWindows10 = {10, 0, 19045};

constexpr ReducedColour k8 = ReducedColour::EightBit;
constexpr ReducedColour k16 = ReducedColour::SixteenBit;

TEST(AppPlace, SharesByTheirNameAndDrivesByTheirType) {
  struct Case {
    const char* path;
    AppLocation location;
    const char* root;
    const char* asked;  // the root GetDriveTypeA is asked about, "" for none
  };
  const std::vector<Case> cases = {
      {"C:\\Games\\GAME.EXE", AppLocation::LocalDrive, "C:", "C:\\"},
      {"n:\\GAME.EXE", AppLocation::NetworkDrive, "n:", "n:\\"},
      {"\\\\server\\share\\games\\GAME.EXE", AppLocation::NetworkShare, "\\\\server\\share", ""},
      {"//server/share/GAME.EXE", AppLocation::NetworkShare, "\\\\server\\share", ""},
      {"\\\\server", AppLocation::NetworkShare, "\\\\server", ""},
      {"\\\\?\\UNC\\server\\share\\GAME.EXE", AppLocation::NetworkShare, "\\\\server\\share", ""},
      {"\\\\?\\C:\\GAME.EXE", AppLocation::LocalDrive, "C:", "C:\\"},
      {"\\\\.\\N:\\GAME.EXE", AppLocation::NetworkDrive, "N:", "N:\\"},
      {"D:\\Setup\\GAME.EXE", AppLocation::RemovableMedia, "D:", "D:\\"},
      {"e:\\GAME.EXE", AppLocation::RemovableMedia, "e:", "e:\\"},
      {"GAME.EXE", AppLocation::NotFullPath, "", ""},
      {"\\Games\\GAME.EXE", AppLocation::NotFullPath, "", ""},
      {"1:\\GAME.EXE", AppLocation::NotFullPath, "", ""},
  };
  for (const Case& c : cases) {
    ResetSim();
    Sim().driveTypes['N'] = DRIVE_REMOTE;
    Sim().driveTypes['D'] = DRIVE_CDROM;
    Sim().driveTypes['E'] = DRIVE_REMOVABLE;
    AppPlace place = LocateApplication(c.path);
    EXPECT_EQ(place.location, c.location) << c.path;
    EXPECT_EQ(place.root, c.root) << c.path;
    EXPECT_EQ(Sim().driveQueries, std::string(c.asked).empty() ? std::vector<std::string>{}
                                                               : std::vector<std::string>{c.asked})
        << c.path;
  }
}

// --- the registry edge --------------------------------------------------------------------------

const std::string kLayersKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
const std::string kGame = "C:\\Games\\GAME.EXE";

class LayerRegistry : public ::testing::Test {
 protected:
  void SetUp() override { ResetSim(); }

  // Every key the edge opened is the current user's, opened with only the right it needs, and
  // closed again.
  void TearDown() override {
    for (const SimKeyOpening& opening : Sim().registry.openings) {
      EXPECT_EQ(opening.hive, HKEY_CURRENT_USER);
      EXPECT_EQ(opening.path, kLayersKey);
      EXPECT_TRUE(opening.access == KEY_QUERY_VALUE || opening.access == KEY_SET_VALUE) << opening.access;
      if (opening.create) {
        EXPECT_EQ(opening.access, KEY_SET_VALUE);
      }
    }
    for (const std::string& open : Sim().registry.openKeys) EXPECT_EQ(open, "");
  }

  static void Store(const std::string& name, const std::string& data, DWORD type = REG_SZ) {
    Sim().registry.keys[SimCapitals(kLayersKey)][SimCapitals(name)] = {type, data};
  }
  static const SimRegistryValue* Stored(const std::string& name) {
    auto key = Sim().registry.keys.find(SimCapitals(kLayersKey));
    if (key == Sim().registry.keys.end()) return nullptr;
    auto value = key->second.find(SimCapitals(name));
    return value == key->second.end() ? nullptr : &value->second;
  }
  static std::string Text(const std::string& value) { return value + std::string(1, '\0'); }
};

TEST_F(LayerRegistry, ReadingTellsEveryWayAValueCanBeMissingOrUnfit) {
  using Status = AppLayersReading::Status;
  struct Case {
    const char* name;
    bool keyExists;
    const char* stored;  // the data stored as it stands, or null for no value
    size_t storedSize;
    DWORD type;
    const char* failingCall;
    Status status;
    std::string value;
  };
  const std::string longest(kLayerValueCapacity - 1, 'L');
  const std::string tooLong(kLayerValueCapacity, 'L');
  const std::string unterminated(kLayerValueCapacity, 'U');
  const std::vector<Case> cases = {
      {"no key", false, nullptr, 0, REG_SZ, "", Status::NoKey, ""},
      {"no value", true, nullptr, 0, REG_SZ, "", Status::NoValue, ""},
      {"a value", true, "~ 16BITCOLOR", 13, REG_SZ, "", Status::Found, "~ 16BITCOLOR"},
      {"without its NUL", true, "256COLOR", 8, REG_SZ, "", Status::Found, "256COLOR"},
      {"the longest that fits", true, longest.c_str(), kLayerValueCapacity, REG_SZ, "", Status::Found, longest},
      {"filling the buffer without its NUL", true, unterminated.c_str(), kLayerValueCapacity, REG_SZ, "",
       Status::Found, unterminated},
      {"too long for the buffer", true, tooLong.c_str(), kLayerValueCapacity + 1, REG_SZ, "", Status::TooLong, ""},
      {"a number", true, "\x01\0\0\0", 4, REG_DWORD, "", Status::NotText, ""},
      {"expandable text", true, "~ 256COLOR", 11, REG_EXPAND_SZ, "", Status::Found, "~ 256COLOR"},
      {"with two NULs at its end", true, "640X480\0", 9, REG_SZ, "", Status::Found, "640X480"},
      {"with a NUL inside", true, "256COLOR\0RUNASADMIN", 20, REG_SZ, "", Status::HoldsNul,
       std::string("256COLOR\0RUNASADMIN", 19)},
      {"the key refused", true, "~ 16BITCOLOR", 13, REG_SZ, "RegOpenKeyExA", Status::Failed, ""},
      {"the value refused", true, "~ 16BITCOLOR", 13, REG_SZ, "RegQueryValueExA", Status::Failed, ""},
  };
  for (const Case& c : cases) {
    ResetSim();
    if (c.keyExists) Sim().registry.keys[SimCapitals(kLayersKey)];
    if (c.stored != nullptr) Store(kGame, std::string(c.stored, c.storedSize), c.type);
    Sim().registry.failingCall = c.failingCall;
    AppLayersReading reading = ReadApplicationLayers("c:\\games\\game.exe");  // names match in any case
    EXPECT_EQ(reading.status, c.status) << c.name;
    EXPECT_EQ(reading.value, c.value) << c.name;
    EXPECT_EQ(reading.error, c.status == Status::Failed ? ERROR_ACCESS_DENIED : reading.error) << c.name;
    EXPECT_EQ(reading.place.location, AppLocation::LocalDrive) << c.name;
    for (const std::string& open : Sim().registry.openKeys) EXPECT_EQ(open, "") << c.name;
  }
}

// A program on a CD-ROM or removable drive: Windows keys its layers to the medium, so the value
// read is the one whose name is a medium's for the program's path, never the drive letter's.
TEST_F(LayerRegistry, OnRemovableMediaTheValueNamedForTheMediumIsRead) {
  using Status = AppLayersReading::Status;
  struct Case {
    const char* name;
    std::string path;
    std::vector<std::pair<std::string, std::string>> values;  // stored as text
    const char* failingCall;
    Status status;
    std::string value;
    int media;
    const char* said;  // in LayersText
  };
  const std::string cdGame = "D:\\Setup\\Game.exe";
  // Other programs' values and the drive letter's own, which Windows does not read for the medium.
  const std::vector<std::pair<std::string, std::string>> others = {
      {"D:\\Setup\\GAME.EXE", "~ 256COLOR"},
      {"SIGN.MEDIA=1A2B3C Setup\\OTHER.EXE", "~ 256COLOR"},
      {"SIGN.MEDIA=1A2B3C Old\\Setup\\GAME.EXE", "~ 256COLOR"},
      {"SIGN.MEDIA=1A2B3C My Setup\\GAME.EXE", "~ 256COLOR"},
      {std::string(3000, 'A'), "~ 256COLOR"},  // longer than any name the reading looks for
  };
  auto with = [&others](std::vector<std::pair<std::string, std::string>> values) {
    values.insert(values.end(), others.begin(), others.end());
    return values;
  };
  const std::vector<Case> cases = {
      {"one medium's value", cdGame, with({{"SIGN.MEDIA=1A2B3C Setup\\GAME.EXE", "~ 16BITCOLOR"}}), "",
       Status::Found, "~ 16BITCOLOR", 1, "\"~ 16BITCOLOR\"; Windows keeps them for the medium in D:"},
      {"named with a backslash first", cdGame, with({{"SIGN.MEDIA=77 \\Setup\\Game.exe", "640X480"}}), "",
       Status::Found, "640X480", 1, "only the program's own Compatibility tab sets them"},
      {"on a removable drive", "E:\\GAME.EXE", with({{"SIGN.MEDIA=4D GAME.EXE", "~ 256COLOR"}}), "",
       Status::Found, "~ 256COLOR", 1, "in E:"},
      {"named by a device path", "\\\\?\\D:\\Setup\\GAME.EXE",
       with({{"SIGN.MEDIA=1A2B3C Setup\\GAME.EXE", "~ 16BITCOLOR"}}), "", Status::Found, "~ 16BITCOLOR", 1, ""},
      {"no medium's value", cdGame, with({}), "", Status::NoValue, "", 0, "none; Windows keeps them for the medium"},
      {"two media's values", cdGame,
       with({{"SIGN.MEDIA=1A2B3C Setup\\GAME.EXE", "~ 16BITCOLOR"}, {"SIGN.MEDIA=9F9F Setup\\GAME.EXE", "~ 256COLOR"}}),
       "", Status::SeveralMedia, "", 2, "not known: 2 media hold values for its path"},
      {"the values cannot be listed", cdGame, with({{"SIGN.MEDIA=1A2B3C Setup\\GAME.EXE", "~ 16BITCOLOR"}}),
       "RegEnumValueA", Status::Failed, "", 0, "not readable (Windows error 5)"},
  };
  for (const Case& c : cases) {
    ResetSim();
    Sim().driveTypes['D'] = DRIVE_CDROM;
    Sim().driveTypes['E'] = DRIVE_REMOVABLE;
    for (const auto& [name, value] : c.values) Store(name, Text(value));
    Sim().registry.failingCall = c.failingCall;
    AppLayersReading reading = ReadApplicationLayers(c.path);
    EXPECT_EQ(reading.place.location, AppLocation::RemovableMedia) << c.name;
    EXPECT_EQ(reading.status, c.status) << c.name;
    EXPECT_EQ(reading.value, c.value) << c.name;
    EXPECT_EQ(reading.media, c.media) << c.name;
    std::string said = LayersText(reading, Rendering::Escaped);
    EXPECT_NE(said.find(c.said), std::string::npos) << c.name << ": " << said;
    for (const std::string& open : Sim().registry.openKeys) EXPECT_EQ(open, "") << c.name;
  }
  // Without the key no program has layers, on a medium or not.
  ResetSim();
  Sim().driveTypes['D'] = DRIVE_CDROM;
  EXPECT_EQ(ReadApplicationLayers(cdGame).status, Status::NoKey);
}

TEST_F(LayerRegistry, SettingWritesTheComposedValueAndKeepsTheOtherNames) {
  // Without the key: it is made, and the value is the tab's.
  LayerWriteOutcome outcome = SetApplicationLayers(kGame, {k16, false, false}, kWindows10);
  EXPECT_EQ(outcome.result, LayerWriteOutcome::Result::Written);
  ASSERT_NE(Stored(kGame), nullptr);
  EXPECT_EQ(Stored(kGame)->type, REG_SZ);
  EXPECT_EQ(Stored(kGame)->data, Text("~ 16BITCOLOR"));
  EXPECT_EQ(LayerOutcomeText(outcome, kGame, Rendering::Escaped),
            "The compatibility layers of C:\\Games\\GAME.EXE for this user are now \"~ 16BITCOLOR\".");

  Store(kGame, Text("~ RUNASADMIN 16BITCOLOR WINXPSP3"));
  Store("C:\\Other\\OTHER.EXE", Text("~ 256COLOR"));
  EXPECT_EQ(SetApplicationLayers(kGame, {k8, true, true}, kWindows10).result, LayerWriteOutcome::Result::Written);
  EXPECT_EQ(Stored(kGame)->data, Text("~ RUNASADMIN 256COLOR 640X480 DISABLEDXMAXIMIZEDWINDOWEDMODE WINXPSP3"));

  // With nothing left of the three, the other names stay; with nothing at all, the value goes.
  EXPECT_EQ(SetApplicationLayers(kGame, {}, kWindows10).result, LayerWriteOutcome::Result::Written);
  EXPECT_EQ(Stored(kGame)->data, Text("~ RUNASADMIN WINXPSP3"));
  Store(kGame, Text("~ 16BITCOLOR"));
  outcome = SetApplicationLayers(kGame, {}, kWindows10);
  EXPECT_EQ(outcome.result, LayerWriteOutcome::Result::Removed);
  EXPECT_EQ(Stored(kGame), nullptr);
  EXPECT_EQ(LayerOutcomeText(outcome, kGame, Rendering::Escaped), "C:\\Games\\GAME.EXE has no compatibility layers for this user now.");
  // Another program's value is never touched.
  ASSERT_NE(Stored("C:\\Other\\OTHER.EXE"), nullptr);
  EXPECT_EQ(Stored("C:\\Other\\OTHER.EXE")->data, Text("~ 256COLOR"));

  // Removing what is not there asks the registry nothing but the reading.
  Sim().calls.clear();
  EXPECT_EQ(SetApplicationLayers(kGame, {}, kWindows10).result, LayerWriteOutcome::Result::Removed);
  EXPECT_EQ(Sim().calls, (std::vector<std::string>{"GetDriveTypeA", "RegOpenKeyExA", "RegQueryValueExA", "RegCloseKey"}));
}

TEST_F(LayerRegistry, RefusalsAndFailuresLeaveTheValueAsItWas) {
  using Result = LayerWriteOutcome::Result;
  struct Case {
    const char* name;
    std::string path;
    const char* stored;  // the value there before, or null for none
    DWORD type;
    AppLayerSettings settings;
    WindowsVersion windows;
    const char* failingCall;
    Result result;
    const char* said;
  };
  const std::string nearlyFull = "~ " + std::string(kLayerValueCapacity - 12, 'X');
  const std::vector<Case> cases = {
      {"a share", "\\\\server\\share\\GAME.EXE", nullptr, REG_SZ, {k16, false, false}, kWindows10, "",
       Result::OnNetwork,
       "\\\\server\\share\\GAME.EXE lies on the network share \\\\server\\share, and Windows applies compatibility "
       "settings to programs on local drives only: copy it to a local drive first."},
      {"a mapped drive", "N:\\GAME.EXE", "~ 256COLOR", REG_SZ, {}, kWindows10, "", Result::OnNetwork,
       "lies on the network drive N:"},
      {"a CD-ROM", "D:\\Setup\\GAME.EXE", "~ 256COLOR", REG_SZ, {k16, false, false}, kWindows10, "",
       Result::OnRemovableMedia,
       "D:\\Setup\\GAME.EXE lies on D:, a CD-ROM or removable drive, and Windows keeps its compatibility settings "
       "for the medium in it, not for the drive letter: set them on the Compatibility tab of the program's own "
       "Properties."},
      {"a removable drive", "E:\\GAME.EXE", nullptr, REG_SZ, {}, kWindows10, "", Result::OnRemovableMedia,
       "lies on E:, a CD-ROM or removable drive"},
      {"not a full path", "GAME.EXE", nullptr, REG_SZ, {k8, false, false}, kWindows7, "", Result::NotFullPath,
       "GAME.EXE is not a full path"},
      {"a value that is not text", kGame, "\x01\0\0\0", REG_DWORD, {k16, false, false}, kWindows10, "",
       Result::Unreadable, "are left as they are: they are a value of registry type 4, which is not text."},
      {"a value too long to read", kGame, nullptr, REG_SZ, {k16, false, false}, kWindows10, "", Result::Unreadable,
       "a value longer than 1023 bytes, not read"},
      {"the key cannot be read", kGame, "~ 256COLOR", REG_SZ, {k16, false, false}, kWindows10, "RegOpenKeyExA",
       Result::Unreadable, "not readable (Windows error 5)"},
      {"not on this version", kGame, "256COLOR", REG_SZ, {k16, false, false}, kWindows7, "", Result::Unavailable,
       "This version of Windows does not offer 16BITCOLOR"},
      {"too long to write", kGame, nearlyFull.c_str(), REG_SZ, {k16, true, false}, kWindows10, "", Result::TooLong,
       "would be longer than 1023 bytes"},
      {"the key cannot be made", kGame, nullptr, REG_SZ, {k16, false, false}, kWindows10, "RegCreateKeyExA",
       Result::Failed, "Windows refused to change the compatibility layers of C:\\Games\\GAME.EXE (RegCreateKeyExA, error 5)."},
      {"the write fails", kGame, "~ 256COLOR", REG_SZ, {k16, false, false}, kWindows10, "RegSetValueExA",
       Result::Failed, "(RegSetValueExA, error 5)"},
      {"the delete fails", kGame, "~ 256COLOR", REG_SZ, {}, kWindows10, "RegDeleteValueA", Result::Failed,
       "(RegDeleteValueA, error 5)"},
  };
  for (const Case& c : cases) {
    ResetSim();
    Sim().driveTypes['N'] = DRIVE_REMOTE;
    Sim().driveTypes['D'] = DRIVE_CDROM;
    Sim().driveTypes['E'] = DRIVE_REMOVABLE;
    std::string before;
    if (c.stored != nullptr) {
      before = c.type == REG_SZ ? Text(c.stored) : std::string(c.stored, 4);
      Store(c.path, before, c.type);
    }
    if (std::string(c.name) == "a value too long to read") Store(c.path, std::string(2000, 'A'));
    Sim().registry.failingCall = c.failingCall;
    LayerWriteOutcome outcome = SetApplicationLayers(c.path, c.settings, c.windows);
    EXPECT_EQ(outcome.result, c.result) << c.name;
    EXPECT_NE(LayerOutcomeText(outcome, c.path, Rendering::Escaped).find(c.said), std::string::npos)
        << c.name << ": " << LayerOutcomeText(outcome, c.path, Rendering::Escaped);
    if (c.stored != nullptr) {
      ASSERT_NE(Stored(c.path), nullptr) << c.name;
      EXPECT_EQ(Stored(c.path)->data, before) << c.name;
    }
    // A refusal writes nothing at all.
    bool refused = c.result != Result::Failed;
    for (const std::string& call : Sim().calls) {
      bool writes = call == "RegCreateKeyExA" || call == "RegSetValueExA" || call == "RegDeleteValueA";
      EXPECT_FALSE(refused && writes) << c.name << ": " << call;
    }
  }
}

// A value of either text type is rewritten in the tab's form; one with a NUL before its end is
// left whole rather than cut at the NUL.
TEST_F(LayerRegistry, TextOfEitherTypeIsRewrittenAndAValueWithANulInsideIsLeftWhole) {
  using Result = LayerWriteOutcome::Result;
  struct Case {
    const char* name;
    std::string data;
    DWORD type;
    Result result;
    std::string after;
  };
  const std::string nulInside = Text(std::string("~ RUNASADMIN\0WINXPSP3", 21));
  const std::vector<Case> cases = {
      {"expandable text", Text("~ RUNASADMIN WINXPSP3"), REG_EXPAND_SZ, Result::Written,
       Text("~ RUNASADMIN 640X480 WINXPSP3")},
      {"a NUL inside", nulInside, REG_SZ, Result::Unreadable, nulInside},
  };
  for (const Case& c : cases) {
    ResetSim();
    Store(kGame, c.data, c.type);
    LayerWriteOutcome outcome = SetApplicationLayers(kGame, {ReducedColour::Off, true, false}, kWindows10);
    EXPECT_EQ(outcome.result, c.result) << c.name;
    ASSERT_NE(Stored(kGame), nullptr) << c.name;
    EXPECT_EQ(Stored(kGame)->data, c.after) << c.name;
    EXPECT_EQ(Stored(kGame)->type, c.result == Result::Written ? REG_SZ : c.type) << c.name;
  }
}

}  // namespace
