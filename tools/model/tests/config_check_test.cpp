// The check as data: what it finds in each entry, with its line and its weight; the depth the
// application sees on Windows 8 and later; and whether a return reached the registry mode. The words
// of the findings are checked whole in tools/kavelo2-config/tests/reports.
#include "platform/sim/sim_platform.h"
#include "tools/model/check_report.h"
#include "tools/model/config_check.h"
#include "tools/model/display_restore.h"
#include "tools/model/finding_text.h"
#include "tools/model/mode_notation.h"
#include "tools/model/restore_text.h"
#include "tools/model/program_start.h"
#include "tests/support/program_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

namespace {

// --- entries ---------------------------------------------------------------------------------

// A finding as a case expects it: its kind, its line, and its fix where the case is about one (the
// fixes of a width written as a mode, joined by ", ").
struct Expected {
  FindingKind kind;
  int line;
  std::string fix = "";
};

struct EntryCase {
  const char* name;
  std::string text;
  int status;
  std::vector<Expected> findings;  // every finding but the last, which tells what the run does
  std::string settings = "";       // the criteria and switches the entries leave, when the case is about them
  std::string application = "";    // the application, when the case is about it
};

// Failures name the case rather than dumping its bytes.
void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

// The settings a check leaves, in a notation of the test's own: "WIDTH 800,640; STRICT on".
std::string Settings(const ConfigCheck& check) {
  std::string text;
  for (const ModeCriterion& criterion : check.criteria) {
    text += (text.empty() ? "" : "; ") + std::string(EntryKeyword(criterion.kind));
    for (size_t i = 0; i < criterion.values.size(); ++i) text += (i == 0 ? " " : ",") + std::to_string(criterion.values[i]);
  }
  for (auto [on, name] : {std::pair{check.strictMode, "STRICT"}, std::pair{check.backdropEnabled, "BACKDROP"},
                          std::pair{check.waitAllEnabled, "WAITALL"}}) {
    if (on) text += (text.empty() ? "" : "; ") + std::string(name) + " on";
  }
  return text;
}

// A check of plain text, whole, for a launcher in `directory`.
CheckInput PlainInput(const std::string& directory, const std::string& text) {
  CheckInput input;
  input.plain = true;
  input.programDirectory = directory;
  input.file.bytes = text;
  input.file.size = text.size();
  return input;
}

class CheckEntries : public ::testing::TestWithParam<EntryCase> {};

TEST_P(CheckEntries, FindWhatTheLauncherMakesOfEachEntry) {
  // A WIDTH entry first keeps every case runnable; C:\Show is on no drive of this machine, so
  // the application's file is not looked for.
  const EntryCase& c = GetParam();
  CheckInput input = PlainInput("C:\\Show\\", "WIDTH:800\n" + c.text);
  ConfigCheck check = CheckConfiguration(input);
  ASSERT_FALSE(check.findings.empty());
  EXPECT_EQ(Judge(check).status, c.status);
  std::vector<std::string> found, expected;
  for (size_t i = 0; i + 1 < check.findings.size(); ++i) {
    const Finding& finding = check.findings[i];
    std::string fix = finding.fix;
    for (const std::string& more : finding.fixes) fix += (fix.empty() ? "" : ", ") + more;
    found.push_back(std::to_string(static_cast<int>(finding.kind)) + " line " + std::to_string(finding.line) + " " + fix);
  }
  for (const Expected& e : c.findings) {
    std::string fix = e.fix;
    if (fix.empty()) {
      // Compared only where the case names one.
      for (size_t i = 0; i + 1 < check.findings.size(); ++i) {
        if (check.findings[i].kind == e.kind && check.findings[i].line == e.line) {
          fix = check.findings[i].fix;
          for (const std::string& more : check.findings[i].fixes) fix += (fix.empty() ? "" : ", ") + more;
        }
      }
    }
    expected.push_back(std::to_string(static_cast<int>(e.kind)) + " line " + std::to_string(e.line) + " " + fix);
  }
  EXPECT_EQ(found, expected) << RenderReport(check, Rendering::Escaped);
  if (!c.settings.empty()) {
    EXPECT_EQ(Settings(check), "WIDTH 800; " + c.settings);
  }
  if (!c.application.empty()) {
    EXPECT_EQ(check.applicationPath, c.application);
  }
}

using K = FindingKind;

INSTANTIATE_TEST_SUITE_P(
    Check, CheckEntries,
    ::testing::Values(
        EntryCase{"BlankAfterKey", "Width :640\n", 3, {{K::BlankInKey, 2, "WIDTH"}}},
        EntryCase{"BlankBeforeKey", " HEIGHT:480\n", 3, {{K::BlankInKey, 2, "HEIGHT"}}},
        EntryCase{"LowerCaseKeys", "height:480\nDepth:32\n", 0, {}, "HEIGHT 480; DEPTH 32"},
        EntryCase{"Misspelt", "HIEGHT:480\nFREQUENCY:60\n", 3, {{K::MisspeltKey, 2, "HEIGHT"}, {K::MisspeltKey, 3, "FREQ"}}},
        // Four letters that are two apart from PATH: too far for a near miss of so short a key.
        EntryCase{"UnknownKey", "COLOUR:32\nRATE:60\n", 3, {{K::UnknownKey, 2}, {K::UnknownKey, 3}}},
        EntryCase{"EmptyKey", ":640\n", 3, {{K::EmptyKey, 2}}},
        EntryCase{"NoColon", "HEIGHT 480\nHEIGHT=480\nhello\n", 3,
                  {{K::NoColon, 2, "HEIGHT:480"}, {K::NoColon, 3, "HEIGHT:480"}, {K::NoColon, 4, ""}}},
        // As INI files are written: sections and "=".
        EntryCase{"IniStyle", "[Settings]\n  [Display] \nheight = 480\n[\n", 3,
                  {{K::SectionLine, 2}, {K::SectionLine, 3}, {K::NoColon, 4, "HEIGHT:480"}, {K::NoColon, 5, ""}}},
        EntryCase{"EmptyValue", "HEIGHT:\n", 3, {{K::EmptyValue, 2}}},
        EntryCase{"NoNumber", "HEIGHT:abc\nSTRICT:yes\nBACKDROP:on\nWAITALL:x\n", 3,
                  {{K::ListWithoutNumber, 2}, {K::ListWithoutNumber, 3}, {K::ListWithoutNumber, 4},
                   {K::ListWithoutNumber, 5}}},
        EntryCase{"EmptyListAccepted", "HEIGHT:abc,640\n", 3, {{K::ListStops, 2}}, "HEIGHT"},
        EntryCase{"EmptyElementStopsTheList", "HEIGHT:600,,800\n", 3, {{K::ListStops, 2}}, "HEIGHT 600"},
        EntryCase{"TextAfterANumber", "HEIGHT:600x480,800\n", 3, {{K::TextAfterNumber, 2}}, "HEIGHT 600,800"},
        EntryCase{"WidthWrittenAsASize", "WIDTH:800x600\n", 3, {{K::TextAfterNumber, 2, "HEIGHT:600"}}},
        EntryCase{"WidthWrittenAsAMode", "WIDTH:800x600x32@60\n", 3,
                  {{K::TextAfterNumber, 2, "HEIGHT:600, DEPTH:32, FREQ:60"}}},
        EntryCase{"LeadingZeroReadAsOctal", "FREQ:075\n", 3, {{K::OctalNumber, 2, "75"}}, "FREQ 61"},
        EntryCase{"OctalAndHex", "HEIGHT:0640,0x280\n", 3, {{K::OctalNumber, 2, "640"}}, "HEIGHT 416,640"},
        EntryCase{"LeadingZeroBeforeAnEight", "DEPTH:08,016\n", 3, {{K::TextAfterNumber, 2}, {K::OctalNumber, 2, "16"}},
                  "DEPTH 0,14"},
        EntryCase{"OctalThatReadsTheSame", "FREQ:07\nDEPTH:0x20\nHEIGHT:600 \n", 0, {}, "FREQ 7; DEPTH 32; HEIGHT 600"},
        EntryCase{"TrailingJunkElement", "HEIGHT:600,abc\n", 3, {{K::ElementWithoutNumber, 2}}, "HEIGHT 600"},
        EntryCase{"FreqEmptyList", "FREQ:,60\n", 3, {{K::ListStops, 2}}, "FREQ"},
        // A mode's number that does not fit in 32 bits, or that is negative, is no number any mode
        // has; a switch's negative number only leaves it off.
        EntryCase{"NumberTooLargeWraps", "HEIGHT:99999999999999999999\n", 3, {{K::NumberWraps, 2}},
                  "HEIGHT 1661992959"},
        EntryCase{"NegativeWidth", "WIDTH:-800,640\nFREQ:0x1FFFFFFFF\n", 3,
                  {{K::NegativeNumber, 2}, {K::NumberWraps, 3}}, "WIDTH -800,640; FREQ -1"},
        EntryCase{"SwitchesOnlyAbove0", "STRICT:0\nBACKDROP:-1\nWAITALL:0\n", 0, {}, "", "C:\\Show\\PROJECTOR.EXE"},
        EntryCase{"SwitchesStayOn", "STRICT:1\nSTRICT:0\nBACKDROP:2,0\nWAITALL:0\nWAITALL:1,0\nWAITALL:0\n", 0,
                  {{K::WaitsForAll, 6}}, "STRICT on; BACKDROP on; WAITALL on"},
        EntryCase{"PathWithDrive", "PATH:D:/Apps/show.exe\n", 0, {}, "", "D:\\Apps\\show.exe"},
        EntryCase{"PathWithoutDrive", "PATH:media/show.exe\n", 0, {}, "", "C:\\Show\\media\\show.exe"},
        EntryCase{"PathWithBlankAtTheStart", "PATH: C:/Games/GAME.EXE\n", 1, {{K::PathBlankAtStart, 2, "C:\\Games\\GAME.EXE"}},
                  "", "C:\\Show\\ C:\\Games\\GAME.EXE"},
        // Only a drive letter and a colon make a value absolute; on a drive this machine does not
        // hold, such a value may still name a file beside the launcher, so it is weighed 3.
        EntryCase{"PathFromAShare", "PATH:\\\\server\\share\\games\\GAME.EXE\n", 3,
                  {{K::PathFromShareRoot, 2, "N:\\games\\GAME.EXE"}}, "", "C:\\Show\\\\\\server\\share\\games\\GAME.EXE"},
        EntryCase{"PathFromTheDriveRoot", "PATH:/Games/GAME.EXE\n", 3, {{K::PathFromDriveRoot, 2, "C:\\Games\\GAME.EXE"}}},
        EntryCase{"PathInQuotes", "PATH:\"C:\\Games\\GAME.EXE\"\n", 1, {{K::PathQuoted, 2, "C:\\Games\\GAME.EXE"}}},
        EntryCase{"PathWithBlankAtTheEnd", "PATH:C:/Games/GAME.EXE \n", 1, {{K::PathBlankAtEnd, 2, "C:\\Games\\GAME.EXE"}}},
        EntryCase{"EmptyPath", "PATH:\n", 1, {{K::PathEmpty, 2}}, "", "C:\\Show\\"},
        EntryCase{"PathNamingAFolder", "PATH:C:/Games/\n", 1, {{K::PathNamesFolder, 2, "C:\\Games\\GAME.EXE"}}},
        EntryCase{"OnlyTheLastPathCounts", "PATH: a.exe\nPATH:b.exe\n", 0, {}, "", "C:\\Show\\b.exe"},
        EntryCase{"SemicolonsAndLineEnds", "HEIGHT:600;DEPTH:32\r\r\n\nFREQ:60", 0, {}, "HEIGHT 600; DEPTH 32; FREQ 60"},
        EntryCase{"ByteOrderMark", "\xEF\xBB\xBFHEIGHT:600\n", 3, {{K::KeyAfterMark, 2}}},
        EntryCase{"UnprintableBytes", "PATH:\tx\x80\n", 1, {{K::PathBlankAtStart, 2}}},
        EntryCase{"WaitForEverything", "WAITALL:1\n", 0, {{K::WaitsForAll, 2}}, "WAITALL on"},
        EntryCase{"NulEndsTheText", std::string("HEIGHT:600\nDEPTH:3\0" "2\nFREQ:60\n", 29), 3, {{K::NulEndsText, 3}},
                  "HEIGHT 600"},
        EntryCase{"NulAfterTheLastEntry", std::string("HEIGHT:600\n\0\0", 13), 0, {{K::NulEndsText, 3}}, "HEIGHT 600"},
        EntryCase{"ReadLimitCutsAnEntry", std::string(979, ';') + "HEIGHT:600\nDEPTH:32\n", 3, {{K::ReadLimit, 2}},
                  "HEIGHT 60"},
        EntryCase{"ReadLimitCutsOnlySeparators", "HEIGHT:600\n" + std::string(1000, '\n'), 0, {{K::ReadLimit, 0}},
                  "HEIGHT 600"}),
    [](const ::testing::TestParamInfo<EntryCase>& entry) { return std::string(entry.param.name); });

// Past the 998 bytes the launcher reads, the check counts every entry it holds and never reads; a
// file larger than it holds is counted as far as it is held, and says so.
TEST(CheckReadLimit, CountsTheEntriesNeverReadInAllThatItHolds) {
  struct Case {
    size_t entriesAfter;  // "FREQ:60\n" entries after the limit
    int64_t count;        // as the finding tells it: negative when only the held part was counted
  };
  const Case cases[] = {
      {1, 1},
      {1000, 1000},  // about 8 KiB
      {8000, 8000},  // about 64 KiB, all held
      // More than is held: the entries that start in the held part, the last one cut by its end.
      {9000, -static_cast<int64_t>((kHeldFileBytes - kConfigReadLimit + 7) / 8)},
  };
  for (const Case& c : cases) {
    std::string text = "WIDTH:800\n" + std::string(kConfigReadLimit - 10, ';');
    for (size_t i = 0; i < c.entriesAfter; ++i) text += "FREQ:60\n";
    CheckInput input;
    input.plain = true;
    input.programDirectory = "C:\\Show\\";
    input.file.size = text.size();
    input.file.bytes = text.substr(0, kHeldFileBytes);
    ConfigCheck check = CheckConfiguration(input);
    auto limit = std::find_if(check.findings.begin(), check.findings.end(),
                              [](const Finding& finding) { return finding.kind == FindingKind::ReadLimit; });
    ASSERT_NE(limit, check.findings.end()) << c.entriesAfter;
    EXPECT_EQ(limit->count, c.count) << c.entriesAfter;
    EXPECT_EQ(limit->number, static_cast<int64_t>(text.size()));
  }
}

// The application on this machine: what the probe finds where the launcher will look decides
// whether the start fails, also for a value that the launcher reads otherwise than it looks.
TEST(CheckApplication, WhatThisMachineHoldsDecidesTheStart) {
  struct Case {
    const char* path;  // the PATH entry's value, or null for none
    PathKind found;
    int status;
    FindingKind kind;  // the application finding, or Switches for none
  };
  const Case cases[] = {
      {nullptr, PathKind::Missing, 1, K::ApplicationMissing},
      {nullptr, PathKind::Folder, 1, K::ApplicationIsFolder},
      {nullptr, PathKind::File, 0, K::Switches},
      {nullptr, PathKind::Unknown, 0, K::Switches},
      {"GAME.EXE", PathKind::Missing, 1, K::ApplicationMissing},
      {"GAME.EXE", PathKind::Folder, 1, K::ApplicationIsFolder},
      {"GAME.EXE", PathKind::File, 0, K::Switches},
      // Read from the folder beside the launcher, the value may still name a file there; a folder
      // is no file to start.
      {"\\GAME.EXE", PathKind::File, 3, K::PathFromDriveRoot},
      {"\\GAME.EXE", PathKind::Unknown, 3, K::PathFromDriveRoot},
      {"\\GAME.EXE", PathKind::Missing, 1, K::PathFromDriveRoot},
      {"\\GAME.EXE", PathKind::Folder, 1, K::PathFromDriveRoot},
      {"\\\\server\\share\\GAME.EXE", PathKind::File, 3, K::PathFromShareRoot},
      {"\\\\server\\share\\GAME.EXE", PathKind::Folder, 1, K::PathFromShareRoot},
  };
  ModeCatalogue catalogue = {MakeMode(800, 600, 32, 60)};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path != nullptr ? c.path : "(no PATH)") + " " + std::to_string(static_cast<int>(c.found)));
    std::vector<std::string> asked;
    std::string entry = c.path != nullptr ? "PATH:" + std::string(c.path) + "\n" : std::string();
    CheckInput input = PlainInput("C:\\Show\\", "WIDTH:800\n" + entry);
    input.modes = &catalogue;
    input.probe = [&](const std::string& path) {
      asked.push_back(path);
      return c.found;
    };
    ConfigCheck check = CheckConfiguration(input);
    EXPECT_EQ(Judge(check).status, c.status);
    EXPECT_EQ(asked, std::vector<std::string>{check.applicationPath});
    auto found = std::find_if(check.findings.begin(), check.findings.end(),
                              [](const Finding& f) { return IsApplicationFinding(f.kind); });
    EXPECT_EQ(found == check.findings.end() ? check.findings.back().kind : found->kind, c.kind);
  }
}

// A program that Windows starts only with administrator rights is a failed start, since the
// launcher never asks for them; its file is read only where the probe finds one, by its full path,
// and Windows' rule is applied to its file name on the version the check is made for.
TEST(CheckApplication, AProgramWindowsStartsOnlyElevatedFailsTheStart) {
  ProgramImage installer;
  installer.format = ProgramFormat::Portable;
  installer.machine = kMachineI386;
  struct Case {
    const char* path;  // the PATH entry's value, or null for none
    PathKind found;
    bool known;  // the file could be read
    WindowsVersion windows;
    int status;
    FindingKind kind;  // the application finding, or Switches for none
  };
  const WindowsVersion seven{6, 1, 7601}, xp{5, 1, 2600};
  const Case cases[] = {
      {"Setup/SETUP.EXE", PathKind::File, true, seven, 1, K::ApplicationNeedsElevation},
      {"Setup/SETUP.EXE", PathKind::File, true, xp, 0, K::Switches},
      {"Setup/SETUP.EXE", PathKind::File, false, seven, 0, K::Switches},
      {"Setup/SETUP.EXE", PathKind::Unknown, true, seven, 0, K::Switches},
      {"Setup/SETUP.EXE", PathKind::Missing, true, seven, 1, K::ApplicationMissing},
      // The folder's name is no program's name.
      {"Setup/GAME.EXE", PathKind::File, true, seven, 0, K::Switches},
      {nullptr, PathKind::File, true, seven, 0, K::Switches},
  };
  ModeCatalogue catalogue = {MakeMode(800, 600, 32, 60)};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path != nullptr ? c.path : "(no PATH)") + " " + std::to_string(static_cast<int>(c.found)) +
                 " Windows " + std::to_string(c.windows.major));
    std::vector<std::string> read;
    std::string entry = c.path != nullptr ? "PATH:" + std::string(c.path) + "\n" : std::string();
    CheckInput input = PlainInput("C:\\Show\\", "WIDTH:800\n" + entry);
    input.modes = &catalogue;
    input.windows = c.windows;
    input.probe = [&c](const std::string&) { return c.found; };
    input.image = [&](const std::string& path, ProgramImage& image) {
      read.push_back(path);
      image = installer;
      return c.known;
    };
    ConfigCheck check = CheckConfiguration(input);
    EXPECT_EQ(Judge(check).status, c.status);
    bool readable = c.found == PathKind::File;
    EXPECT_EQ(read, readable ? std::vector<std::string>{check.applicationPath} : std::vector<std::string>());
    auto found = std::find_if(check.findings.begin(), check.findings.end(),
                              [](const Finding& f) { return IsApplicationFinding(f.kind); });
    EXPECT_EQ(found == check.findings.end() ? check.findings.back().kind : found->kind, c.kind);
    if (c.kind != K::ApplicationNeedsElevation) continue;
    EXPECT_EQ(Judge(check).cause, &*found);
    EXPECT_EQ(found->line, 2);
    EXPECT_EQ(found->count, 1);
    EXPECT_EQ(found->subject, "C:\\Show\\Setup\\SETUP.EXE");
    EXPECT_EQ(found->elevation.reason, ElevationReason::InstallerName);
    EXPECT_EQ(found->elevation.text, "SETUP.EXE");
  }
}

// A file that is there but that the launcher's start cannot run fails the start whatever the
// configuration: no program, a DOS or 16-bit program on 64-bit Windows, a program for another
// processor, or a launcher; and the run's one result line says the start fails.
TEST(CheckApplication, AFileWindowsDoesNotStartFailsTheStart) {
  TestProgram x64;
  x64.machine = kMachineX64;
  x64.pe32Plus = true;
  TestProgram launcher;
  launcher.resources = {{16, 1, VersionBlock({{"FileDescription", kLauncherDescription}})}};
  const std::string dos = "MZ" + std::string(62, '\0');
  std::string segmented = ProgramFile(TestProgram());
  segmented.replace(kTestNewHeader, 2, "NE");
  struct Case {
    const char* name;
    std::string file;
    uint16_t native;  // the machine this Windows runs on (0: not known)
    FindingKind kind;  // the application finding, or Switches for none
  };
  const Case cases[] = {
      {"text", "WIDTH:800\n", kMachineX64, K::ApplicationNotAProgram},
      {"dos on 64-bit", dos, kMachineX64, K::ApplicationIs16Bit},
      {"dos on 32-bit", dos, kMachineI386, K::Switches},
      {"16-bit windows on 64-bit", segmented, kMachineArm64, K::ApplicationIs16Bit},
      {"dos, bitness unknown", dos, 0, K::Switches},
      {"x64 on 32-bit", ProgramFile(x64), kMachineI386, K::ApplicationForOtherProcessor},
      {"x64 on 64-bit", ProgramFile(x64), kMachineX64, K::Switches},
      {"x64 on ARM64", ProgramFile(x64), kMachineArm64, K::Switches},
      {"x86 anywhere", ProgramFile(TestProgram()), kMachineArm64, K::Switches},
      {"a launcher", ProgramFile(launcher), kMachineI386, K::ApplicationIsLauncher},
  };
  ModeCatalogue catalogue = {MakeMode(800, 600, 32, 60)};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CheckInput input = PlainInput("C:\\Show\\", "WIDTH:800\nPATH:GAME.EXE\n");
    input.modes = &catalogue;
    input.windows = {10, 0, 19045, c.native};
    input.probe = [](const std::string&) { return PathKind::File; };
    input.image = [&c](const std::string&, ProgramImage& image) {
      image = ReadProgramImage(c.file);
      return true;
    };
    ConfigCheck check = CheckConfiguration(input);
    bool refused = c.kind != K::Switches;
    EXPECT_EQ(Judge(check).status, refused ? kFails : kRunsAsWritten);
    EXPECT_EQ(check.applicationFails, refused);
    auto found = std::find_if(check.findings.begin(), check.findings.end(),
                              [](const Finding& f) { return IsApplicationFinding(f.kind); });
    EXPECT_EQ(found == check.findings.end() ? check.findings.back().kind : found->kind, c.kind);
    EXPECT_EQ(check.findings.back().kind, K::Switches);
    if (refused) {
      EXPECT_EQ(found->count, 1);
    }
  }
}

// The form of a file: the launcher's own reading stands whenever it accepts an entry, however
// much the bytes look like UTF-16 or like the other form; only where it accepts none is the file
// told to be something else, which stops the run: UTF-16, the other form when that accepts an
// entry, or, when neither does, the one that looks like text an editor wrote.
TEST(CheckFileForm, TheLaunchersReadingStandsWhenItAcceptsAnEntry) {
  const std::string plain = "WIDTH:800\nHEIGHT:600\n";
  const std::string ini = "[Settings]\r\nWIDTH=800\r\nHEIGHT=600\r\n";
  // `head`, then bytes that the other reading of the file gives as `tail`.
  auto followedInTheOtherForm = [](const std::string& head, const std::string& tail) {
    return head + StoredForm(std::string(head.size(), ' ') + tail).substr(head.size());
  };
  struct Case {
    const char* name;
    std::string bytes;
    bool givenPlain;
    FileForm form;
    int status;
    const char* criteria;  // the kinds the launcher's reading leaves, "" when the run stops
  };
  const Case cases[] = {
      {"stored, its text starting with a UTF-16 mark", StoredForm("\xFE\xFF;WIDTH:800\n;"), false, FileForm::Stored,
       3, "WIDTH"},
      {"stored, more entries as plain text", followedInTheOtherForm(plain, "\nDEPTH:32\n"), false,
       FileForm::Stored, 3, "DEPTH"},
      {"plain, more entries in the stored form", followedInTheOtherForm("WIDTH:800\n", "\nHEIGHT:600\nDEPTH:32\n"),
       true, FileForm::Plain, 3, "WIDTH"},
      {"plain text the launcher reads nothing from", plain, false, FileForm::Plain, 1, ""},
      {"stored text given as plain", StoredForm(plain), true, FileForm::Stored, 1, ""},
      {"UTF-16", std::string("W\0I\0D\0T\0H\0:\0" "8\0" "0\0" "0\0\n\0", 20), false, FileForm::Utf16, 1, ""},
      {"an INI file", ini, false, FileForm::Plain, 1, ""},
      {"an INI file saved as UTF-8", "\xEF\xBB\xBF" + ini, false, FileForm::Plain, 1, ""},
      {"an INI file with the code page's letters", "[Settings]\r\nPATH=C:\\Caf\xE9\\Spiel.exe\r\n", false,
       FileForm::Plain, 1, ""},
      {"an encoded INI file given as plain", StoredForm(ini), true, FileForm::Stored, 1, ""},
      {"an encoded INI file", StoredForm(ini), false, FileForm::Stored, 1, ""},
      {"an INI file given as plain", ini, true, FileForm::Plain, 1, ""},
      // Too short to tell: both readings look like text.
      {"one letter", "W", false, FileForm::Stored, 1, ""},
      {"random bytes", StoredForm(std::string("\x01\x80\x7F\x02\x90", 5)), false, FileForm::Stored, 1, ""},
  };
  ModeCatalogue catalogue = {MakeMode(800, 600, 32, 60)};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CheckInput input;
    input.plain = c.givenPlain;
    input.programDirectory = "C:\\Show\\";
    input.file.bytes = c.bytes;
    input.file.size = c.bytes.size();
    input.modes = &catalogue;
    ConfigCheck check = CheckConfiguration(input);
    EXPECT_EQ(check.file.form, c.form);
    EXPECT_EQ(Judge(check).status, c.status);
    EXPECT_EQ(StopsTheRun(check.findings.back().kind), c.status == kFails);
    std::string kinds;
    for (const ModeCriterion& criterion : check.criteria) kinds += EntryKeyword(criterion.kind);
    if (c.status != kFails) {
      EXPECT_EQ(kinds, c.criteria);
    }
  }
}

// An INI file, as an editor saves it in UTF-8: each line says what to write, the first one after
// the mark too.
TEST(CheckFileForm, AnIniFileSavedAsUtf8IsToldLineByLine) {
  CheckInput input;
  input.programDirectory = "C:\\Show\\";
  input.file.bytes = "\xEF\xBB\xBFWidth = 800\r\n[Settings]\r\nHEIGHT=600\r\n";
  input.file.size = input.file.bytes.size();
  ConfigCheck check = CheckConfiguration(input);
  ASSERT_EQ(check.findings.size(), 4u);
  const std::vector<std::pair<FindingKind, std::string>> told = {
      {K::NoColon, "WIDTH:800"}, {K::SectionLine, ""}, {K::NoColon, "HEIGHT:600"}, {K::PlainTextFile, ""}};
  for (size_t i = 0; i < told.size(); ++i) {
    EXPECT_EQ(check.findings[i].kind, told[i].first) << i;
    EXPECT_EQ(check.findings[i].fix, told[i].second) << i;
  }
  EXPECT_EQ(check.findings.back().count, 1);  // no line of it is an entry the launcher reads
}

// The check of plain text for a launcher in `directory`, with `probe` answering for the machine.
ConfigCheck CheckPlainText(const std::string& directory, const std::string& text,
                           std::function<PathKind(const std::string&)> probe = nullptr) {
  CheckInput input = PlainInput(directory, text);
  input.probe = std::move(probe);
  return CheckConfiguration(input);
}

// Windows starts a program from a path of at most 259 characters: a longer application path fails
// whatever this machine holds there, and that is told rather than a missing file. A PATH value that
// the launcher reads otherwise than it looks is told first; one it does not take leaves the default.
TEST(ApplicationPath, LongerThanWindowsStartsFromFailsWhateverTheMachineHolds) {
  struct Case {
    const char* name;
    std::string directory, text;
    PathKind there;     // what the probe finds at the application path
    FindingKind found;  // the application's finding; PathEmpty for none
    int64_t length;     // its length, for PathTooLongToStart
    int64_t count;
  };
  const std::string show = "C:\\Show\\";  // 8 characters
  const std::string deep = "C:\\" + std::string(244, 'd') + "\\";  // 248: PROJECTOR.EXE makes 261
  const std::vector<Case> cases = {
      {"259 characters", show, "PATH:" + std::string(247, 'a') + ".exe\n", PathKind::File, FindingKind::PathEmpty, 0, 0},
      {"260 characters", show, "PATH:" + std::string(248, 'a') + ".exe\n", PathKind::File,
       FindingKind::PathTooLongToStart, 260, 1},
      {"not found there either", show, "PATH:" + std::string(145, 'L') + "/" + std::string(156, 'M') + "/GAME.EXE\n",
       PathKind::Missing, FindingKind::PathTooLongToStart, 319, 1},
      {"a full path", show, "PATH:D:/" + std::string(300, 'a') + ".exe\n", PathKind::File,
       FindingKind::PathTooLongToStart, 307, 1},
      {"the default application", deep, "", PathKind::File, FindingKind::PathTooLongToStart, 261, 0},
      {"quotes are told first", show, "PATH:\"" + std::string(300, 'a') + ".exe\"\n", PathKind::Missing,
       FindingKind::PathQuoted, 0, 0},
      {"a value the launcher does not take", "C:\\" + std::string(96, 'd') + "\\", "PATH:" + std::string(950, 'a') + "\n",
       PathKind::File, FindingKind::PathEmpty, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigCheck check = CheckPlainText(c.directory, "WIDTH:800\n" + c.text, [&c](const std::string&) { return c.there; });
    auto found = std::find_if(check.findings.begin(), check.findings.end(),
                              [](const Finding& f) { return IsApplicationFinding(f.kind); });
    if (c.found == FindingKind::PathEmpty) {
      EXPECT_EQ(found, check.findings.end()) << RenderReport(check, Rendering::Escaped);
      EXPECT_NE(Judge(check).status, kFails);
      continue;
    }
    ASSERT_NE(found, check.findings.end());
    EXPECT_EQ(found->kind, c.found);
    EXPECT_EQ(std::count_if(check.findings.begin(), check.findings.end(),
                            [](const Finding& f) { return IsApplicationFinding(f.kind); }), 1);
    EXPECT_EQ(Judge(check).status, kFails);
    EXPECT_EQ(Judge(check).cause, &*found);
    EXPECT_TRUE(IsPathValueFinding(found->kind));
    if (c.found != FindingKind::PathTooLongToStart) continue;
    EXPECT_EQ(found->subject, check.applicationPath);
    EXPECT_EQ(found->number, static_cast<int64_t>(check.applicationPath.size()));
    EXPECT_EQ(found->number, c.length);
    EXPECT_EQ(found->count, c.count);
    EXPECT_EQ(found->line, c.count != 0 ? 2 : 0);
  }
}

// Where the lines of the text are: counted as an editor counts them, for every entry.
TEST(CheckLines, EntriesAreToldWithTheLinesAnEditorCounts) {
  CheckInput input = PlainInput("C:\\Show\\", "WIDTH:800\nHEIGHT:600;DEPTH:32\r\r\n\nFREQ:60");
  ConfigCheck check = CheckConfiguration(input);
  std::vector<int> lines;
  for (const CheckedEntry& entry : check.entries) lines.push_back(entry.line);
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 2, 5}));
}

// --- what the display offers when no mode fits -------------------------------------------

// No mode fits in either pass: the check finds what the display offers nearest to the criteria,
// which the report then tells (its words: reports/no_mode_strict).
TEST(CheckSelection, WhatTheDisplayOffersWhenNoModeFits) {
  using Kind = NearestOffer::Kind;
  struct Case {
    const char* name;
    const char* text;
    const char* modes;
    Kind kind;
    std::string offered;  // the sizes with their depths, the depths, or the nearest size
  };
  const std::vector<Case> cases = {
      {"no mode at all", "WIDTH:800\n", "", Kind::NoModeAtAll, ""},
      {"an empty list", "WIDTH:abc,800\n", "800x600x32@60", Kind::EmptyList, ""},
      {"no size asked for", "DEPTH:16\n", "800x600x32@60,800x600x8@60,640x480x8@60", Kind::OnlyDepths, "32 8"},
      {"the size at other depths", "WIDTH:800\nDEPTH:16\n", "800x600x24@60,800x600x32@60,640x480x16@60",
       Kind::SizesAtDepths, "800x600:24,32"},
      {"no mode of the size", "WIDTH:1280\nHEIGHT:1024\n", "640x480x32@60,1024x768x32@60,1920x1440x32@60",
       Kind::NearestSize, "1024x768"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModeCatalogue catalogue;
    std::string bad;
    ASSERT_TRUE(ParseModeList(c.modes, catalogue, bad)) << bad;
    CheckInput input = PlainInput("C:\\Show\\", c.text);
    input.modes = &catalogue;
    ConfigCheck check = CheckConfiguration(input);
    ASSERT_EQ(check.selection.index, -1);
    EXPECT_EQ(check.findings.back().kind, FindingKind::NoModeFits);
    const NearestOffer& offer = check.selection.offer;
    EXPECT_EQ(offer.kind, c.kind);
    std::string offered;
    if (c.kind == Kind::OnlyDepths) {
      for (DWORD depth : offer.depths) offered += (offered.empty() ? "" : " ") + std::to_string(depth);
    } else if (c.kind == Kind::SizesAtDepths) {
      for (const auto& [size, depths] : offer.sizes) {
        offered += std::to_string(size.first) + "x" + std::to_string(size.second) + ":";
        for (size_t i = 0; i < depths.size(); ++i) offered += (i == 0 ? "" : ",") + std::to_string(depths[i]);
      }
    } else if (c.kind == Kind::NearestSize) {
      offered = std::to_string(offer.nearestWidth) + "x" + std::to_string(offer.nearestHeight);
    }
    EXPECT_EQ(offered, c.offered);
  }
}

// --- the depth the application sees ---------------------------------------------------------

struct DepthCase {
  const char* name;
  const char* text;
  const char* modes;       // the catalogue checked, or null for none
  const char* layers;      // the application's layers value, or null for none
  std::vector<int64_t> emulated;  // the depths told as emulated on Windows 8 and later
  int statusFrom8;         // the check's status there; before Windows 8 it is what it was
  const char* said;        // the fix or layer the finding names on Windows 8 and later, "" for nothing
};

void PrintTo(const DepthCase& c, std::ostream* os) { *os << c.name; }

class EmulatedDepth : public ::testing::TestWithParam<DepthCase> {};

const std::vector<WindowsVersion> kBefore8 = {{0, 0, 0}, {5, 1, 2600}, {6, 0, 6002}, {6, 1, 7601}};
const std::vector<WindowsVersion> kFrom8 = {{6, 2, 9200}, {6, 3, 9600}, {10, 0, 19045}};

AppLayersReading g_layers;
bool ScriptedLayers(const std::string&, AppLayersReading& layers) {
  layers = g_layers;
  return true;
}

TEST_P(EmulatedDepth, IsToldFromARealOneByTheWindowsVersionPassedIn) {
  const DepthCase& c = GetParam();
  ModeCatalogue catalogue;
  std::string bad;
  ASSERT_TRUE(c.modes == nullptr || ParseModeList(c.modes, catalogue, bad)) << bad;
  g_layers = AppLayersReading();
  if (c.layers != nullptr) {
    g_layers.status = AppLayersReading::Status::Found;
    g_layers.value = c.layers;
  }
  CheckInput input = PlainInput("C:\\Show\\", c.text);
  input.modes = c.modes != nullptr ? &catalogue : nullptr;
  input.layers = ScriptedLayers;

  input.windows = {6, 1, 7601};
  ConfigCheck before = CheckConfiguration(input);
  int statusBefore8 = Judge(before).status;
  for (const std::vector<WindowsVersion>* versions : {&kBefore8, &kFrom8}) {
    bool from8 = versions == &kFrom8;
    for (const WindowsVersion& windows : *versions) {
      SCOPED_TRACE(std::to_string(windows.major) + "." + std::to_string(windows.minor));
      input.windows = windows;
      ConfigCheck check = CheckConfiguration(input);
      auto found = std::find_if(check.findings.begin(), check.findings.end(),
                                [](const Finding& f) { return f.kind == FindingKind::EmulatedDepth; });
      bool told = from8 && !c.emulated.empty();
      ASSERT_EQ(found != check.findings.end(), told);
      EXPECT_EQ(Judge(check).status, from8 ? c.statusFrom8 : statusBefore8);
      if (!told) continue;
      EXPECT_EQ(found->numbers, c.emulated);
      // Told just before what the run does, in the report and (when it decides) the verdict.
      EXPECT_EQ(found + 1, check.findings.end() - 1);
      std::string body = FindingBody(*found, check, Rendering::Escaped);
      EXPECT_NE(body.find(c.said), std::string::npos) << body;
      EXPECT_NE(RenderReport(check, Rendering::Escaped).find("\ndepth: " + body + "\nresult: "), std::string::npos);
      if (c.statusFrom8 == kRunsNotAsWritten && Judge(check).cause == &*found) {
        EXPECT_NE(VerdictLine(check, Rendering::Escaped).find(body), std::string::npos);
      }
    }
  }
}

// The colour setting each fix names: the words around it are reports/emulated_depth's.
const char* const kSixteenBitFix = "with \"16-bit (65536) color\" on";

INSTANTIATE_TEST_SUITE_P(
    Check, EmulatedDepth,
    ::testing::Values(
        DepthCase{"ChosenModeAt16Bits", "WIDTH:640\nHEIGHT:480\nDEPTH:16\n", "640x480x32@60,640x480x16@60", nullptr,
                  {16}, 3, kSixteenBitFix},
        DepthCase{"ChosenModeAt8Bits", "WIDTH:640\nDEPTH:8\n", "640x480x8@60", nullptr, {8}, 3,
                  "with \"8-bit (256) color\" on"},
        DepthCase{"ThirtyTwoBitsComeFirst", "WIDTH:640\nDEPTH:16,32\n", "640x480x32@60,640x480x16@60", nullptr, {}, 0,
                  ""},
        DepthCase{"TwentyFourTakesAThirtyTwoBitMode", "WIDTH:640\nDEPTH:24\n", "640x480x16@60,640x480x32@60",
                  nullptr, {}, 0, ""},
        DepthCase{"ChosenModeAt24Bits", "WIDTH:640\nDEPTH:24\n", "640x480x24@60", nullptr, {24}, 3,
                  "no 24 bits"},
        DepthCase{"TheSwitchNamesNoDepth", "WIDTH:640\nHEIGHT:480\n", "640x480x16@60", nullptr, {}, 0, ""},
        DepthCase{"ARefusedSwitchGivesNoDepth", "WIDTH:640\nDEPTH:16\n", "640x480x32@60,320x200x16@60", nullptr, {},
                  3, ""},
        DepthCase{"NoModeFits", "WIDTH:640\nDEPTH:16\nSTRICT:1\n", "640x480x32@60", nullptr, {}, 1, ""},
        DepthCase{"WithoutACatalogueOnlyDepthsUnder24", "WIDTH:640\nDEPTH:16\n", nullptr, nullptr, {16}, 3,
                  kSixteenBitFix},
        DepthCase{"WithoutACatalogueSeveral", "DEPTH:16,8\n", nullptr, nullptr, {16, 8}, 3,
                  "\"16-bit (65536) color\" or \"8-bit (256) color\""},
        DepthCase{"WithoutACatalogue24MayBe32", "DEPTH:16,24\n", nullptr, nullptr, {}, 0, ""},
        DepthCase{"WithoutACatalogue32", "DEPTH:32,16\n", nullptr, nullptr, {}, 0, ""},
        DepthCase{"WithoutACatalogueEveryEntryCounts", "DEPTH:16,8,32\nDEPTH:8,16\n", nullptr, nullptr, {8, 16}, 3,
                  ""},
        DepthCase{"WithoutACatalogueNoModeHasNoBits", "DEPTH:0,8\n", nullptr, nullptr, {8}, 3, ""},
        DepthCase{"WithoutACatalogueAHugeDepthIsNone", "DEPTH:4294967280\n", nullptr, nullptr, {}, 0, ""},
        DepthCase{"WithoutACatalogueNoCommonDepth", "DEPTH:16\nDEPTH:8\n", nullptr, nullptr, {}, 0, ""},
        DepthCase{"IgnoredEntryStillWeighs", "DEPTH:16\nCOLOR:16\n", nullptr, nullptr, {16}, 3, ""},
        DepthCase{"TheApplicationsLayerGivesTheDepth", "WIDTH:640\nDEPTH:16\n", "640x480x16@60", "~ 16BITCOLOR",
                  {16}, 0, "gives it 16 bits"},
        DepthCase{"TheLayerNameInAnyCase", "DEPTH:8\n", nullptr, "~ HIGHDPIAWARE 256color", {8}, 0, ""},
        DepthCase{"TheApplicationsLayerGivesAnotherDepth", "WIDTH:640\nDEPTH:16\n", "640x480x16@60", "~ 256COLOR",
                  {16}, 3, "gives it 8 bits now"},
        DepthCase{"OneLayerCannotServeTwoDepths", "DEPTH:16,8\n", nullptr, "~ 16BITCOLOR", {16, 8}, 3, ""},
        DepthCase{"NoLayerGives24Bits", "WIDTH:640\nDEPTH:24\n", "640x480x24@60", "~ HIGHDPIAWARE", {24}, 3,
                  "no 24 bits"},
        DepthCase{"OtherLayersGiveNoDepth", "DEPTH:16\n", nullptr, "~ 640X480 WINXPSP3", {16}, 3, kSixteenBitFix}),
    [](const ::testing::TestParamInfo<DepthCase>& depth) { return std::string(depth.param.name); });

TEST(EmulatedDepthOnANetworkDrive, NoLayerHelpsAndTheFixSaysSo) {
  for (AppLocation location : {AppLocation::NetworkShare, AppLocation::NetworkDrive}) {
    g_layers = AppLayersReading();
    g_layers.status = AppLayersReading::Status::Found;
    g_layers.value = "~ 16BITCOLOR";
    g_layers.place = {location, location == AppLocation::NetworkDrive ? "N:" : "\\\\server\\share"};
    CheckInput input = PlainInput("C:\\Show\\", "DEPTH:16\n");
    input.windows = {10, 0, 19045};
    input.layers = ScriptedLayers;
    ConfigCheck check = CheckConfiguration(input);
    EXPECT_EQ(Judge(check).status, kRunsNotAsWritten);
    auto found = std::find_if(check.findings.begin(), check.findings.end(),
                              [](const Finding& f) { return f.kind == FindingKind::EmulatedDepth; });
    ASSERT_NE(found, check.findings.end());
    EXPECT_EQ(found->count, kLayersOnNetwork);
    // The layers' line says that they do not apply there, and the fix says where they would.
    std::string report = RenderReport(check, Rendering::Escaped);
    EXPECT_NE(report.find("compatibility layers for this user: \"~ 16BITCOLOR\"; "), std::string::npos) << report;
    EXPECT_NE(FindingBody(*found, check, Rendering::Escaped).find("local drive"), std::string::npos) << report;
  }
}

// On a CD-ROM or removable drive the layers read are the medium's: one that gives the depth serves
// like any other; where none does, the fix is the program's own Compatibility tab, which alone can
// set them; and with values for several media it is not known which applies.
TEST(EmulatedDepthOnRemovableMedia, TheMediumsLayersCountAndOnlyTheTabSetsThem) {
  using Status = AppLayersReading::Status;
  struct Case {
    const char* name;
    Status status;
    const char* value;
    int status16;       // the check's status for DEPTH:16 on Windows 10
    int64_t where;      // the finding's count: where the layers stand
    const char* said;   // the layer or the place the finding names
  };
  const std::vector<Case> cases = {
      {"the medium's value gives 16 bits", Status::Found, "~ 16BITCOLOR", kRunsAsWritten, kLayersOnMedium,
       "gives it 16 bits"},
      {"the medium's value gives 8 bits", Status::Found, "~ 256COLOR", kRunsNotAsWritten, kLayersOnMedium,
       "with the medium in the drive"},
      {"no medium's value", Status::NoValue, "", kRunsNotAsWritten, kLayersOnMedium, "with the medium in the drive"},
      {"several media's values", Status::SeveralMedia, "", kRunsNotAsWritten, kLayersOfUnknownMedium, "not known"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_layers = AppLayersReading();
    g_layers.status = c.status;
    g_layers.value = c.value;
    g_layers.place = {AppLocation::RemovableMedia, "D:"};
    g_layers.media = c.status == Status::SeveralMedia ? 2 : c.status == Status::Found ? 1 : 0;
    CheckInput input = PlainInput("D:\\Show\\", "DEPTH:16\n");
    input.windows = {10, 0, 19045};
    input.layers = ScriptedLayers;
    ConfigCheck check = CheckConfiguration(input);
    EXPECT_EQ(Judge(check).status, c.status16);
    auto found = std::find_if(check.findings.begin(), check.findings.end(),
                              [](const Finding& f) { return f.kind == FindingKind::EmulatedDepth; });
    ASSERT_NE(found, check.findings.end());
    EXPECT_EQ(found->count, c.where);
    std::string body = FindingBody(*found, check, Rendering::Escaped);
    EXPECT_NE(body.find(c.said), std::string::npos) << body;
    // Kavelo2 Settings cannot set them there, and the report's line says where they are kept.
    EXPECT_EQ(body.find("Kavelo2 Settings"), std::string::npos) << body;
    std::string report = RenderReport(check, Rendering::Escaped);
    EXPECT_NE(report.find("medium in D:"), std::string::npos) << report;
  }
}

// --- the in-memory check, as a dialog uses it ----------------------------------------------

// A folder too long for the launcher's paths: the launcher ends at once, and the check says so in
// its one finding, which every rendering of it can tell.
TEST(CheckConfiguration, AFolderTooLongForTheLaunchersPathsStopsTheRun) {
  CheckInput input = PlainInput("C:\\" + std::string(1010, 'f') + "\\", "WIDTH:800\n");
  ConfigCheck check = CheckConfiguration(input);
  EXPECT_FALSE(check.made);
  ASSERT_EQ(check.findings.size(), 1u);
  EXPECT_EQ(check.findings[0].kind, FindingKind::FolderTooLong);
  EXPECT_TRUE(StopsTheRun(check.findings[0].kind));
  EXPECT_EQ(Judge(check).status, kFails);
  for (Rendering rendering : {Rendering::Escaped, Rendering::Dialog}) {
    EXPECT_FALSE(RenderReport(check, rendering).empty());
    EXPECT_EQ(VerdictLine(check, rendering).find('\n'), std::string::npos);
  }
}

TEST(CheckConfiguration, FindingsAreKindsWithTheirLinesAndWeights) {
  CheckInput input = PlainInput("C:\\Show\\", "WIDTH:800\nCOLOUR:8\nPATH: C:/Games/GAME.EXE\n");
  ConfigCheck check = CheckConfiguration(input);
  ASSERT_EQ(check.findings.size(), 3u);
  EXPECT_EQ(check.findings[0].kind, FindingKind::UnknownKey);
  EXPECT_EQ(check.findings[0].line, 2);
  EXPECT_EQ(check.findings[0].status, 3);
  EXPECT_EQ(check.findings[1].kind, FindingKind::PathBlankAtStart);
  EXPECT_EQ(check.findings[1].line, 3);
  EXPECT_EQ(check.findings[1].status, 1);
  EXPECT_EQ(check.findings[2].kind, FindingKind::PicksFirstFit);
  // The failed start outweighs the ignored entry, and the verdict names it.
  EXPECT_EQ(Judge(check).status, 1);
  EXPECT_EQ(Judge(check).cause, &check.findings[1]);
  EXPECT_EQ(check.findings[1].fix, "C:\\Games\\GAME.EXE");
  std::string verdict = VerdictLine(check, Rendering::Escaped);
  EXPECT_NE(verdict.find("line 3: " + FindingBody(check.findings[1], check, Rendering::Escaped)), std::string::npos)
      << verdict;
  std::string report = RenderReport(check, Rendering::Escaped);
  for (const Finding& finding : check.findings) {
    EXPECT_NE(report.find(RoleLabel(RoleOf(finding)) + FindingBody(finding, check, Rendering::Escaped) + "\n"), std::string::npos)
        << FindingBody(finding, check, Rendering::Escaped);
  }
  input.file.bytes = "WIDTH:800\n";
  input.file.size = input.file.bytes.size();
  check = CheckConfiguration(input);
  EXPECT_EQ(Judge(check).status, 0);
  // Without a finding that decides, the verdict is what the run does.
  EXPECT_EQ(VerdictLine(check, Rendering::Escaped),
            "result: " + FindingBody(check.findings.back(), check, Rendering::Escaped));
}

// How the words show quoted bytes: the console escapes everything outside printable ASCII, the
// dialog keeps the code page's letters; control characters are escaped in both.
TEST(Rendering, TheConsoleEscapesTheCodePagesLettersAndTheDialogKeepsThem) {
  struct Case {
    Rendering rendering;
    const char* shown;  // of "Caf\xE9 \x01\x7F\xFF"
  };
  const Case cases[] = {{Rendering::Escaped, "Caf\\xE9 \\x01\\x7F\\xFF"}, {Rendering::Dialog, "Caf\xE9 \\x01\\x7F\xFF"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Shown("Caf\xE9 \x01\x7F\xFF", c.rendering), c.shown);
    EXPECT_EQ(Quoted("Caf\xE9 \x01\x7F\xFF", c.rendering), std::string("\"") + c.shown + "\"");
  }
  // Every part of the report follows the choice: the folder, an entry, a finding, the verdict.
  ConfigCheck check = CheckPlainText("C:\\Caf\xE9\\", "WIDTH:800\nPATH:\"M\xFCnster.exe\"\n");
  std::string console = RenderReport(check, Rendering::Escaped) + VerdictLine(check, Rendering::Escaped);
  std::string dialog = RenderReport(check, Rendering::Dialog) + VerdictLine(check, Rendering::Dialog);
  EXPECT_EQ(console.find_first_of("\xE9\xFC"), std::string::npos) << console;
  EXPECT_EQ(dialog.find("\\x"), std::string::npos) << dialog;
  for (const char* part : {"program directory: C:\\Caf\xE9\\\n", "PATH:\"M\xFCnster.exe\"\n",
                           "C:\\Caf\xE9\\\"M\xFCnster.exe\""}) {
    EXPECT_NE(dialog.find(part), std::string::npos) << part << "\n" << dialog;
  }
}

// Beyond the letters, the dialog's words are its own: where the checker's point to the file's PATH
// entry and to Kavelo2 Settings, the dialog's point to its Application field and its own group of
// the application's settings; and they name no line of the text the dialog checks, which is the
// one saving writes, not the file the user has open.
TEST(Rendering, TheDialogNamesItsOwnControlsAndNoLineOfTheTextItChecks) {
  struct Case {
    const char* name;
    std::string text;  // after a WIDTH entry
    PathKind there;    // what the probe finds
    ProgramFormat format = ProgramFormat::Unread;  // what the application's file is as a program
  };
  const std::vector<Case> cases = {
      {"no program", "PATH:README.TXT\n", PathKind::File, ProgramFormat::NotProgram},
      {"quoted", "PATH:\"C:\\Games\\GAME.EXE\"\n", PathKind::Unknown},
      {"a blank", "PATH:GAME.EXE \n", PathKind::Unknown},
      {"from a share", "PATH:\\\\server\\share\\GAME.EXE\n", PathKind::Unknown},
      {"from the drive's root", "PATH:\\GAME.EXE\n", PathKind::Unknown},
      {"a folder's name", "PATH:Games\\\n", PathKind::Unknown},
      {"missing", "PATH:GAME.EXE\n", PathKind::Missing},
      {"the default missing", "", PathKind::Missing},
      {"a folder", "PATH:GAME.EXE\n", PathKind::Folder},
      {"too long to start", "PATH:" + std::string(300, 'a') + ".exe\n", PathKind::File},
      {"the default too long to start", "HEIGHT:600\n", PathKind::File},
      {"16 bits only emulated", "DEPTH:16\n", PathKind::File},
  };
  const std::regex line("line [0-9]");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string directory = c.name == std::string("the default too long to start") ? "C:\\" + std::string(250, 'd') + "\\"
                                                                                    : "C:\\Show\\";
    CheckInput input = PlainInput(directory, "WIDTH:800\n" + c.text);
    input.windows = {10, 0, 19045};
    input.probe = [&c](const std::string&) { return c.there; };
    input.image = [&c](const std::string&, ProgramImage& image) {
      image.format = c.format;
      return c.format != ProgramFormat::Unread;
    };
    ConfigCheck check = CheckConfiguration(input);
    ASSERT_NE(Judge(check).status, kRunsAsWritten);
    std::string console = VerdictLine(check, Rendering::Escaped) + "\n" + RenderReport(check, Rendering::Escaped);
    std::string dialog = VerdictLine(check, Rendering::Dialog) + "\n" + RenderReport(check, Rendering::Dialog);
    bool pointsToTheFile = false;
    for (const char* pointer : {"\"PATH:", "PATH entry", "Kavelo2 Settings"}) {
      pointsToTheFile = pointsToTheFile || console.find(pointer) != std::string::npos;
      EXPECT_EQ(dialog.find(pointer), std::string::npos) << pointer << "\n" << dialog;
    }
    EXPECT_TRUE(pointsToTheFile) << console;
    EXPECT_TRUE(std::regex_search(console, line)) << console;
    EXPECT_FALSE(std::regex_search(dialog, line)) << dialog;
    EXPECT_NE(dialog.find(c.name == std::string("16 bits only emulated") ? "set it here" : "Application field"),
              std::string::npos) << dialog;
  }
}

// Whether a return reached the registry mode: size, depth and rate, where the rate is known.
TEST(RestoreOutcome, BackInTheRegistryModeOnlyWhenThePlatformTookItAndTheModeIsThere) {
  struct Case {
    const char* name;
    DEVMODEA after;
    bool registryKnown;
    LONG result;
    bool back;
    const char* said;  // the mode the result names, where it is about one
  };
  const DEVMODEA registry = MakeMode(1024, 768, 32, 60);
  const std::vector<Case> cases = {
      {"there", MakeMode(1024, 768, 32, 60), true, DISP_CHANGE_SUCCESSFUL, true, "1024x768x32@60"},
      {"the default rate meets any", MakeMode(1024, 768, 32, 1), true, DISP_CHANGE_SUCCESSFUL, true, "back"},
      {"another rate", MakeMode(1024, 768, 32, 75), true, DISP_CHANGE_SUCCESSFUL, false, "1024x768x32@75"},
      {"another size", MakeMode(800, 600, 32, 60), true, DISP_CHANGE_SUCCESSFUL, false, "800x600x32@60"},
      {"another depth", MakeMode(1024, 768, 16, 60), true, DISP_CHANGE_SUCCESSFUL, false, "1024x768x16@60"},
      {"registry not readable", MakeMode(800, 600, 32, 60), false, DISP_CHANGE_SUCCESSFUL, true, "800x600x32@60"},
      {"refused", MakeMode(1024, 768, 32, 60), true, DISP_CHANGE_FAILED, false, "refused"},
  };
  for (const Case& c : cases) {
    RestoreOutcome outcome;
    outcome.before = MakeMode(640, 480, 32, 60);
    outcome.registryKnown = c.registryKnown;
    if (c.registryKnown) outcome.registry = registry;
    outcome.result = c.result;
    outcome.after = c.after;
    EXPECT_EQ(BackInRegistryMode(outcome), c.back) << c.name;
    EXPECT_NE(RestoreResult(outcome).find(c.said), std::string::npos) << c.name << ": " << RestoreResult(outcome);
    // A message box's proportional font aligns no columns: its lines carry no runs of blanks.
    std::string message = RestoreMessage(outcome);
    EXPECT_EQ(message.find("  "), std::string::npos) << message;
    EXPECT_EQ(message.rfind("Mode before: 640x480x32@60\n", 0), 0u) << message;
  }
}

}  // namespace
