// The configuration file: stored form, entries, integer lists and what each entry sets.
#include "launcher/config_file.h"
#include "tests/unit/launcher_fixture.h"

#include <sys/stat.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using Values = std::vector<int32_t>;

TEST(StoredForm, EveryByteButEachThirdIsComplementedAndTheTransformUndoesItself) {
  EXPECT_EQ(Encode("abc"), std::string("\x61\x9D\x9C"));
  std::string text = "WIDTH:640\r\nHEIGHT:480\r\n";
  EXPECT_EQ(Encode(Encode(text)), text);
  // Only the bytes read are touched.
  char buffer[] = {'a', 'b', 'c', 'd'};
  DecodeConfigBuffer(buffer, 2);
  EXPECT_EQ(std::string(buffer, 4), std::string("a\x9D" "cd"));
}

struct ListCase {
  const char* text;
  bool accepted;
  Values values;
};

class IntegerList : public ::testing::TestWithParam<ListCase> {};

TEST_P(IntegerList, ReadsNumbersByThePercentIRules) {
  const ListCase& c = GetParam();
  Values values;
  EXPECT_EQ(ReadIntegerList(c.text, values), c.accepted) << c.text;
  EXPECT_EQ(values, c.values) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, IntegerList,
    ::testing::Values(ListCase{"640", true, {640}}, ListCase{"640,800,1024", true, {640, 800, 1024}},
                      ListCase{"640, 800", true, {640, 800}}, ListCase{"0x280", true, {640}},
                      ListCase{"0X280", true, {640}}, ListCase{"0640", true, {416}},
                      ListCase{"-1", true, {-1}}, ListCase{"+7", true, {7}},
                      ListCase{"\t\v\f 42", true, {42}},
                      ListCase{"640x480,800", true, {640, 800}}, ListCase{"640,", true, {640}},
                      ListCase{"640,,800", true, {640}}, ListCase{"640,abc,800", true, {640}},
                      ListCase{"abc,640", true, {}}, ListCase{",640", true, {}},
                      ListCase{"abc", false, {}}, ListCase{"", false, {}},
                      ListCase{"-", false, {}}, ListCase{"08", true, {0}},
                      ListCase{"0x", true, {0}}, ListCase{"0xg,5", true, {0, 5}},
                      ListCase{"-0x10", true, {-16}},
                      // Numbers beyond 32 bits keep their low 32 bits.
                      ListCase{"4294967295", true, {-1}}, ListCase{"4294967296", true, {0}},
                      ListCase{"2147483648", true, {INT_MIN}},
                      ListCase{"99999999999", true, {1215752191}},
                      ListCase{"-4294967297", true, {-1}}));

struct EntryCase {
  const char* entry;
  bool accepted;
  EntryKind kind;
  Values values;
  const char* text;
};

class Entry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(Entry, KeyColonValue) {
  const EntryCase& c = GetParam();
  std::string entry = c.entry;
  ModeCriterion criterion;
  ASSERT_EQ(criterion.ParseEntry(entry.data()), c.accepted) << c.entry;
  if (!c.accepted) return;
  EXPECT_EQ(criterion.kind, c.kind) << c.entry;
  EXPECT_EQ(criterion.values, c.values) << c.entry;
  EXPECT_EQ(criterion.text, c.text) << c.entry;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Entry,
    ::testing::Values(
        EntryCase{"WIDTH:640", true, EntryKind::Width, {640}, ""},
        EntryCase{"height:480", true, EntryKind::Height, {480}, ""},
        EntryCase{"DePtH:32,24", true, EntryKind::Depth, {32, 24}, ""},
        EntryCase{"freq: 85", true, EntryKind::Freq, {85}, ""},
        EntryCase{"STRICT:1", true, EntryKind::Strict, {1}, ""},
        EntryCase{"Backdrop:1", true, EntryKind::Backdrop, {1}, ""},
        EntryCase{"WIDTH:abc,640", true, EntryKind::Width, {}, ""},
        EntryCase{"path:C:/Apps/show.exe", true, EntryKind::Path, {}, "C:\\Apps\\show.exe"},
        EntryCase{"PATH:media/a:b.exe", true, EntryKind::Path, {}, "media\\a:b.exe"},
        EntryCase{"PATH:", true, EntryKind::Path, {}, ""},
        EntryCase{"", false, EntryKind::None, {}, ""},
        EntryCase{"WIDTH", false, EntryKind::None, {}, ""},
        EntryCase{":640", false, EntryKind::None, {}, ""},
        EntryCase{" WIDTH:640", false, EntryKind::None, {}, ""},
        EntryCase{"WIDTH :640", false, EntryKind::None, {}, ""},
        EntryCase{"WIDTHS:640", false, EntryKind::None, {}, ""},
        EntryCase{"WIDTH:abc", false, EntryKind::None, {}, ""},
        EntryCase{"WIDTH:", false, EntryKind::None, {}, ""},
        // Only a to z are upper-cased: a Latin-1 letter keeps the key from matching.
        EntryCase{"p\xe1th:x", false, EntryKind::None, {}, ""}));

std::vector<std::string> EntriesOf(std::string text) {
  std::vector<std::string> entries;
  text.push_back('\0');
  WalkConfigEntries(text.data(), [&](char* entry) { entries.emplace_back(entry); });
  return entries;
}

TEST(EntryWalk, SeparatorsRunsAndTheEndOfTheText) {
  using List = std::vector<std::string>;
  EXPECT_EQ(EntriesOf("WIDTH:640;HEIGHT:480\r"), (List{"WIDTH:640", "HEIGHT:480"}));
  const char* sameEntries[] = {"A:1\r\nB:2\r\n", "A:1\nB:2\n", "A:1\rB:2\r",
                               "\r\n;\n\nA:1;;\r\r;B:2;\n", ";A:1\n\n\nB:2\r;;"};
  for (const char* text : sameEntries) EXPECT_EQ(EntriesOf(text), (List{"A:1", "B:2"})) << text;
  // A run that reaches the end of the text without a separator is no entry.
  EXPECT_EQ(EntriesOf("A:1;B:2"), (List{"A:1"}));
  // The text ends at its first NUL; what runs into it is dropped, what follows is never read.
  EXPECT_EQ(EntriesOf(std::string("A:1;B:2\0C:3;", 12)), (List{"A:1"}));
  EXPECT_EQ(EntriesOf(std::string("A:1;\0C:3;", 9)), (List{"A:1"}));
  EXPECT_EQ(EntriesOf(std::string("\0A:1;", 5)), (List{}));
  EXPECT_EQ(EntriesOf(""), (List{}));
  EXPECT_EQ(EntriesOf("\r\n;"), (List{}));
}

// Reading a configuration from files beside the launcher.
class LoadConfiguration : public LauncherTest {
 protected:
  int Load() {
    context_.reset(new LaunchContext(Sim().modulePath.c_str()));
    return context_->LoadConfiguration(context_->configPath);
  }
  std::unique_ptr<LaunchContext> context_;
};

TEST_F(LoadConfiguration, TheFirstCandidateThatOpensIsTheOneRead) {
  // Both present: only Kavelo2.ini counts.
  Sim().modulePath = ProgramPath("start.old.exe");
  WriteConfig("WIDTH:640\n", "Kavelo2.ini");
  WriteConfig("WIDTH:800\nHEIGHT:600\n", "start.ini");
  EXPECT_EQ(Load(), 1);

  // Only the launcher's own base name: it is read, and configPath now names it.
  std::remove(ProgramPath("Kavelo2.ini").c_str());
  EXPECT_EQ(Load(), 2);
  EXPECT_EQ(std::string(context_->configPath), ProgramPath("start.ini"));
  EXPECT_TRUE(Sim().messageBoxes.empty());

  // An empty first candidate ends the reading without a word, though the second holds entries.
  WriteFile("Kavelo2.ini", "");
  EXPECT_EQ(Load(), 0);
  EXPECT_TRUE(Sim().messageBoxes.empty());
}

TEST_F(LoadConfiguration, NoCandidateShowsTheMissingFileBox) {
  EXPECT_EQ(Load(), 0);
  ASSERT_EQ(Sim().messageBoxes.size(), 1u);
  const SimMessageBox& box = Sim().messageBoxes[0];
  EXPECT_EQ(box.text, "Kavelo2 failed to find an '.ini' file.");
  EXPECT_EQ(box.caption, "Kavelo2 Error");
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.type, MB_OK);
}

TEST_F(LoadConfiguration, ASecondCandidateTooLongForItsFieldCountsAsNotFound) {
  // Directory and base name together exceed the 1019 characters that leave room for ".ini".
  Sim().modulePath = folder_ + "/\\" + std::string(1020 - folder_.size() - 2, 'b') + ".exe";
  EXPECT_EQ(Load(), 0);
  ASSERT_EQ(Sim().messageBoxes.size(), 1u);
  EXPECT_EQ(Sim().messageBoxes[0].text, "Kavelo2 failed to find an '.ini' file.");
  EXPECT_EQ(std::string(context_->configPath), ProgramPath("Kavelo2.ini"));
}

TEST_F(LoadConfiguration, OnlyTheFirst998BytesAreRead) {
  // The width's last two digits lie beyond byte 998.
  std::string text = std::string(989, '\n') + "WIDTH:64099\n";
  WriteConfig(text);
  ASSERT_EQ(Load(), 1);
  EXPECT_EQ(context_->criteria[0].values, Values{640});
}

TEST_F(LoadConfiguration, PlainTextAndPathOrFlagOnlyFilesGiveNoCriteria) {
  WriteFile("Kavelo2.ini", "WIDTH:640\r\nHEIGHT:480\r\n");
  EXPECT_EQ(Load(), 0);
  WriteConfig("PATH:C:/x.exe\nSTRICT:1\nBACKDROP:1\n");
  EXPECT_EQ(Load(), 0);
  EXPECT_TRUE(context_->strictMode);
  EXPECT_TRUE(context_->backdropEnabled);
  EXPECT_STREQ(context_->applicationPath, "C:\\x.exe");
  EXPECT_TRUE(Sim().messageBoxes.empty());
}

TEST_F(LoadConfiguration, TheExampleFileAndAStoredNul) {
  WriteConfig("WIDTH:800\nHEIGHT:600\nDEPTH:32,24\nBACKDROP:1\nPATH:media/show.exe\n");
  ASSERT_EQ(Load(), 3);
  EXPECT_EQ(context_->criteria[0].kind, EntryKind::Width);
  EXPECT_EQ(context_->criteria[2].values, (Values{32, 24}));
  EXPECT_TRUE(context_->backdropEnabled);
  EXPECT_FALSE(context_->strictMode);
  EXPECT_EQ(std::string(context_->applicationPath), ProgramPath("media\\show.exe"));

  WriteConfig(std::string("WIDTH:640\nHEIGHT:480\0\nDEPTH:32\n", 30));
  EXPECT_EQ(Load(), 1);
}

struct SettingCase {
  const char* text;
  bool strict;
  bool backdrop;
  const char* applicationName;  // beside the launcher; null for an absolute path
  const char* absolutePath;
};

class Settings : public LoadConfiguration,
                 public ::testing::WithParamInterface<SettingCase> {};

TEST_P(Settings, StrictBackdropAndPathEntries) {
  const SettingCase& c = GetParam();
  WriteConfig(std::string("WIDTH:640\n") + c.text);
  ASSERT_EQ(Load(), 1);
  EXPECT_EQ(context_->strictMode, c.strict) << c.text;
  EXPECT_EQ(context_->backdropEnabled, c.backdrop) << c.text;
  std::string expected = c.applicationName ? ProgramPath(c.applicationName) : c.absolutePath;
  EXPECT_EQ(std::string(context_->applicationPath), expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Settings,
    ::testing::Values(
        SettingCase{"", false, false, "PROJECTOR.EXE", nullptr},
        SettingCase{"STRICT:1\nBACKDROP:2\n", true, true, "PROJECTOR.EXE", nullptr},
        SettingCase{"STRICT:0\nBACKDROP:-1\n", false, false, "PROJECTOR.EXE", nullptr},
        SettingCase{"STRICT:abc,1\nBACKDROP:,1\n", false, false, "PROJECTOR.EXE", nullptr},
        SettingCase{"STRICT:0,1\n", false, false, "PROJECTOR.EXE", nullptr},
        SettingCase{"STRICT:1\nSTRICT:0\nBACKDROP:1\nBACKDROP:0\n", true, true, "PROJECTOR.EXE",
                    nullptr},
        SettingCase{"PATH:C:/Apps/show.exe\n", false, false, nullptr, "C:\\Apps\\show.exe"},
        SettingCase{"PATH:a.exe\nPATH:b.exe\n", false, false, "b.exe", nullptr},
        SettingCase{"PATH:\n", false, false, "", nullptr},
        SettingCase{"PATH: C:/x.exe\n", false, false, " C:\\x.exe", nullptr},
        SettingCase{"PATH:C\n", false, false, "C", nullptr},
        SettingCase{"PATH:dir/a;b.exe\n", false, false, "dir\\a", nullptr},
        SettingCase{"path:x.exe\n PATH:y.exe\nPATHx:z.exe\n", false, false, "x.exe", nullptr}));

TEST_F(LoadConfiguration, ARelativePathTooLongForTheFieldIsNotTaken) {
  // A launcher deep enough that PROJECTOR.EXE fits beside it but a longer value does not.
  std::string deep = folder_;
  for (int level = 0; level < 4; ++level) {
    deep += "/" + std::string(200, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  }
  Sim().modulePath = deep + "/\\Kavelo2.exe";
  size_t directoryLength = deep.size() + 2;
  std::string value(1023 - directoryLength + 1, 'a');
  std::string text = "PATH:ok.exe\nPATH:" + value + "\nWIDTH:640\n";
  ASSERT_LE(text.size(), kConfigReadLimit);
  ASSERT_TRUE(WriteWholeFile(deep + "/\\Kavelo2.ini", Encode(text)));
  ASSERT_EQ(Load(), 1);
  EXPECT_EQ(std::string(context_->applicationPath), deep + "/\\ok.exe");
}

TEST_F(LoadConfiguration, EachModeEntryAddsACriterionInFileOrder) {
  WriteConfig("WIDTH:800\nWIDTH:1024\nFREQ:abc,60\nDEPTH:16\nnonsense\nKEY:1\n");
  ASSERT_EQ(Load(), 4);
  EXPECT_EQ(context_->criteria[0].values, Values{800});
  EXPECT_EQ(context_->criteria[1].values, Values{1024});
  EXPECT_EQ(context_->criteria[2].kind, EntryKind::Freq);
  EXPECT_TRUE(context_->criteria[2].values.empty());
  EXPECT_EQ(context_->criteria[3].kind, EntryKind::Depth);
}

}  // namespace
