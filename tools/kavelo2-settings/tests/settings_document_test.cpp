// Kavelo2 Settings' model on the host: reading each file form, loading entries into the lists,
// the text each selection writes, the read limit, and what saving does to the document.
#include "launcher/config_file.h"
#include "platform/sim/sim_platform.h"
#include "tests/support/sim_script.h"
#include "tools/model/app_layers.h"
#include "tools/model/check_report.h"
#include "tools/kavelo2-settings/settings_document.h"
#include "tools/model/finding_text.h"
#include "tools/machine/files.h"
#include "tools/kavelo2-settings/settings_explain.h"
#include "tools/kavelo2-settings/trial.h"
#include "tools/kavelo2-settings/launcher_description.h"
#include "tools/model/version_block.h"
#include "tests/support/program_images.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A small display: three sizes at 32 bits and 60 Hz, one at 16 bits and 75 Hz.
ModeCatalogue Display() {
  return {MakeMode(640, 480, 32, 60), MakeMode(800, 600, 32, 60), MakeMode(1024, 768, 32, 60),
          MakeMode(800, 600, 16, 75)};
}

std::string Utf16(const std::string& text, bool bigEndian, bool marker) {
  std::string bytes = marker ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char c : text) {
    bytes += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
  }
  return bytes;
}

SettingsDocument Loaded(const std::string& text) {
  SettingsDocument document;
  document.folder = "C:\\Games\\Old\\";
  document.catalogue = Display();
  document.currentMode = Display()[2];
  document.Load({FileForm::Stored, text, 0, WalkEntries(text)}, text.size());
  return document;
}

// The selected values of one list, in list order.
std::vector<int32_t> Selected(const SettingsDocument& document, EntryKind kind) {
  std::vector<int32_t> values;
  for (const ValueChoice& choice : document.List(kind)) {
    if (choice.selected) values.push_back(choice.value);
  }
  return values;
}

void Select(SettingsDocument& document, EntryKind kind, std::vector<int32_t> values) {
  for (ValueChoice& choice : document.List(kind)) {
    choice.selected = false;
    for (int32_t value : values) choice.selected = choice.selected || choice.value == value;
  }
}

std::string Notes(const SettingsDocument& document) {
  std::string notes;
  for (const UnshownEntry& entry : document.unshown) notes += entry.entry + " => " + UnshownNote(entry) + "\n";
  return notes;
}

TEST(SettingsFileForms, EachFormGivesThePlainText) {
  const std::string text = "WIDTH:640\r\nHEIGHT:480\r\n";
  struct Case {
    const char* name;
    std::string bytes;
    FileForm form;
    const char* description;
  };
  const Case cases[] = {
      {"stored form", StoredForm(text), FileForm::Stored, "Stored form, 23 bytes."},
      {"plain text", text, FileForm::Plain, "Plain text, 23 bytes"},
      {"UTF-16 little-endian with marker", Utf16(text, false, true), FileForm::Utf16, "UTF-16"},
      {"UTF-16 big-endian with marker", Utf16(text, true, true), FileForm::Utf16, "UTF-16"},
      {"UTF-16 little-endian without marker", Utf16(text, false, false), FileForm::Utf16, "UTF-16"},
      {"UTF-16 big-endian without marker", Utf16(text, true, false), FileForm::Utf16, "UTF-16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FileText file = ReadFileText(c.bytes);
    EXPECT_EQ(file.form, c.form);
    EXPECT_EQ(file.text, text);
    SettingsDocument document;
    document.Load(file, c.bytes.size());
    std::string description = FormDescription(document);
    EXPECT_NE(description.find(c.description), std::string::npos) << description;
    if (c.form != FileForm::Stored) {
      EXPECT_NE(description.find("stored form"), std::string::npos) << description;
    }
  }
}

TEST(SettingsFileForms, EdgeFiles) {
  // An empty file is the launcher's (it reads no byte), and saving fills it.
  FileText empty = ReadFileText("");
  EXPECT_EQ(empty.form, FileForm::Stored);
  EXPECT_EQ(empty.text, "");
  // Text never encoded is plain; loading it leaves the document to be saved in the stored form.
  SettingsDocument document;
  document.Load(ReadFileText("WIDTH:640\n"), 10);
  EXPECT_EQ(document.form, FileForm::Plain);
  EXPECT_TRUE(document.IsChanged());
  // A stored file with nothing the launcher accepts either way stays the stored form.
  EXPECT_EQ(ReadFileText(StoredForm("hello")).form, FileForm::Stored);
  // UTF-16 characters that 8-bit text cannot hold become '?', and the user is told.
  FileText wide = ReadFileText(std::string("\xFF\xFE" "P\0A\0:\0\x3A\x26", 10));
  EXPECT_EQ(wide.text, "PA:?");
  document.Load(wide, 10);
  EXPECT_NE(FormDescription(document).find("1 character"), std::string::npos) << FormDescription(document);
  // Five megabytes of NULs: the launcher reads their text as empty, and both lines say so.
  document.Load(ReadFileText(std::string(kHeldFileBytes, '\0')), 5000000);
  std::string told = FormDescription(document);
  EXPECT_NE(told.find("5000000 bytes"), std::string::npos) << told;
  EXPECT_NE(told.find("NUL"), std::string::npos) << told;
  ConfigCheck check = document.Check();
  EXPECT_EQ(Judge(check).cause->kind, FindingKind::EmptyFile);
}

// What a file's bytes are as the dialog opens them: an editor's UTF-8 mark in front of plain text
// is dropped (its first entry kept) and told; bytes that are no text either way list no gibberish
// as ignored entries, and are told as what they are; a text without entries is still text.
TEST(SettingsFileForms, OpeningTellsWhatTheBytesAre) {
  std::string noise;
  for (unsigned seed = 7; noise.size() < 3000;) {
    seed = seed * 1103515245u + 12345u;
    noise += static_cast<char>(seed >> 16);
  }
  struct Case {
    const char* name;
    std::string bytes;
    FileForm form;
    bool mark, noText;
    std::vector<int32_t> widths;
    size_t unshown;
    const char* told;  // in the form line
  };
  const std::string mark = "\xEF\xBB\xBF";
  const Case cases[] = {
      {"UTF-8 with its mark", mark + "WIDTH:800\r\nHEIGHT:600\r\n", FileForm::Plain, true, false, {800}, 0,
       "byte order mark"},
      {"the mark and one entry", mark + "WIDTH:800", FileForm::Plain, true, false, {800}, 0, "byte order mark"},
      {"the mark and an unknown key", mark + "COLOR:16\r\n", FileForm::Plain, true, false, {}, 1, "byte order mark"},
      {"the stored form", StoredForm("WIDTH:800\r\n"), FileForm::Stored, false, false, {800}, 0, "Stored form"},
      {"a stored text without entries", StoredForm("hello, world\r\n"), FileForm::Stored, false, false, {}, 1,
       "Stored form"},
      {"3000 bytes of noise", noise, FileForm::Stored, false, true, {}, 0, "no text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsDocument document = Loaded("");
    document.LoadBytes(c.bytes, c.bytes.size());
    EXPECT_EQ(document.form, c.form);
    EXPECT_EQ(document.utf8Mark, c.mark);
    EXPECT_EQ(document.noText, c.noText);
    EXPECT_EQ(document.fileSize, c.bytes.size());
    EXPECT_EQ(Selected(document, EntryKind::Width), c.widths);
    EXPECT_EQ(document.unshown.size(), c.unshown) << Notes(document);
    EXPECT_TRUE(document.loadedLimits.empty());
    EXPECT_NE(FormDescription(document).find(c.told), std::string::npos) << FormDescription(document);
  }
}

TEST(SettingsDocumentLoad, EntriesBecomeSelectionsChecksAndPath) {
  SettingsDocument document =
      Loaded("width:800,640\r\nHEIGHT:600;DEPTH:32\nFREQ:75\rSTRICT:1\nBACKDROP:2\nPATH:game/run.exe\n");
  EXPECT_EQ(Selected(document, EntryKind::Width), (std::vector<int32_t>{640, 800}));
  EXPECT_EQ(Selected(document, EntryKind::Height), (std::vector<int32_t>{600}));
  EXPECT_EQ(Selected(document, EntryKind::Depth), (std::vector<int32_t>{32}));
  EXPECT_EQ(Selected(document, EntryKind::Freq), (std::vector<int32_t>{75}));
  EXPECT_TRUE(document.strict);
  EXPECT_TRUE(document.backdrop);
  EXPECT_EQ(document.application, "game\\run.exe");
  EXPECT_TRUE(document.unshown.empty()) << Notes(document);
  EXPECT_FALSE(document.IsChanged());
}

// The switches are the launcher's: the first value of an entry decides, and an entry that turns
// one on leaves it on whatever follows; what the document saves turns on exactly those.
TEST(SettingsDocumentLoad, SwitchesAreOnWhereTheLauncherTurnsThemOn) {
  struct Case {
    const char* text;
    bool strict, backdrop, waitAll;
  };
  const Case cases[] = {
      {"STRICT:1,0\nBACKDROP:2,0\nWAITALL:3,-1\n", true, true, true},
      {"STRICT:1\nSTRICT:0\nBACKDROP:1\nBACKDROP:0\nWAITALL:1\nWAITALL:0\n", true, true, true},
      {"STRICT:0\nSTRICT:1\nBACKDROP:0\nBACKDROP:1\n", true, true, false},
      {"STRICT:0,1\nBACKDROP:-1,2\nWAITALL:abc,1\nWAITALL:\n", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SettingsDocument document = Loaded(std::string("WIDTH:640\n") + c.text);
    EXPECT_EQ(document.strict, c.strict);
    EXPECT_EQ(document.backdrop, c.backdrop);
    EXPECT_EQ(document.waitAll, c.waitAll);
    // Saved and read again by the launcher's own reading, as the check reads it.
    ConfigCheck check = document.Check();
    EXPECT_EQ(check.strictMode, c.strict);
    EXPECT_EQ(check.backdropEnabled, c.backdrop);
    EXPECT_EQ(check.waitAllEnabled, c.waitAll);
  }
}

TEST(SettingsDocumentLoad, ListsOfferTheDisplaysValuesAndMarkTheFilesOthers) {
  SettingsDocument document = Loaded("WIDTH:1152,800\nDEPTH:0x18\n");
  const std::vector<ValueChoice>& widths = document.List(EntryKind::Width);
  ASSERT_EQ(widths.size(), 4u);
  const int32_t values[] = {640, 800, 1024, 1152};
  const bool offered[] = {true, true, true, false};
  const bool selected[] = {false, true, false, true};
  for (size_t i = 0; i < widths.size(); ++i) {
    EXPECT_EQ(widths[i].value, values[i]);
    EXPECT_EQ(widths[i].offered, offered[i]) << values[i];
    EXPECT_EQ(widths[i].selected, selected[i]) << values[i];
  }
  // 0x18 is read as the launcher reads it: 24, which the display does not offer.
  ASSERT_EQ(document.List(EntryKind::Depth).size(), 3u);
  EXPECT_EQ(document.List(EntryKind::Depth)[1].value, 24);
  EXPECT_FALSE(document.List(EntryKind::Depth)[1].offered);
  EXPECT_EQ(document.List(EntryKind::Freq).size(), 2u);
}

TEST(SettingsDocumentLoad, EntriesTheDialogCannotShowAreListedWithWhatSavingDoes) {
  using Reason = UnshownEntry::Reason;
  struct Case {
    const char* text;
    std::vector<int32_t> widths;  // selected afterwards
    std::vector<std::tuple<std::string, Reason, int>> unshown;  // with its line in the file
    const char* application = "";
  };
  const Case cases[] = {
      {"WIDHT:800\nWIDTH 640\nWIDTH:640", {640}, {{"WIDHT:800", Reason::Ignored, 1}, {"WIDTH 640", Reason::Ignored, 2}}},
      {"WIDTH:640,800\nWIDTH:800,1024", {800}, {{"WIDTH:800,1024", Reason::SecondKept, 2}}},
      {"WIDTH:640\r\n\r\nWIDTH:800", {}, {{"WIDTH:800", Reason::SecondNoCommon, 3}}},
      {"WIDTH:abc,640", {}, {{"WIDTH:abc,640", Reason::NoNumber, 1}}},
      {"STRICT:0\nSTRICT:1;WAITALL:1\nWAITALL:0", {},
       {{"STRICT:1", Reason::SecondSwitch, 2}, {"WAITALL:0", Reason::SecondSwitch, 3}}},
      {"PATH:a.exe\nPATH:b.exe", {}, {{"PATH:a.exe", Reason::ReplacedPath, 1}}, "b.exe"},
      // An empty PATH that counts: the field can show no path, and saving writes none.
      {"PATH:a.exe\nPATH:", {}, {{"PATH:a.exe", Reason::ReplacedPath, 1}, {"PATH:", Reason::EmptyPath, 2}}},
      {"PATH:\nPATH:b.exe", {}, {{"PATH:", Reason::ReplacedPath, 1}}, "b.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SettingsDocument document = Loaded(c.text);
    EXPECT_EQ(Selected(document, EntryKind::Width), c.widths);
    std::vector<std::tuple<std::string, Reason, int>> unshown;
    for (const UnshownEntry& entry : document.unshown) unshown.emplace_back(entry.entry, entry.reason, entry.line);
    EXPECT_EQ(unshown, c.unshown) << Notes(document);
    EXPECT_EQ(document.application, c.application);
  }
  SettingsDocument flags = Loaded("STRICT:0\nSTRICT:1\nPATH:a.exe\nPATH:b.exe");
  EXPECT_TRUE(flags.strict);
}

TEST(SettingsDocumentLoad, OnlyWhatTheLauncherReadsIsLoaded) {
  std::string text = "WIDTH:640\n" + std::string(kConfigReadLimit - 14, ';') + "HEIGHT:480\n";
  SettingsDocument document = Loaded(text);
  // The limit cuts HEIGHT:480 to "HEI", an entry without a colon.
  EXPECT_TRUE(Selected(document, EntryKind::Height).empty());
  EXPECT_EQ(Selected(document, EntryKind::Width), (std::vector<int32_t>{640}));
  ASSERT_EQ(document.loadedLimits.size(), 1u);
  EXPECT_EQ(document.loadedLimits[0].kind, FindingKind::ReadLimit);
  EXPECT_TRUE(Loaded("WIDTH:640\n").loadedLimits.empty());
}

TEST(SettingsDocumentCompose, EachSelectionWritesItsEntryInAFixedOrder) {
  struct Case {
    const char* name;
    std::vector<int32_t> widths, heights, depths, rates;
    bool strict, backdrop, waitAll;
    std::string application;
    std::string text;
  };
  const Case cases[] = {
      {"nothing selected", {}, {}, {}, {}, false, false, false, "", ""},
      {"one value of each kind",
       {800}, {600}, {32}, {60}, true, true, true, "run.exe",
       "WIDTH:800\r\nHEIGHT:600\r\nDEPTH:32\r\nFREQ:60\r\nSTRICT:1\r\nBACKDROP:1\r\nWAITALL:1\r\nPATH:run.exe\r\n"},
      {"several values, in list order", {1024, 640}, {}, {16, 32}, {}, false, false, false, "",
       "WIDTH:640,1024\r\nDEPTH:16,32\r\n"},
      {"a path inside the folder is written relative", {}, {600}, {}, {}, false, false, false,
       "c:/games/OLD/bin/run.exe", "HEIGHT:600\r\nPATH:bin\\run.exe\r\n"},
      {"a path elsewhere is written whole", {}, {}, {}, {75}, false, true, false, "D:\\Other\\run.exe",
       "FREQ:75\r\nBACKDROP:1\r\nPATH:D:\\Other\\run.exe\r\n"},
      {"waiting for all before the path", {640}, {}, {}, {}, false, false, true, "run.exe",
       "WIDTH:640\r\nWAITALL:1\r\nPATH:run.exe\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsDocument document = Loaded("");
    Select(document, EntryKind::Width, c.widths);
    Select(document, EntryKind::Height, c.heights);
    Select(document, EntryKind::Depth, c.depths);
    Select(document, EntryKind::Freq, c.rates);
    document.strict = c.strict;
    document.backdrop = c.backdrop;
    document.waitAll = c.waitAll;
    document.application = c.application;
    EXPECT_EQ(document.ComposeText(), c.text);
    EXPECT_EQ(document.IsChanged(), !c.text.empty());
  }
}

TEST(SettingsDocumentCompose, LoadingWhatWasWrittenGivesTheSameSettings) {
  SettingsDocument document = Loaded("WIDTH:1152,640\nHEIGHT:480\nDEPTH:16\nSTRICT:1\nPATH:x\\y.exe");
  std::string text = document.ComposeText();
  EXPECT_EQ(Loaded(text).ComposeText(), text);
  // What the launcher makes of it: three criteria, in the written order.
  std::string launcherText = text + "\r";
  std::vector<EntryKind> kinds;
  WalkConfigEntries(launcherText.data(), [&kinds](char* entry) {
    ModeCriterion criterion;
    if (criterion.ParseEntry(entry)) kinds.push_back(criterion.kind);
  });
  EXPECT_EQ(kinds, (std::vector<EntryKind>{EntryKind::Width, EntryKind::Height, EntryKind::Depth,
                                           EntryKind::Strict, EntryKind::Path}));
}

TEST(SettingsDocumentCompose, RefusesTextTheLauncherCannotRead) {
  using Kind = SaveRefusal::Kind;
  // Widths the display does not offer stay selected: with 150 of them the text nears the limit
  // with an application path that Windows can still start.
  std::string widths = "10000";
  for (int width = 10001; width < 10150; ++width) widths += "," + std::to_string(width);
  SettingsDocument document = Loaded("WIDTH:" + widths + "\n");
  auto refusal = [&document] { return document.Refusal(document.Check()); };
  const size_t fixed = ("WIDTH:" + widths + "\r\nPATH:\r\n").size();
  document.application = std::string(kConfigReadLimit - fixed, 'a');
  EXPECT_EQ(document.ComposeText().size(), kConfigReadLimit);
  EXPECT_EQ(refusal().kind, Kind::None);
  document.application += "a";
  EXPECT_EQ(refusal().kind, Kind::TooLong);
  EXPECT_EQ(refusal().size, kConfigReadLimit + 1);
  for (const char* path : {"a;b.exe", "a\nb.exe", "a\rb.exe"}) {
    document.application = path;
    EXPECT_EQ(refusal().kind, Kind::EndsAnEntry) << path;
  }
  // Values the launcher reads otherwise than they look, typed or from Browse, told with the
  // check's own finding: from a share or the drive root, in quotes, with a blank at an end.
  // And one longer than Windows starts a program from. (With a short text: what lies beyond
  // the read limit the launcher never reads.)
  document = Loaded("WIDTH:640\n");
  const std::pair<std::string, FindingKind> misread[] = {
      {"\\\\server\\share\\game.exe", FindingKind::PathFromShareRoot},
      {"/Apps/game.exe", FindingKind::PathFromDriveRoot},
      {"\"C:\\Apps\\game.exe\"", FindingKind::PathQuoted},
      {"game.exe ", FindingKind::PathBlankAtEnd},
      {"C:\\Apps\\" + std::string(300, 'a') + ".exe", FindingKind::PathTooLongToStart},
  };
  for (const auto& [path, kind] : misread) {
    document.application = path;
    EXPECT_EQ(refusal().kind, Kind::PathReadOtherwise) << path;
    EXPECT_EQ(refusal().finding.kind, kind) << path;
    EXPECT_EQ(document.Save().step, SaveOutcome::Step::NotTried) << path;
  }
  document.application = "C:\\Apps\\game.exe";
  EXPECT_EQ(refusal().kind, Kind::None);
  // A relative value that does not fit the launcher's folder in 1023 characters is not taken: the
  // launcher keeps PROJECTOR.EXE.
  document.folder = "C:\\" + std::string(990, 'f') + "\\";
  document.application = "bin\\" + std::string(40, 'g') + ".exe";
  EXPECT_EQ(refusal().kind, Kind::PathReadOtherwise);
  EXPECT_EQ(refusal().finding.kind, FindingKind::PathTooLong);
  EXPECT_FALSE(document.Save().Saved());
}

// A path with the code page's "?" for a letter it lacks: no call reaches the file, so the form line
// says why it is not read, and a save is refused in words instead of failing on Windows' error.
TEST(SettingsDocumentCompose, APathTheCodePageCannotSpellIsNeitherReadNorSaved) {
  SettingsDocument document = Loaded("");
  document.folder = "C:\\Games\\????\\";
  document.fileName = "Kavelo2.ini";
  document.codePage = 1252;
  Select(document, EntryKind::Width, {640});
  EXPECT_NE(FormDescription(document).find("(1252)"), std::string::npos) << FormDescription(document);
  SaveRefusal refusal = document.Refusal(document.Check());
  EXPECT_EQ(refusal.kind, SaveRefusal::Kind::Unspelt);
  EXPECT_EQ(refusal.path, "C:\\Games\\????\\Kavelo2.ini");
  EXPECT_EQ(refusal.codePage, 1252u);
  EXPECT_EQ(document.Save().step, SaveOutcome::Step::NotTried);
  document.folder = "C:\\Games\\Show\\";
  EXPECT_EQ(document.Refusal(document.Check()).kind, SaveRefusal::Kind::None);
}

TEST(SettingsDocumentCompose, TheModeTheLauncherPicks) {
  struct Case {
    const char* text;
    int mode;
  };
  const Case cases[] = {
      {"", -1},                           // no criterion: the launcher stops before choosing
      {"WIDTH:800\nHEIGHT:600", 1},       // the first of two in enumeration order
      {"WIDTH:800\nFREQ:75", 3},          // the exact pass wins over an earlier relaxed match
      {"WIDTH:800\nDEPTH:24", 1},         // the relaxed pass lets 32 bits stand in for 24
      {"WIDTH:1152", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(Loaded(c.text).Check().selection.index, c.mode) << c.text;
}

TEST(SettingsDocumentCompose, TitleAndLauncher) {
  SettingsDocument document = Loaded("WIDTH:640\n");
  document.fileName = "Kavelo2.ini";
  EXPECT_EQ(document.WindowTitle(), "Kavelo2.ini - Kavelo2 Settings");
  document.strict = true;
  EXPECT_EQ(document.WindowTitle(), "*Kavelo2.ini - Kavelo2 Settings");
}

TEST(SettingsDocumentCompose, PickingAModeSelectsExactlyItsValues) {
  SettingsDocument document = Loaded("WIDTH:640,1024\nDEPTH:32\n");
  document.PickMode(3);  // 800x600x16@75
  EXPECT_EQ(Selected(document, EntryKind::Width), (std::vector<int32_t>{800}));
  EXPECT_EQ(Selected(document, EntryKind::Height), (std::vector<int32_t>{600}));
  EXPECT_EQ(Selected(document, EntryKind::Depth), (std::vector<int32_t>{16}));
  EXPECT_EQ(Selected(document, EntryKind::Freq), (std::vector<int32_t>{75}));
  EXPECT_EQ(document.Check().selection.index, 3);
}

TEST(SettingsTrial, TheReportTellsTheBoxesTheModesAndTheVerdict) {
  SettingsDocument document = Loaded("WIDTH:800\nHEIGHT:600\nPATH:C:/Games/none.exe\n");
  TrialOutcome trial;
  trial.launcher = "Kavelo2.exe";
  trial.boxes = {{"Kavelo2 Error", "Kavelo2 failed to launch 'C:\\Games\\none.exe'\r\rEither the application is "
                                   "in the wrong place or its name is wrong."}};
  trial.before = trial.after = MakeMode(1024, 768, 32, 60);
  trial.switched = true;
  trial.during = MakeMode(800, 600, 32, 60);
  // The box as one line, the modes, and the verdict of the check as the explanation gives it.
  EXPECT_EQ(DescribeTrial(trial, document.Check()),
            "Kavelo2.exe ran and showed: Kavelo2 Error: Kavelo2 failed to launch 'C:\\Games\\none.exe'  Either the "
            "application is in the wrong place or its name is wrong.\r\nDisplay before: 1024x768x32@60; while it ran: "
            "800x600x32@60; after: 1024x768x32@60.\r\nThe check of this file: " +
                VerdictLine(document.Check(), Rendering::Dialog));
  // The STRICT box's text ends in a line break of its own, which ends the sentence there.
  SettingsDocument strict = Loaded("WIDTH:1152\nSTRICT:1\n");
  trial.boxes = {{"Kavelo2", "This application failed to find a suitable screen resolution and/or color depth.\r"}};
  trial.switched = false;
  EXPECT_EQ(DescribeTrial(trial, strict.Check()).find("Kavelo2.exe ran and showed: Kavelo2: This application failed "
                                                      "to find a suitable screen resolution and/or color depth.\r\n"),
            0u);
  trial.boxes.clear();
  EXPECT_NE(DescribeTrial(trial, document.Check()).find("Kavelo2.exe ran.\r\nDisplay before: 1024x768x32@60; while "
                                                        "it ran: not switched"),
            std::string::npos);
}

// The group "The application on this computer": read for the application's full path, counted in
// the verdict and in the title's mark before it is saved, written in the tab's form, refused for
// a program on a network drive.
// The dialog's loop on Windows 7: it wakes for messages and for the tried launcher's end with a
// mask that version accepts, and a message wait refused anyway is never taken for the end: the
// launcher is asked directly, and the loop waits for the next message instead of spinning.
struct DialogWakeCase {
  const char* name;
  bool trying;
  bool messagesArrive;
  bool messageWaitFails;
  bool launcherStillRuns;
  DialogWake woken;
  bool waitsForAMessage;
};

TEST(SettingsTrialWait, WakesForMessagesOrTheEndAndNeverSpins) {
  const DialogWakeCase cases[] = {
      {"idle", false, true, false, false, DialogWake::Messages, false},
      {"messages during a trial", true, true, false, true, DialogWake::Messages, false},
      {"the launcher ends", true, false, false, false, DialogWake::TrialEnded, false},
      {"refused wait, idle", false, false, true, false, DialogWake::Messages, true},
      {"refused wait, launcher runs", true, false, true, true, DialogWake::Messages, true},
      {"refused wait, launcher ended", true, false, true, false, DialogWake::TrialEnded, false},
  };
  for (const DialogWakeCase& c : cases) {
    ResetSim();
    Sim().messageWaitFails = c.messageWaitFails;
    Sim().processRunsForPolls = c.launcherStillRuns ? 1 : 0;
    MSG timer{};
    if (c.messagesArrive) (c.trying ? Sim().arrivingBatches : Sim().arrivingAfterProcess).push_back({timer});
    EXPECT_EQ(AwaitDialogWork(c.trying ? SimProcessHandle() : nullptr), c.woken) << c.name;
    bool waitedForAMessage = std::count(Sim().calls.begin(), Sim().calls.end(), "WaitMessage") == 1;
    EXPECT_EQ(waitedForAMessage, c.waitsForAMessage) << c.name;
    EXPECT_EQ(Sim().waits.at(0).wakeMask & ~0x04FFu, 0u) << c.name;
  }
}

TEST(SettingsApplicationLayers, ReadForTheApplicationJudgedAsTheyWillBeAndWritten) {
  ResetSim();
  const std::string key = SimCapitals("Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers");
  const std::string game = SimCapitals("C:\\Games\\Old\\game.exe");
  Sim().registry.keys[key][game] = {1 /* REG_SZ */, std::string("~ RUNASADMIN\0", 13)};
  SettingsDocument document = Loaded("WIDTH:800\nHEIGHT:600\nDEPTH:16\nPATH:game.exe\n");
  document.windows = {10, 0, 19045};
  document.AskMachine();
  EXPECT_EQ(document.layersPath, "C:\\Games\\Old\\game.exe");
  EXPECT_TRUE(document.LayersApply());
  EXPECT_EQ(document.layers, AppLayerSettings());
  auto status = [&document] {
    ConfigCheck check = document.Check();
    return Judge(check).status;
  };
  EXPECT_EQ(status(), 3);  // 16 bits are only emulated from Windows 8 on

  document.layers.reducedColour = ReducedColour::SixteenBit;
  EXPECT_TRUE(document.IsChanged());
  EXPECT_EQ(status(), 0);  // as saving will leave them
  LayerWriteOutcome written = document.SaveLayers();
  EXPECT_EQ(written.result, LayerWriteOutcome::Result::Written);
  EXPECT_EQ(Sim().registry.keys[key][game].data, std::string("~ RUNASADMIN 16BITCOLOR\0", 24));
  EXPECT_FALSE(document.IsChanged());

  // A program on a network drive gets no settings from Windows: none are offered or written.
  Sim().driveTypes['N'] = DRIVE_REMOTE;
  document.application = "N:\\Games\\game.exe";
  document.AskMachine();
  EXPECT_FALSE(document.LayersApply());
  document.layers.run640x480 = true;
  EXPECT_EQ(document.SaveLayers().result, LayerWriteOutcome::Result::OnNetwork);
  EXPECT_EQ(Sim().registry.keys[key].count(SimCapitals("N:\\Games\\game.exe")), 0u);
}

// A program on a CD-ROM or removable drive: its settings are the medium's, shown as Windows keeps
// them, never written under the drive letter, and a choice made for another program does not count
// for it; the note says where they are set, or that it is not known which applies.
TEST(SettingsApplicationLayers, OnRemovableMediaTheMediumsSettingsAreShownAndNoneWritten) {
  const std::string key = SimCapitals("Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers");
  struct Case {
    const char* name;
    std::vector<const char*> media;  // hashes of the media holding "~ 16BITCOLOR" for the program
    AppLayerSettings shown;
    int status;  // of the check with 8-bit colour chosen
    const char* noted;
  };
  const AppLayerSettings sixteen = {ReducedColour::SixteenBit, false, false};
  const std::vector<Case> cases = {
      {"one medium's value", {"1A2B3C"}, sixteen, 0, "\"~ 16BITCOLOR\"; Windows keeps them for the medium in D:"},
      {"none", {}, AppLayerSettings(), 3, "none; Windows keeps them for the medium in D:"},
      {"two media's values", {"1A2B3C", "9F9F"}, AppLayerSettings(), 3, "not known: 2 media hold values for its path"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetSim();
    Sim().driveTypes['D'] = DRIVE_CDROM;
    for (const char* hash : c.media) {
      Sim().registry.keys[key][SimCapitals(std::string("SIGN.MEDIA=") + hash + " Setup\\game.exe")] = {
          REG_SZ, std::string("~ 16BITCOLOR\0", 13)};
    }
    SettingsDocument document = Loaded("WIDTH:800\nHEIGHT:600\nDEPTH:16\nPATH:D:\\Setup\\game.exe\n");
    document.windows = {10, 0, 19045};
    document.ChooseLayers({ReducedColour::EightBit, false, false});  // for the application before
    document.AskMachine();
    EXPECT_FALSE(document.LayersApply());
    EXPECT_EQ(document.layersSaved, c.shown);
    std::string note = LayersNote(document);
    EXPECT_NE(note.find(c.noted), std::string::npos) << note;
    EXPECT_NE(note.find("Compatibility tab"), std::string::npos) << note;
    ConfigCheck check = document.Check();
    EXPECT_EQ(Judge(check).status, c.status);

    std::map<std::string, SimRegistryValue> before = Sim().registry.keys[key];
    LayerWriteOutcome outcome = document.SaveLayers();
    EXPECT_EQ(outcome.result, LayerWriteOutcome::Result::OnRemovableMedia);
    EXPECT_EQ(Sim().registry.keys[key].size(), before.size());
    EXPECT_EQ(Sim().registry.keys[key].count(SimCapitals("D:\\Setup\\game.exe")), 0u);
    EXPECT_EQ(document.layers, c.shown);
    EXPECT_FALSE(document.IsChanged());
  }
}

// The group follows the application that the file's launcher starts, whatever names it: the
// PATH value, the folder a Save As moves the file to, or the launcher's own default.
TEST(SettingsApplicationLayers, TheGroupIsForTheApplicationTheFilesLauncherStarts) {
  struct Case {
    const char* name;
    std::string text;         // loaded
    std::string folder;       // then the document's folder, as after a Save As
    std::string application;  // then typed, when not null
    std::string path;         // the application the group is for
  };
  const std::string longFolder = "C:\\" + std::string(990, 'f') + "\\";
  const std::vector<Case> cases = {
      {"an empty file", "", "C:\\Games\\Old\\", "", "C:\\Games\\Old\\PROJECTOR.EXE"},
      {"a relative path", "WIDTH:640\nPATH:x.exe\n", "C:\\Games\\Old\\", "x.exe", "C:\\Games\\Old\\x.exe"},
      {"saved as into another folder", "WIDTH:640\nPATH:x.exe\n", "D:\\B\\", "x.exe", "D:\\B\\x.exe"},
      {"a typed path the launcher does not take", "WIDTH:640\n", longFolder, "bin\\" + std::string(40, 'g'),
       longFolder + "PROJECTOR.EXE"},
      {"a loaded path the launcher does not take", "WIDTH:640\nPATH:bin\\" + std::string(40, 'g') + "\n", longFolder,
       "", longFolder + "PROJECTOR.EXE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetSim();
    SettingsDocument document = Loaded("");
    document.folder = c.folder;
    document.Load({FileForm::Stored, c.text, 0, WalkEntries(c.text)}, c.text.size());
    document.application = c.application;
    document.AskMachine();
    EXPECT_EQ(document.layersPath, c.path);
    EXPECT_EQ(document.ApplicationPath(), c.path);
  }
}

// A choice of the application's settings is the user's until it is written: it stays through any
// change of the application, typed away and back, and keeps the document changed.
TEST(SettingsApplicationLayers, UnsavedChoicesStayWhateverTheApplicationBecomes) {
  const std::string key = SimCapitals("Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers");
  struct Case {
    const char* name;
    const char* gameHolds;     // game.exe's value, or null
    const char* passingHolds;  // game.ex's value, typed on the way, or null
    AppLayerSettings chosen;
  };
  const AppLayerSettings sixteen = {ReducedColour::SixteenBit, false, false};
  const std::vector<Case> cases = {
      {"16-bit ticked", nullptr, nullptr, sixteen},
      {"16-bit ticked, which the name on the way has", nullptr, "~ 16BITCOLOR", sixteen},
      {"16-bit turned off", "~ 16BITCOLOR", nullptr, AppLayerSettings()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetSim();
    if (c.gameHolds) Sim().registry.keys[key][SimCapitals("C:\\Games\\Old\\game.exe")] = {REG_SZ, c.gameHolds};
    if (c.passingHolds) Sim().registry.keys[key][SimCapitals("C:\\Games\\Old\\game.ex")] = {REG_SZ, c.passingHolds};
    SettingsDocument document = Loaded("WIDTH:640\nPATH:game.exe\n");
    document.windows = {10, 0, 19045};
    document.AskMachine();
    ASSERT_FALSE(document.IsChanged());
    document.ChooseLayers(c.chosen);
    for (const char* typed : {"game.ex", "game.exe"}) {
      document.application = typed;
      document.AskMachine();
      EXPECT_EQ(document.layers, c.chosen) << typed;
    }
    EXPECT_TRUE(document.IsChanged());
    EXPECT_EQ(document.SaveLayers().result, c.chosen == AppLayerSettings() ? LayerWriteOutcome::Result::Removed
                                                                          : LayerWriteOutcome::Result::Written);
    EXPECT_FALSE(document.IsChanged());
  }
}

TEST(SettingsExplanation, VerdictFirstThenWhatTheListsCannotShowThenTheChecksReport) {
  SettingsDocument document = Loaded("WIDTH:800\nHEIGHT:600\nCOLOR:16\n");
  document.fileName = "Kavelo2.ini";
  std::string pane = ExplainDocument(document, document.Check());
  EXPECT_EQ(pane.rfind(VerdictLine(document.Check(), Rendering::Dialog) + "\r\n", 0), 0u) << pane;
  // The entries the lists cannot show are the open file's, with its lines; those saving writes have
  // none, since the user never sees that text.
  size_t unshown = pane.find("line 3 \"COLOR:16\": ");
  size_t entries = pane.find("\r\nWIDTH:800\r\n  accepted: WIDTH 800\r\n");
  ASSERT_NE(entries, std::string::npos) << pane;
  EXPECT_LT(unshown, entries) << pane;
  EXPECT_NE(pane.find("\r\nselection: mode 2 of " + std::to_string(Display().size()) + ": "), std::string::npos) << pane;
  EXPECT_EQ(pane.find("Saving is refused"), std::string::npos);

  for (int width = 10000; width < 10200; ++width) document.List(EntryKind::Width).push_back({width, false, true});
  EXPECT_NE(ExplainDocument(document, document.Check()).find("Saving is refused"), std::string::npos);
}

// A folder too long for the launcher's paths is explained, not a crash: the launcher ends there at
// once, and the document cannot be saved for it.
TEST(SettingsExplanation, AFolderTooLongForTheLauncherIsToldAsItsStop) {
  SettingsDocument document = Loaded("WIDTH:800\n");
  document.folder = "C:\\" + std::string(1015, 'f') + "\\";
  document.fileName = "Kavelo2.ini";
  ConfigCheck check = document.Check();
  EXPECT_EQ(Judge(check).status, kFails);
  EXPECT_EQ(ExplainDocument(document, check).rfind("the launcher would stop: ", 0), 0u);
}

// The dialog shows ANSI text as the user sees it: a folder named "Café" (0xE9 in the Western code
// page) stands as it is in the explanation, the refusals, the ignored entries and Try's report,
// where the console escapes it; a control character stays escaped there too.
TEST(SettingsExplanation, NamesStandAsTheCodePageSpellsThem) {
  SettingsDocument document = Loaded("WIDTH:800\nMEN\xDC\x01:1\n");
  document.folder = "C:\\Caf\xE9\\";
  document.fileName = "Kavelo2.ini";
  ConfigCheck check = document.Check();
  TrialOutcome trial;
  trial.launcher = "Kavelo2.exe";
  document.application = "\"Men\xFC\x01.exe\"";
  std::string refusal = RefusalText(document.Refusal(document.Check()), document.Check());
  const std::pair<const char*, std::string> shown[] = {
      {"explanation", ExplainDocument(document, check)},
      {"trial", DescribeTrial(trial, check)},
      {"refusal", refusal},
  };
  for (const auto& [where, text] : shown) {
    EXPECT_NE(text.find("C:\\Caf\xE9\\"), std::string::npos) << where << "\n" << text;
    EXPECT_EQ(text.find("\\xE9"), std::string::npos) << where << "\n" << text;
  }
  EXPECT_NE(refusal.find("\"Men\xFC\\x01.exe\" in the Application field"), std::string::npos) << refusal;
  EXPECT_NE(shown[0].second.find("\"MEN\xDC\\x01:1\": the launcher ignores it"), std::string::npos) << shown[0].second;
  // The same check on the console.
  EXPECT_NE(RenderReport(check, Rendering::Escaped).find("C:\\Caf\\xE9\\PROJECTOR.EXE"), std::string::npos);
}

class SettingsSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSim();
    folder_ = MakeTestFolder("kavelo2-settings") + "/";
    document_ = Loaded("WIDTH:640\n");
    document_.folder = folder_;
    document_.fileName = "Kavelo2.ini";
  }
  void TearDown() override { ASSERT_TRUE(RemoveTestFolder(folder_)); }

  void Write(const std::string& bytes) { ASSERT_TRUE(WriteWholeFile(Path(), bytes)); }
  std::string Path() const { return folder_ + "Kavelo2.ini"; }

  std::string folder_;
  SettingsDocument document_;
};

// The document is the file on disk once it is saved, and stays changed, in the form it was read
// in, when it is not: whether the machine refused (the save's own cases are the machine's tests)
// or the document itself.
TEST_F(SettingsSaveTest, TheDocumentIsSavedOnlyWhenItsFileIs) {
  struct Case {
    const char* name;
    std::vector<SimFileFailure> failures;
    const char* application;
    SaveOutcome::Step step;
  };
  const Case cases[] = {
      {"saved", {}, "", SaveOutcome::Step::Saved},
      {"the machine refuses", {{"ReplaceFileA", 0, ERROR_ACCESS_DENIED}}, "", SaveOutcome::Step::Replace},
      {"the document refuses", {}, "show.exe;x", SaveOutcome::Step::NotTried},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetSim();
    Write("old bytes");
    document_ = Loaded("WIDTH:640\n");
    document_.folder = folder_;
    document_.fileName = "Kavelo2.ini";
    document_.form = FileForm::Plain;
    document_.application = c.application;
    Sim().fileFailures = c.failures;
    bool saved = c.step == SaveOutcome::Step::Saved;
    SaveOutcome outcome = document_.Save();
    EXPECT_EQ(outcome.step, c.step);
    EXPECT_EQ(ReadWholeFile(Path()), saved ? StoredForm(document_.ComposeText()) : "old bytes");
    EXPECT_EQ(document_.IsChanged(), !saved);
    EXPECT_EQ(document_.form, saved ? FileForm::Stored : FileForm::Plain);
  }
}

const std::string kLayersKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

// Which file each launcher of a folder reads, what the dialog opens without an argument, which
// launcher Try starts, and what a new file would take over.
TEST_F(SettingsSaveTest, TheFolderDecidesWhichFileItsLaunchersRead) {
  struct Case {
    const char* name;
    std::vector<std::string> launchers, files;
    const char* opened;                  // what the dialog opens without a file
    std::vector<std::string> readers;    // of the opened file
    std::vector<std::string> takenOver;  // by a new Kavelo2.ini
  };
  const Case cases[] = {
      {"nothing yet", {}, {}, "Kavelo2.ini", {}, {}},
      {"the launcher alone", {"Kavelo2.exe"}, {}, "Kavelo2.ini", {"Kavelo2.exe"}, {}},
      {"a renamed launcher and its file", {"Show.exe"}, {"Show.ini"}, "Show.ini", {"Show.exe"}, {"Show.exe"}},
      {"a Kavelo2.ini beside it comes first", {"Show.exe"}, {"Show.ini", "Kavelo2.ini"}, "Kavelo2.ini",
       {"Show.exe"}, {}},
      {"two launchers, one with a file", {"Show.exe", "Kavelo2.exe"}, {"Show.ini"}, "Show.ini", {"Show.exe"},
       {"Show.exe"}},
      {"the name ends at its first dot", {"start.old.exe"}, {"start.ini"}, "start.ini", {"start.old.exe"},
       {"start.old.exe"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string command = "rm -f '" + folder_ + "'*";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const std::string& file : c.files) {
      ASSERT_TRUE(WriteWholeFile(folder_ + file, ""));
    }
    LauncherFolder folder{FullFolder(folder_), c.launchers, ProbePath};
    EXPECT_EQ(folder.DefaultFile(), c.opened);
    EXPECT_EQ(folder.ReadersOf(c.opened), c.readers);
    EXPECT_EQ(folder.TakenOverBy("Kavelo2.ini"), c.takenOver);
  }
}

// A version block with the strings the launcher's build writes, and `description`.
std::string DescribedBlock(const std::string& description) {
  return VersionBlock({{"CompanyName", "Kavelo"}, {"FileDescription", description}, {"ProductName", "Kavelo2"}});
}

TEST(SettingsVersionBlocks, TheLauncherIsKnownByItsDescriptionAndEachProgramByItsVersion) {
  const std::string launcher = "Kavelo2 display-mode launcher";
  EXPECT_EQ(VersionBlockString(DescribedBlock(launcher), "FileDescription"), launcher);
  EXPECT_EQ(VersionBlockString(DescribedBlock(launcher), "ProductName"), "Kavelo2");
  std::string elsewhere = VersionNode("VS_VERSION_INFO", "", {VersionNode("StringFileInfo", "",
                                      {VersionNode("040904B0", "", {VersionNode("Comments", launcher)})})});
  EXPECT_EQ(VersionBlockString(elsewhere, "FileDescription"), "");
  // Cut anywhere, a block is read only as far as it holds together.
  std::string block = DescribedBlock(launcher);
  for (size_t size = 0; size < block.size(); ++size) {
    std::string cut = block.substr(0, size);
    EXPECT_NE(VersionBlockString(cut, "FileDescription"), launcher) << size;
  }
  // A program picked as the application is one of the folder's own tools by its description, the
  // whole of it, in any of its string tables, as the check knows it: a launcher, renamed or not, or
  // this settings program by its own.
  const std::string settings = "Kavelo2 Settings: sets a launcher folder up";
  const std::pair<std::vector<std::pair<std::string, std::string>>, FolderTool> programs[] = {
      {{{"CompanyName", "Kavelo"}, {"FileDescription", launcher}}, FolderTool::Launcher},
      {{{"FileDescription", "Projecteur"}, {"FileDescription", launcher}}, FolderTool::Launcher},
      {{{"FileDescription", settings}}, FolderTool::Settings},
      {{{"FileDescription", launcher + " (old)"}}, FolderTool::None},
      {{{"FileDescription", "Projector"}}, FolderTool::None},
      {{{"Comments", launcher}}, FolderTool::None},
      {{}, FolderTool::None},
  };
  for (const auto& [strings, tool] : programs) {
    ProgramImage program;
    program.versionStrings = strings;
    EXPECT_EQ(FolderToolOf(program, settings), tool);
    EXPECT_EQ(FolderToolOf(program, ""), tool == FolderTool::Settings ? FolderTool::None : tool);
  }
  // The fixed part: its signature, the structure's version, then the file version 2.0 and 3.0.
  std::string fixed = std::string("\x34\x00VS_VERSION_INFO") + "\xBD\x04\xEF\xFE" + std::string("\x00\x00\x01\x00", 4) +
                      std::string("\x00\x00\x02\x00\x00\x00\x03\x00", 8);
  EXPECT_EQ(VersionBlockVersion(fixed), "2.0.3");
  EXPECT_EQ(VersionBlockVersion(fixed.substr(0, fixed.size() - 1)), "");
  EXPECT_EQ(VersionBlockVersion(""), "");
}

// Saving asks first when the launcher would then do nothing, and when a new file would take a
// renamed launcher away from the file it reads; Try names why it cannot run.
TEST_F(SettingsSaveTest, SavingAsksBeforeItMakesTheLauncherDoNothingOrReadAnotherFile) {
  using Kind = SaveQuestion::Kind;
  auto question = [this] { return document_.Question(document_.Check()); };
  document_.folder = FullFolder(folder_);
  document_.form = FileForm::Stored;
  document_.AskMachine();
  EXPECT_EQ(question().kind, Kind::None);
  Select(document_, EntryKind::Width, {});
  EXPECT_EQ(question().kind, Kind::LauncherDoesNothing);

  ASSERT_TRUE(WriteWholeFile(folder_ + "Show.ini", ""));
  Select(document_, EntryKind::Width, {640});
  document_.form = FileForm::Missing;
  document_.launchers = {"Show.exe"};
  document_.AskMachine();
  EXPECT_EQ(question().kind, Kind::TakesLaunchersOver);
  EXPECT_EQ(question().takenOver, (std::vector<std::pair<std::string, std::string>>{{"Show.exe", "Show.ini"}}));
  // Once saved, Show.exe reads it, and Try starts Show.exe, when it is there.
  TrialChoice choice = ChooseTrialLauncher(document_);
  EXPECT_EQ(choice.kind, TrialChoice::Kind::LauncherGone);
  EXPECT_EQ(choice.launcher, "Show.exe");
  ASSERT_TRUE(WriteWholeFile(folder_ + "Show.exe", ProgramFile(TestProgram{})));
  document_.AskMachine();
  EXPECT_EQ(ChooseTrialLauncher(document_).kind, TrialChoice::Kind::Launcher);
  document_.fileName = "Other.ini";
  document_.AskMachine();
  choice = ChooseTrialLauncher(document_);
  EXPECT_EQ(choice.kind, TrialChoice::Kind::NoneReadsTheFile);
  EXPECT_EQ(choice.reads, (std::vector<std::pair<std::string, std::string>>{{"Show.exe", "Show.ini"}}));
  document_.launchers.clear();
  EXPECT_EQ(ChooseTrialLauncher(document_).kind, TrialChoice::Kind::NoLauncher);
}

// The file's save and the write of the application's settings each come to their own outcome: a
// refused write leaves the file saved, and the settings as the registry holds them, so that the
// document is not left changed by a choice that no save can make.
TEST_F(SettingsSaveTest, ARefusedLayersWriteLeavesTheFileSavedAndTheSettingsAsTheRegistryHoldThem) {
  using Result = LayerWriteOutcome::Result;
  const std::string key = SimCapitals(kLayersKey);
  struct Case {
    const char* name;
    SimRegistryValue held;  // what the registry holds for the application
    const char* failingCall;
    Result result;
  };
  const std::vector<Case> cases = {
      {"a number", {REG_DWORD, std::string("\1\0\0\0", 4)}, "", Result::Unreadable},
      {"a NUL inside", {REG_SZ, std::string("~ 256COLOR\0X\0", 14)}, "", Result::Unreadable},
      {"too long to read", {REG_SZ, std::string(2000, 'A')}, "", Result::Unreadable},
      {"a registry that refuses", {REG_SZ, std::string("~ 256COLOR\0", 11)}, "RegSetValueExA", Result::Failed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetSim();
    std::remove(Path().c_str());
    document_.folder = FullFolder(folder_);
    document_.windows = {10, 0, 19045};
    document_.application = "x.exe";
    const std::string application = SimCapitals(document_.folder + "x.exe");
    Sim().registry.keys[key][application] = c.held;
    document_.AskMachine();
    document_.ChooseLayers({ReducedColour::Off, true, false});
    ASSERT_TRUE(document_.LayersChanged());
    Sim().registry.failingCall = c.failingCall;
    ASSERT_TRUE(document_.Save().Saved());
    EXPECT_EQ(document_.SaveLayers().result, c.result);
    EXPECT_EQ(Sim().registry.keys[key][application].data, c.held.data);
    EXPECT_EQ(document_.layers, document_.layersSaved);
    EXPECT_FALSE(document_.IsChanged());
    EXPECT_EQ(ReadWholeFile(Path()), StoredForm(document_.ComposeText()));
  }
}

// Try's report is of what was saved and started: the file as saved, with the application's
// settings as the registry holds them, whatever is edited during the trial or after it.
TEST_F(SettingsSaveTest, TheTriedCheckIsOfTheSavedFileWithTheSettingsTheRegistryHolds) {
  ResetSim();
  document_.folder = FullFolder(folder_);
  document_.windows = {10, 0, 19045};
  document_.application = "x.exe";
  ASSERT_TRUE(WriteWholeFile(folder_ + "x.exe", ProgramFile(TestProgram{})));
  Select(document_, EntryKind::Width, {800});
  Select(document_, EntryKind::Height, {600});
  Select(document_, EntryKind::Depth, {16});
  document_.AskMachine();
  ASSERT_TRUE(document_.Save().Saved());
  auto status = [](const ConfigCheck& check) { return Judge(check).status; };
  document_.ChooseLayers({ReducedColour::SixteenBit, false, false});
  EXPECT_EQ(status(document_.Check()), kRunsAsWritten);  // as saving will leave them
  EXPECT_EQ(status(document_.SavedCheck()), kRunsNotAsWritten);  // as a launcher started now finds them
  Sim().registry.failingCall = "RegCreateKeyExA";
  ASSERT_EQ(document_.SaveLayers().result, LayerWriteOutcome::Result::Failed);
  EXPECT_EQ(status(document_.SavedCheck()), kRunsNotAsWritten);

  // An edit after the trial leaves its check as it was, and the report no longer shows the document.
  TrialOutcome trial = TrialOf(document_);
  EXPECT_TRUE(TrialShowsDocument(trial, document_));
  ConfigCheck tried = document_.SavedCheck();
  document_.strict = true;
  EXPECT_EQ(document_.SavedCheck().strictMode, tried.strictMode);
  EXPECT_FALSE(TrialShowsDocument(trial, document_));
  document_.strict = false;
  document_.ChooseLayers({ReducedColour::SixteenBit, false, false});
  EXPECT_FALSE(TrialShowsDocument(trial, document_));
}

TEST_F(SettingsSaveTest, OpensEachFormAndReopensWhatItSaved) {
  std::string reason;
  ASSERT_TRUE(document_.Open(folder_, "Kavelo2.ini", {}, reason)) << reason;
  EXPECT_EQ(document_.form, FileForm::Missing);
  EXPECT_EQ(document_.ComposeText(), "");

  Write(Utf16("HEIGHT:480\r\nBACKDROP:1\r\n", false, true));
  ASSERT_TRUE(document_.Open(folder_, "Kavelo2.ini", {}, reason)) << reason;
  EXPECT_EQ(document_.form, FileForm::Utf16);
  EXPECT_EQ(Selected(document_, EntryKind::Height), (std::vector<int32_t>{480}));
  EXPECT_TRUE(document_.backdrop);
  // Saving turns it into the stored form, which opens to the same settings.
  ASSERT_TRUE(document_.Save().Saved());
  ASSERT_TRUE(document_.Open(folder_, "Kavelo2.ini", {}, reason)) << reason;
  EXPECT_EQ(document_.form, FileForm::Stored);
  EXPECT_EQ(document_.ComposeText(), "HEIGHT:480\r\nBACKDROP:1\r\n");
  EXPECT_FALSE(document_.IsChanged());
}

}  // namespace
