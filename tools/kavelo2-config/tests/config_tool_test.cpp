// kavelo2-config on the host: whole command lines run in process against real files, with the
// launcher's own decoder and reader as the reference.
#include "launcher/config_file.h"
#include "tools/kavelo2-config/config_tool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

std::string ReadStream(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0) text.append(chunk, count);
  std::fclose(file);
  return text;
}

// The stored form as the launcher's own transform makes it.
std::string LauncherTransform(std::string text) {
  DecodeConfigBuffer(text.data(), text.size());
  return text;
}

size_t LineCount(const std::string& text) {
  size_t lines = 0;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

class ConfigToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kavelo2-config-XXXXXX";
    folder_ = mkdtemp(pattern);
    unsetenv("KAVELO2_SIM_MODES");
  }
  void TearDown() override {
    std::string command = "rm -rf '" + folder_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    unsetenv("KAVELO2_SIM_MODES");
  }

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    std::FILE* file = std::fopen(Path(name).c_str(), "wb");
    EXPECT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return Path(name);
  }

  std::string Read(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr) << path;
    return file ? ReadStream(file) : std::string();
  }

  static ToolRun Run(const std::vector<std::string>& args, const std::string& input = "") {
    std::FILE* in = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int status = RunConfigTool(args, {in, out, err});
    std::fclose(in);
    return {status, ReadStream(out), ReadStream(err)};
  }

  // `check` of plain text stored as the launcher reads it, in the folder C:\Show\.
  ToolRun Check(const std::string& plainText, std::vector<std::string> extra = {}) const {
    std::vector<std::string> args = {"check", Write("Kavelo2.ini", LauncherTransform(plainText)),
                                     "--program-dir", "C:\\Show"};
    args.insert(args.end(), extra.begin(), extra.end());
    return Run(args);
  }

  std::string folder_;
};

// --- encode and decode ---------------------------------------------------------------------

TEST_F(ConfigToolTest, EncodeGivesWhatTheLauncherDecodesBackAndDecodeUndoesIt) {
  std::string allBytes;
  for (int byte = 0; byte < 256; ++byte) allBytes += static_cast<char>(byte);
  const std::vector<std::string> texts = {"abc", "WIDTH:800\r\nHEIGHT:600\r\n", allBytes,
                                          std::string(997, ';') + "WIDTH:640\n"};
  for (const std::string& text : texts) {
    std::string plain = Write("plain.txt", text);
    ASSERT_EQ(Run({"encode", plain, Path("stored.ini")}).status, 0);
    std::string stored = Read(Path("stored.ini"));
    EXPECT_EQ(stored.size(), text.size());

    // The launcher's own read of the stored file gives back the first 998 bytes of the text.
    std::FILE* file = std::fopen(Path("stored.ini").c_str(), "rb");
    char buffer[kConfigBufferSize];
    size_t count = ReadConfigBuffer(file, buffer);
    std::fclose(file);
    EXPECT_EQ(std::string(buffer, count), text.substr(0, kConfigReadLimit));

    ASSERT_EQ(Run({"decode", Path("stored.ini"), Path("again.txt")}).status, 0);
    EXPECT_EQ(Read(Path("again.txt")), text);
  }
  // The worked example: abc is stored as 61 9D 9C.
  EXPECT_EQ(Run({"encode"}, "abc").out, "\x61\x9D\x9C");
}

TEST_F(ConfigToolTest, StandardStreamsByDefaultAndByDash) {
  std::string text = "WIDTH:640\n";
  ToolRun encoded = Run({"encode"}, text);
  EXPECT_EQ(encoded.status, 0);
  EXPECT_EQ(encoded.out, LauncherTransform(text));
  EXPECT_EQ(encoded.err, "");
  EXPECT_EQ(Run({"decode", "-", "-"}, encoded.out).out, text);
}

TEST_F(ConfigToolTest, EncodeWarnsAboutWhatTheLauncherWillNotRead) {
  struct Case {
    const char* name;
    std::string text;
    const char* warning;  // expected in the one warning line; "" for none
  };
  const std::string head = std::string(990, ';');
  const std::vector<Case> cases = {
      {"fits", "WIDTH:640\n", ""},
      {"entry across the limit", head + "WIDTH:640\nHEIGHT:480\n",
       "the launcher reads only the first 998 of 1011 bytes: line 1 \"WIDTH:640\" is cut to "
       "\"WIDTH:64\", and 1 entry after it is never read"},
      {"limit between entries", std::string(998, ';') + "WIDTH:640\n",
       "the launcher reads only the first 998 of 1008 bytes: 1 entry after that is never read"},
      {"NUL", std::string("WIDTH:640\n\0HEIGHT:480\n", 22),
       "the text holds a NUL byte at offset 10: the launcher reads nothing after it"},
      {"empty", "", "the text is empty"},
      {"already encoded", LauncherTransform("WIDTH:640\n"), "looks encoded already"},
  };
  for (const Case& c : cases) {
    ToolRun run = Run({"encode", Write("in.txt", c.text), Path("out.ini")});
    EXPECT_EQ(run.status, 0) << c.name;
    if (std::string(c.warning).empty()) {
      EXPECT_EQ(run.err, "") << c.name;
    } else {
      EXPECT_NE(run.err.find(c.warning), std::string::npos) << c.name << ": " << run.err;
      EXPECT_EQ(LineCount(run.err), 1u) << c.name << ": " << run.err;
    }
  }
  EXPECT_NE(Run({"decode"}, "WIDTH:640\n").err.find("looks like plain text"), std::string::npos);
}

// --- check: entries ------------------------------------------------------------------------

struct EntryCase {
  const char* name;
  std::string text;
  std::vector<std::string> expected;  // each must appear in the report
};

// Failures name the case rather than dumping its bytes.
void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class CheckEntries : public ConfigToolTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(CheckEntries, ReportsWhatTheLauncherMakesOfEachEntry) {
  // A WIDTH entry first keeps every case runnable, so the status is 0 throughout.
  ToolRun run = Check("WIDTH:800\n" + GetParam().text);
  EXPECT_EQ(run.status, 0) << run.err;
  for (const std::string& expected : GetParam().expected) {
    EXPECT_NE(run.out.find(expected), std::string::npos) << "missing: " << expected << "\n" << run.out;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Check, CheckEntries,
    ::testing::Values(
        EntryCase{"BlankAfterKey", "Width :640\n",
                  {"line 2: Width :640", "ignored: unknown key \"WIDTH \" (a blank belongs to the "
                                         "key; write \"WIDTH:\")"}},
        EntryCase{"BlankBeforeKey", " HEIGHT:480\n", {"a blank belongs to the key; write \"HEIGHT:\""}},
        EntryCase{"LowerCaseKeys", "height:480\nDepth:32\n",
                  {"accepted: HEIGHT 480", "accepted: DEPTH 32", "  2. HEIGHT 480\n  3. DEPTH 32\n"}},
        EntryCase{"Misspelt", "HIEGHT:480\nFREQUENCY:60\n",
                  {"unknown key \"HIEGHT\" (did you mean HEIGHT?)",
                   "unknown key \"FREQUENCY\" (did you mean FREQ?)"}},
        EntryCase{"UnknownKey", "COLOUR:32\n", {"ignored: unknown key \"COLOUR\"\n"}},
        EntryCase{"EmptyKey", ":640\n", {"unknown key \"\" (the key is empty)"}},
        EntryCase{"NoColon", "HEIGHT 480\nHEIGHT=480\nhello\n",
                  {"ignored: no colon (write \"HEIGHT:480\")", "line 3: HEIGHT=480\n  ignored: no colon (write \"HEIGHT:480\")",
                   "line 4: hello\n  ignored: no colon\n"}},
        EntryCase{"EmptyValue", "HEIGHT:\n", {"ignored: the value is empty"}},
        EntryCase{"NoNumber", "HEIGHT:abc\n", {"ignored: the list reads no number"}},
        EntryCase{"EmptyListAccepted", "HEIGHT:abc,640\n",
                  {"accepted: HEIGHT with an empty list: this criterion rejects every mode",
                   "note: the list stops at \"abc\", which reads no number; \"640\" is not read",
                   "2. HEIGHT with an empty list"}},
        EntryCase{"EmptyElementStopsTheList", "HEIGHT:600,,800\n",
                  {"accepted: HEIGHT 600\n",
                   "note: the list stops at an empty element, which reads no number; \"800\" is "
                   "not read"}},
        EntryCase{"TextAfterANumber", "HEIGHT:600x480,800\n",
                  {"accepted: HEIGHT 600, 800", "note: \"x480\" after 600 is ignored"}},
        EntryCase{"OctalAndHex", "HEIGHT:0640,0x280\n",
                  {"accepted: HEIGHT 416, 640", "note: \"0640\" is octal: 416"}},
        EntryCase{"TrailingJunkElement", "HEIGHT:600,abc\n",
                  {"accepted: HEIGHT 600", "note: \"abc\" reads no number and is ignored"}},
        EntryCase{"FreqEmptyList", "FREQ:,60\n",
                  {"FREQ with an empty list: every mode fails it in the strict pass, and the "
                   "relaxed pass ignores it"}},
        EntryCase{"StrictOnlyAbove0", "STRICT:0\nBACKDROP:-1\n",
                  {"STRICT 0, no effect", "BACKDROP -1, no effect", "STRICT: off", "BACKDROP: off"}},
        EntryCase{"StrictStaysOn", "STRICT:1\nSTRICT:0\n", {"STRICT 1, turns STRICT on", "STRICT: on"}},
        EntryCase{"PathWithDrive", "PATH:D:/Apps/show.exe\n",
                  {"accepted: PATH, application D:\\Apps\\show.exe", "application: D:\\Apps\\show.exe"}},
        EntryCase{"PathWithoutDrive", "PATH:media/show.exe\n",
                  {"application C:\\Show\\media\\show.exe"}},
        EntryCase{"PathWithBlank", "PATH: C:/show.exe\n",
                  {"application C:\\Show\\ C:\\show.exe (the blank at the start belongs to the path)"}},
        EntryCase{"EmptyPath", "PATH:\n", {"application: C:\\Show\\\n"}},
        EntryCase{"LastPathCounts", "PATH:a.exe\nPATH:b.exe\n", {"application: C:\\Show\\b.exe"}},
        EntryCase{"DefaultApplication", "", {"application: C:\\Show\\PROJECTOR.EXE"}},
        EntryCase{"SemicolonsAndLineEnds", "HEIGHT:600;DEPTH:32\r\r\n\nFREQ:60",
                  {"line 2: HEIGHT:600", "line 2: DEPTH:32", "line 5: FREQ:60"}},
        EntryCase{"ByteOrderMark", "\xEF\xBB\xBFHEIGHT:600\n", {"UTF-8 byte order mark"}},
        EntryCase{"UnprintableBytes", "PATH:\tx\x80\n", {"line 2: PATH:\\x09x\\x80"}},
        EntryCase{"NulEndsTheText", std::string("HEIGHT:600\nDEPTH:3\0" "2\nFREQ:60\n", 29),
                  {"line 3: the text ends at a NUL byte (offset 28); nothing after it is read, "
                   "and \"DEPTH:3\", which runs into it, is dropped",
                   "criteria, in order:\n  1. WIDTH 800\n  2. HEIGHT 600\nSTRICT"}},
        EntryCase{"ReadLimitCutsAnEntry", std::string(979, ';') + "HEIGHT:600\nDEPTH:32\n",
                  {"accepted: HEIGHT 60\n",
                   "the launcher reads only the first 998 of 1009 bytes: line 2 \"HEIGHT:600\" is "
                   "cut to \"HEIGHT:60\", and 1 entry after it is never read"}}),
    [](const ::testing::TestParamInfo<EntryCase>& entry) { return std::string(entry.param.name); });

TEST_F(ConfigToolTest, FileNamesTheLauncherLooksFor) {
  std::string stored = LauncherTransform("WIDTH:800\n");
  EXPECT_EQ(Run({"check", Write("Kavelo2.ini", stored)}).out.find("note:"), std::string::npos);
  EXPECT_NE(Run({"check", Write("show.ini", stored)}).out.find(
                "only when it is named show.exe and no Kavelo2.ini lies beside it"),
            std::string::npos);
  EXPECT_NE(Run({"check", Write("show.cfg", stored)}).out.find("no launcher reads a file of this name"),
            std::string::npos);
  // Without --program-dir, the launcher's folder is the file's, as Wine shows it.
  EXPECT_NE(Run({"check", Write("Kavelo2.ini", stored)}).out.find("program directory: Z:\\tmp\\kavelo2-config-"),
            std::string::npos);
}

// --- check: selection ----------------------------------------------------------------------

struct SelectionCase {
  const char* name;
  const char* text;
  const char* modes;
  int status;
  const char* expected;  // the selection line, or the result for no mode
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }

class CheckSelection : public ConfigToolTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(CheckSelection, PicksWhatTheLauncherPicks) {
  const SelectionCase& c = GetParam();
  ToolRun run = Check(c.text, {"--modes", c.modes});
  EXPECT_EQ(run.status, c.status) << run.out;
  EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Check, CheckSelection,
    ::testing::Values(
        SelectionCase{"FirstFitInEnumerationOrder", "WIDTH:800\nHEIGHT:600\n",
                      "640x480x32@60,800x600x32@60,800x600x32@75", 0,
                      "selection: mode 1, 800x600x32@60, in the strict pass, FieldMask 0x00180000 "
                      "(DM_PELSWIDTH | DM_PELSHEIGHT)\n"},
        SelectionCase{"FrequencyBitInTheStrictPass", "WIDTH:800\nDEPTH:32\nFREQ:75\n",
                      "800x600x32@60 800x600x32@75", 0,
                      "mode 1, 800x600x32@75, in the strict pass, FieldMask 0x004C0000 "
                      "(DM_PELSWIDTH | DM_BITSPERPEL | DM_DISPLAYFREQUENCY)"},
        SelectionCase{"Depth32TakesA24BitMode", "WIDTH:800\nDEPTH:32\n", "800x600x16@60,800x600x24@60", 0,
                      "mode 1, 800x600x24@60, in the relaxed pass, FieldMask 0x000C0000"},
        SelectionCase{"Depth24TakesA32BitMode", "WIDTH:800\nDEPTH:24\n", "800x600x32@60", 0,
                      "mode 0, 800x600x32@60, in the relaxed pass"},
        SelectionCase{"Depth16HasNoStandIn", "WIDTH:800\nDEPTH:16\n", "800x600x24@60,800x600x32@60", 0,
                      "result: the launcher starts C:\\Show\\PROJECTOR.EXE in the current display "
                      "mode, without a backdrop"},
        SelectionCase{"NoModeWithStrictStops", "WIDTH:800\nDEPTH:16\nSTRICT:1\n", "800x600x32@60", 1,
                      "result: the launcher stops: STRICT is on, so it shows \"This application "
                      "failed to find a suitable screen resolution and/or color depth.\""},
        SelectionCase{"MissingFrequencyIsRelaxed", "WIDTH:800\nFREQ:85\n", "800x600x32@60,800x600x32@75", 0,
                      "mode 0, 800x600x32@60, in the relaxed pass, FieldMask 0x00080000 (DM_PELSWIDTH)"},
        SelectionCase{"LateExactBeatsEarlyRelaxed", "WIDTH:800\nDEPTH:32\n",
                      "800x600x24@60,1024x768x32@60,800x600x32@60", 0, "mode 2, 800x600x32@60, in the strict pass"},
        SelectionCase{"RelaxedTakesTheFirstOfEqualStandIns", "DEPTH:32\nFREQ:75\n",
                      "800x600x24@75,800x600x32@60", 0, "mode 0, 800x600x24@75, in the relaxed pass"},
        SelectionCase{"TwoWidthCriteriaMustBothPass", "WIDTH:800\nWIDTH:1024\n", "800x600x32@60,1024x768x32@60",
                      0, "selection: no mode fits, in either pass"},
        SelectionCase{"OneListAcceptsEither", "WIDTH:1024,800\n", "800x600x32@60,1024x768x32@60", 0,
                      "selection: mode 0, 800x600x32@60, in the strict pass"},
        SelectionCase{"DuplicateModesFirstWins", "WIDTH:800\n", "640x480x8@60,800x600x8@60,800x600x8@60", 0,
                      "selection: mode 1, 800x600x8@60"},
        SelectionCase{"EmptyCatalogue", "WIDTH:800\nSTRICT:1\n", "", 1, "modes: 0, as given"},
        SelectionCase{"EmptyWidthListFitsNothing", "WIDTH:abc,800\n", "800x600x32@60", 0,
                      "selection: no mode fits"},
        SelectionCase{"BackdropComesBeforeTheSwitch", "WIDTH:640\nHEIGHT:480\nBACKDROP:1\n",
                      "640x480x32@60", 0,
                      "result: the launcher covers the screen with its black backdrop, switches to "
                      "640x480 and starts C:\\Show\\PROJECTOR.EXE"},
        SelectionCase{"OnlyTheNamedFieldsAreAskedFor", "WIDTH:640\n", "640x480x32@60", 0,
                      "  note: the switch names no height, so the display keeps its current one\n"
                      "result: the launcher switches to width 640 and starts"}),
    [](const ::testing::TestParamInfo<SelectionCase>& selection) { return std::string(selection.param.name); });

TEST_F(ConfigToolTest, DisplayCatalogueIsTheSimulatedOne) {
  // By default the 27 modes of the 1024x768 desktop, 32, 16 and 8 bits.
  ToolRun modes = Run({"modes"});
  EXPECT_EQ(modes.status, 0);
  EXPECT_EQ(LineCount(modes.out), 27u);
  EXPECT_EQ(modes.out.substr(0, 28), "320x200x32@60\n320x240x32@60\n");
  EXPECT_NE(modes.out.find("\n1024x768x32@60\n320x200x16@60\n"), std::string::npos);

  setenv("KAVELO2_SIM_MODES", "640x480x32@60, 800x600x16@75", 1);
  EXPECT_EQ(Run({"modes"}).out, "640x480x32@60\n800x600x16@75\n");
  ToolRun check = Check("WIDTH:800\n", {"--modes", "display"});
  EXPECT_NE(check.out.find("modes: 2, from the display\nselection: mode 1, 800x600x16@75"), std::string::npos)
      << check.out;
  // The output of modes is a list that --modes takes back.
  EXPECT_NE(Check("WIDTH:800\n", {"--modes", Run({"modes"}).out}).out.find("selection: mode 1"),
            std::string::npos);
}

TEST_F(ConfigToolTest, FieldsTheSwitchLeavesOutComeFromTheModeInForce) {
  // The simulated display runs in 1024x768x32@60, its largest mode.
  struct Case {
    const char* text;
    int status;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"WIDTH:640\n", 0,
       "note: the switch names no height, so the display keeps its current one; it does not offer "
       "640x768 at 32 bits (add a HEIGHT entry)\nresult: the launcher asks for 640x768 at 32 bits, "
       "which the display will most likely refuse, and starts C:\\Show\\PROJECTOR.EXE in the "
       "current display mode"},
      {"WIDTH:640\nSTRICT:1\n", 1,
       "result: the launcher stops: the display will most likely refuse 640x768 at 32 bits, and with "
       "STRICT on the launcher then shows the platform's error and starts nothing"},
      {"DEPTH:16\n", 0,
       "note: the switch names no size, so the display keeps its current one\nresult: the launcher "
       "switches to 1024x768 at 16 bits"},
      {"WIDTH:1024\nFREQ:60\n", 0, "result: the launcher switches to 1024x768 at 32 bits at 60 Hz"},
  };
  for (const Case& c : cases) {
    ToolRun run = Check(c.text, {"--modes", "display"});
    EXPECT_EQ(run.status, c.status) << c.text;
    EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
  }
}

// --- exit statuses and bad input -----------------------------------------------------------

TEST_F(ConfigToolTest, StatusesAndOneErrorLine) {
  std::mt19937 random(5);
  std::string noise;
  for (int i = 0; i < 700; ++i) noise += static_cast<char>(random() & 0xFF);
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* error;  // expected in the one line on standard error; "" for none
  };
  const std::vector<Case> cases = {
      {"runs", {"check", Write("good.ini", LauncherTransform("WIDTH:800\n"))}, 0, ""},
      {"missing file", {"check", Path("absent.ini")}, 2, "cannot open \""},
      {"random bytes", {"check", Write("noise.ini", noise)}, 1,
       "the launcher would stop: no WIDTH, HEIGHT, DEPTH or FREQ entry"},
      {"plain text", {"check", Write("plain.ini", "WIDTH:800\r\nHEIGHT:600\r\n")}, 1,
       "this file looks like plain text: encode it first"},
      {"stored form with --plain", {"check", "--plain", Path("good.ini")}, 1,
       "this file looks encoded: check it without --plain"},
      {"plain text with --plain", {"check", "--plain", Path("plain.ini")}, 0, ""},
      {"empty file", {"check", Write("empty.ini", "")}, 1, "the file is empty"},
      {"no mode entry", {"check", Write("flags.ini", LauncherTransform("PATH:x.exe\nSTRICT:1\nBACKDROP:1\n"))},
       1, "no WIDTH, HEIGHT, DEPTH or FREQ entry"},
      {"a folder", {"check", folder_}, 2, "cannot read"},
      {"no command", {}, 2, "no command given"},
      {"unknown command", {"verify"}, 2, "unknown command \"verify\""},
      {"two files", {"check", Path("good.ini"), Path("good.ini")}, 2, "check reads one file"},
      {"unknown option", {"check", "--strict"}, 2, "unknown option --strict"},
      {"option without value", {"check", Path("good.ini"), "--modes"}, 2, "--modes needs a value"},
      {"bad mode", {"check", Path("good.ini"), "--modes", "800x600x32"}, 2,
       "\"800x600x32\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)"},
      {"too many files", {"encode", Path("good.ini"), Path("x"), Path("y")}, 2, "too many arguments"},
      {"encode a missing file", {"encode", Path("absent.txt")}, 2, "cannot open"},
      {"write into a missing folder", {"decode", Path("good.ini"), Path("no/such/out.txt")}, 2,
       "cannot open"},
      {"modes with an argument", {"modes", "all"}, 2, "modes takes no arguments"},
  };
  for (const Case& c : cases) {
    ToolRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.out << run.err;
    if (c.status == 0) {
      EXPECT_EQ(run.err, "") << c.name;
      continue;
    }
    EXPECT_EQ(LineCount(run.err), 1u) << c.name << ": " << run.err;
    EXPECT_EQ(run.err.rfind("kavelo2-config: ", 0), 0u) << c.name << ": " << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << c.name << ": " << run.err;
  }
  setenv("KAVELO2_SIM_MODES", "800x600", 1);
  EXPECT_EQ(Run({"modes"}).status, 2);
  EXPECT_EQ(Run({"--help"}).status, 0);
}

// --- the shipped sample ----------------------------------------------------------------------

TEST_F(ConfigToolTest, SampleConfigurationIsTheEncodedPlainTextAndRuns) {
  std::string plain = Read(KAVELO2_SAMPLES_DIR "/Kavelo2.txt");
  EXPECT_EQ(Read(KAVELO2_SAMPLES_DIR "/Kavelo2.ini"), Run({"encode"}, plain).out)
      << "regenerate with: kavelo2-config encode samples/Kavelo2.txt samples/Kavelo2.ini";
  ToolRun run = Run({"check", KAVELO2_SAMPLES_DIR "/Kavelo2.ini", "--modes", "display"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.find("ignored"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("selection: mode 7, 800x600x32@60, in the strict pass"), std::string::npos);
}

}  // namespace
