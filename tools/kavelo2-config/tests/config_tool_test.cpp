// kavelo2-config on the host: whole command lines run in process against real files, with the
// launcher's own decoder and reader as the reference.
#include "launcher/config_file.h"
#include "platform/sim/sim_platform.h"
#include "tests/support/sim_script.h"
#include "tools/model/check_report.h"
#include "tools/model/finding_text.h"
#include "tools/model/restore_text.h"
#include "tools/model/config_check.h"
#include "tools/kavelo2-config/config_tool.h"
#include "tools/model/mode_notation.h"
#include "tools/machine/display.h"
#include "tools/machine/files.h"
#include "tests/support/failing_allocator.h"
#include "tests/support/program_images.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

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

// The host build of the tool run as a program of its own: its status, its standard output, its
// peak memory in KiB and its time.
struct ProgramRun {
  int status = -1;
  std::string out, err;
  long peakKiB = 0;
  double seconds = 0;
};

// `input`, when not empty, is the file the program reads as its standard input.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& folder, const std::string& input = "") {
  ProgramRun run;
  std::string outPath = folder + "/program.out", errPath = folder + "/program.err";
  auto began = std::chrono::steady_clock::now();
  std::fflush(nullptr);  // nothing buffered here is written twice
  pid_t child = fork();
  if (child == 0) {
    if (!input.empty() && !std::freopen(input.c_str(), "rb", stdin)) _exit(127);
    if (!std::freopen(outPath.c_str(), "wb", stdout) || !std::freopen(errPath.c_str(), "wb", stderr)) _exit(127);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peakKiB = usage.ru_maxrss;
  run.out = ReadWholeFile(outPath);
  run.err = ReadWholeFile(errPath);
  return run;
}

class ConfigToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTestFolder("kavelo2-config");
    ResetSim();
    Script();
  }
  void TearDown() override { ASSERT_TRUE(RemoveTestFolder(folder_)); }
  // The simulated display and Windows version, as the host program's environment scripts them
  // (null: the 27 modes of the 1024x768 desktop in its largest mode, and Windows 7).
  static void Script(const char* modes = nullptr, const char* inForce = nullptr, const char* restore = nullptr,
                     const char* windows = nullptr) {
    std::string error;
    ASSERT_TRUE(SimScriptDisplay(modes, inForce, restore, error)) << error;
    ASSERT_TRUE(SimScriptWindows(windows, error)) << error;
  }

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    EXPECT_TRUE(WriteWholeFile(Path(name), bytes)) << name;
    return Path(name);
  }

  std::string Read(const std::string& path) const {
    EXPECT_EQ(access(path.c_str(), R_OK), 0) << path;
    return ReadWholeFile(path);
  }

  static ToolRun Run(const std::vector<std::string>& args, const std::string& input = "",
                     ToolConsole console = {}) {
    std::FILE* in = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int status = RunConfigTool(args, {in, out, err, console});
    std::fclose(in);
    ToolRun run{status, ReadWholeStream(out), ReadWholeStream(err)};
    std::fclose(out);
    std::fclose(err);
    return run;
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
    size_t count = AppendCrNulAndDecode(buffer, std::fread(buffer, 1, kConfigReadLimit, file));
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

// Plain text with one entry of its own, followed by bytes that decode to one entry more: each
// reading of it yields one entry.
std::string BothReadings() {
  std::string plain = "WIDTH:640\n";
  std::string hidden = std::string(plain.size(), ' ') + "\nHEIGHT:480\n";
  return plain + LauncherTransform(hidden).substr(plain.size());
}

TEST_F(ConfigToolTest, EncodeWarnsAboutWhatTheLauncherWillNotRead) {
  struct Case {
    const char* name;
    std::string text;
    const char* warning;  // what tells the warning apart, in its one line; "" for none
  };
  const std::string head = std::string(990, ';');
  const std::vector<Case> cases = {
      {"fits", "WIDTH:640\n", ""},
      {"entry across the limit", head + "WIDTH:640\nHEIGHT:480\n", "998 of 1011 bytes: line 1"},
      {"limit between entries", std::string(998, ';') + "WIDTH:640\n", "998 of 1008 bytes: 1 entry"},
      {"NUL", std::string("WIDTH:640\n\0HEIGHT:480\n", 22), "NUL byte at offset 10"},
      {"empty", "", "empty"},
      {"already encoded", LauncherTransform("WIDTH:640\n"), "encoded already"},
      // Plain text whose stored-form reading yields as many entries: encoding it is what was meant.
      {"plain text that also reads as stored", BothReadings(), ""},
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
  EXPECT_NE(Run({"decode"}, "WIDTH:640\n").err.find("plain text"), std::string::npos);
}

// Text saved as UTF-8 by an editor starts with a byte order mark, which encode leaves out so that
// the first entry counts; decode gives back what was stored, mark or not.
TEST_F(ConfigToolTest, EncodeLeavesOutAUtf8MarkAndTheFirstEntryCounts) {
  const std::string text = "WIDTH:640\r\nHEIGHT:480\r\n";
  const std::string mark = "\xEF\xBB\xBF";
  ToolRun encoded = Run({"encode", Write("plain.txt", mark + text), Path("Kavelo2.ini")});
  EXPECT_EQ(encoded.status, 0);
  EXPECT_EQ(Read(Path("Kavelo2.ini")), LauncherTransform(text));
  EXPECT_EQ(LineCount(encoded.err), 1u) << encoded.err;
  EXPECT_NE(encoded.err.find("byte order mark"), std::string::npos) << encoded.err;
  EXPECT_EQ(Run({"check", Path("Kavelo2.ini"), "--program-dir", "C:\\Show"}).status, 0);
  EXPECT_EQ(Run({"encode"}, mark + text).out, LauncherTransform(text));
  // Only at the start, and only from plain text.
  EXPECT_EQ(Run({"encode"}, text + mark).out, LauncherTransform(text + mark));
  std::string storedWithMark = LauncherTransform(mark + text);
  EXPECT_EQ(Run({"decode"}, storedWithMark).out, mark + text);
  EXPECT_EQ(Run({"decode"}, storedWithMark).err, "");
}

// Where the launcher stops reading: after 998 bytes, and at a NUL among them. Each boundary is
// tried on both sides, for `check` and for `encode`.
TEST_F(ConfigToolTest, ReadLimitAndNulBoundaries) {
  const std::string entry = "WIDTH:800\n";
  auto textOf = [&entry](size_t size) { return entry + std::string(size - entry.size(), '\n'); };
  auto withNulAt = [&textOf](size_t offset) {
    std::string text = textOf(1010);
    text[offset] = '\0';
    return text;
  };
  struct Case {
    const char* name;
    std::string text;
    const char* said;     // by both tools
    const char* notSaid;  // by neither
  };
  const std::vector<Case> cases = {
      {"998 bytes", textOf(998), "", "reads only"},
      {"999 bytes", textOf(999), "998 of 999 bytes", "NUL"},
      {"NUL at 997", withNulAt(997), "offset 997", "never read"},
      {"NUL at 998", withNulAt(998), "998 of 1010 bytes", "NUL"},
  };
  for (const Case& c : cases) {
    ToolRun check = Check(c.text);
    ToolRun encode = Run({"encode", Write("in.txt", c.text), Path("out.ini")});
    EXPECT_EQ(check.status, 0) << c.name << "\n" << check.err;
    EXPECT_EQ(encode.status, 0) << c.name;
    for (const std::string& said : {check.out, encode.err}) {
      EXPECT_NE(said.find(c.said), std::string::npos) << c.name << "\n" << said;
      EXPECT_EQ(said.find(c.notSaid), std::string::npos) << c.name << "\n" << said;
    }
  }
}

// --- check: encodings ----------------------------------------------------------------------

std::string Utf16(const std::string& text, bool bigEndian, bool marked) {
  std::string bytes = marked ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char c : text) {
    bytes += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
  }
  return bytes;
}

TEST_F(ConfigToolTest, TextSavedAsUtf16IsRecognisedInEitherByteOrder) {
  const std::string text = "WIDTH:800\r\nHEIGHT:600\r\n";
  for (bool bigEndian : {false, true}) {
    for (bool marked : {false, true}) {
      std::string bytes = Utf16(text, bigEndian, marked);
      std::string name = std::string(bigEndian ? "big" : "little") + (marked ? " with" : " without") + " marker";
      for (const std::vector<std::string>& args :
           {std::vector<std::string>{"check", Write("saved.ini", bytes)},
            std::vector<std::string>{"check", "--plain", Path("saved.ini")},
            std::vector<std::string>{"check", Write("encoded.ini", LauncherTransform(bytes))}}) {
        ToolRun run = Run(args);
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(LineCount(run.err), 1u) << name << "\n" << run.err;
        EXPECT_NE(run.err.find("UTF-16"), std::string::npos) << name << "\n" << run.err;
        EXPECT_EQ(run.out.find("line 1"), std::string::npos) << name << "\n" << run.out;
      }
      ToolRun encode = Run({"encode", Write("in.txt", bytes), Path("out.ini")});
      EXPECT_EQ(encode.status, 0) << name;
      EXPECT_EQ(LineCount(encode.err), 1u) << name << "\n" << encode.err;
      EXPECT_NE(encode.err.find("UTF-16"), std::string::npos) << name << "\n" << encode.err;
    }
  }
}

TEST_F(ConfigToolTest, PlainTextWhereTheStoredFormBelongsIsShownAsPlainText) {
  std::string file = Write("Kavelo2.ini", "WIDTH:800\r\nCOLOR:32\r\n");
  ToolRun run = Run({"check", file, "--program-dir", "C:\\Show"});
  EXPECT_EQ(run.status, 1);
  // The entries as plain text, then the command that mends it (the words: reports/plain_file).
  EXPECT_NE(run.out.find("line 1: WIDTH:800\n  accepted: WIDTH 800\nline 2: COLOR:32\n  ignored: "),
            std::string::npos) << run.out;
  std::string command = "kavelo2-config encode \"" + file + "\" \"" + file + "\"";
  EXPECT_EQ(LineCount(run.err), 1u) << run.err;
  EXPECT_NE(run.err.find(command + "\n"), std::string::npos) << run.err;

  // The command does what it says, through the one safe save; a read-only file stays as it is.
  EXPECT_EQ(Run({"encode", file, file}).status, 0);
  EXPECT_EQ(Run({"check", file, "--program-dir", "C:\\Show"}).status, 3);  // COLOR is ignored
  std::string stored = Read(file);
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  ToolRun readOnly = Run({"encode", Write("plain.txt", "WIDTH:640\n"), file});
  EXPECT_EQ(readOnly.status, 2);
  EXPECT_EQ(LineCount(readOnly.err), 1u) << readOnly.err;
  EXPECT_NE(readOnly.err.find("read-only"), std::string::npos) << readOnly.err;
  EXPECT_EQ(Read(file), stored);
  struct stat status;
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0444u);

  ToolRun plain = Run({"check", "--plain", Write("stored.ini", LauncherTransform("WIDTH:800\n"))});
  EXPECT_EQ(plain.status, 1);
  EXPECT_NE(plain.out.find("\nline 1: WIDTH:800\n"), std::string::npos) << plain.out;  // decoded
  EXPECT_NE(plain.err.find("without --plain"), std::string::npos) << plain.err;
}

TEST_F(ConfigToolTest, FileNamesTheLauncherLooksFor) {
  std::string stored = LauncherTransform("WIDTH:800\n");
  EXPECT_NE(Run({"check", Write("show.ini", stored)}).out.find("named show.exe"), std::string::npos);
  // The launcher's own rule: a Kavelo2.ini beside it is what show.exe reads.
  EXPECT_EQ(Run({"check", Write("Kavelo2.ini", stored)}).out.find("note:"), std::string::npos);
  EXPECT_NE(Run({"check", Path("show.ini")}).out.find("does not read this file"), std::string::npos);
  EXPECT_NE(Run({"check", Write("show.cfg", stored)}).out.find("no launcher reads"), std::string::npos);
  // Without --program-dir, the launcher's folder is the file's, as Wine shows it.
  EXPECT_NE(Run({"check", Write("Kavelo2.ini", stored)}).out.find("program directory: Z:\\tmp\\kavelo2-config-"),
            std::string::npos);
}

// --- check: selection ----------------------------------------------------------------------

// The choice as the report's selection line gives it: "N of M: MODE, strict|relaxed, 0xMASK", or
// "none" when no mode fits (the words around it are the golden reports').
std::string Chosen(const std::string& report) {
  static const std::regex chosen("\nselection: mode ([0-9]+ of [0-9]+: [^,]+), in the (strict|relaxed) pass"
                                 "(, FieldMask (0x[0-9A-F]+))?");
  std::smatch match;
  if (std::regex_search(report, match, chosen)) {
    return match[1].str() + ", " + match[2].str() + (match[4].matched ? ", " + match[4].str() : "");
  }
  return report.find("\nselection: no mode fits") != std::string::npos ? "none" : "no selection line";
}

struct SelectionCase {
  const char* name;
  const char* text;
  const char* modes;
  int status;
  const char* chosen;  // as Chosen() gives it
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }

class CheckSelection : public ConfigToolTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(CheckSelection, PicksWhatTheLauncherPicks) {
  const SelectionCase& c = GetParam();
  ToolRun run = Check(c.text, {"--modes", c.modes});
  EXPECT_EQ(run.status, c.status) << run.out;
  EXPECT_EQ(Chosen(run.out), c.chosen) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Check, CheckSelection,
    ::testing::Values(
        SelectionCase{"FirstFitInEnumerationOrder", "WIDTH:800\nHEIGHT:600\n",
                      "640x480x32@60,800x600x32@60,800x600x32@75", 0, "2 of 3: 800x600x32@60, strict, 0x00180000"},
        SelectionCase{"FrequencyBitInTheStrictPass", "WIDTH:800\nDEPTH:32\nFREQ:75\n",
                      "800x600x32@60 800x600x32@75", 0, "2 of 2: 800x600x32@75, strict, 0x004C0000"},
        SelectionCase{"Depth32TakesA24BitMode", "WIDTH:800\nDEPTH:32\n", "800x600x16@60,800x600x24@60", 0,
                      "2 of 2: 800x600x24@60, relaxed, 0x000C0000"},
        SelectionCase{"Depth24TakesA32BitMode", "WIDTH:800\nDEPTH:24\n", "800x600x32@60", 0,
                      "1 of 1: 800x600x32@60, relaxed, 0x000C0000"},
        SelectionCase{"Depth16HasNoStandIn", "WIDTH:800\nDEPTH:16\n", "800x600x24@60,800x600x32@60", 3, "none"},
        SelectionCase{"NearestSizeWhenNoneFits", "WIDTH:1280\nHEIGHT:1024\n",
                      "640x480x32@60,1024x768x32@60,1920x1440x32@60", 3, "none"},
        SelectionCase{"NoModeWithStrictStops", "WIDTH:800\nDEPTH:16\nSTRICT:1\n", "800x600x32@60", 1, "none"},
        SelectionCase{"MissingFrequencyIsRelaxed", "WIDTH:800\nFREQ:85\n", "800x600x32@60,800x600x32@75", 3,
                      "1 of 2: 800x600x32@60, relaxed, 0x00080000"},
        SelectionCase{"LateExactBeatsEarlyRelaxed", "WIDTH:800\nDEPTH:32\n",
                      "800x600x24@60,1024x768x32@60,800x600x32@60", 0, "3 of 3: 800x600x32@60, strict, 0x000C0000"},
        SelectionCase{"RelaxedTakesTheFirstOfEqualStandIns", "DEPTH:32\nFREQ:75\n",
                      "800x600x24@75,800x600x32@60", 0, "1 of 2: 800x600x24@75, relaxed, 0x00040000"},
        SelectionCase{"TwoWidthCriteriaMustBothPass", "WIDTH:800\nWIDTH:1024\n", "800x600x32@60,1024x768x32@60",
                      3, "none"},
        SelectionCase{"OneListAcceptsEither", "WIDTH:1024,800\n", "800x600x32@60,1024x768x32@60", 0,
                      "1 of 2: 800x600x32@60, strict, 0x00080000"},
        SelectionCase{"DuplicateModesFirstWins", "WIDTH:800\n", "640x480x8@60,800x600x8@60,800x600x8@60", 0,
                      "2 of 3: 800x600x8@60, strict, 0x00080000"},
        SelectionCase{"EmptyCatalogue", "WIDTH:800\nSTRICT:1\n", "", 1, "none"},
        SelectionCase{"EmptyWidthListFitsNothing", "WIDTH:abc,800\n", "800x600x32@60", 3, "none"},
        SelectionCase{"EmptyCatalogueLenient", "WIDTH:800\n", "", 3, "none"}),
    [](const ::testing::TestParamInfo<SelectionCase>& selection) { return std::string(selection.param.name); });

TEST_F(ConfigToolTest, DisplayCatalogueIsTheSimulatedOneNumberedFrom1) {
  // By default the 27 modes of the 1024x768 desktop, 32, 16 and 8 bits.
  ToolRun modes = Run({"modes"});
  EXPECT_EQ(modes.status, 0);
  EXPECT_EQ(LineCount(modes.out), 27u);
  EXPECT_EQ(modes.out.substr(0, 56), "mode 1 of 27: 320x200x32@60\nmode 2 of 27: 320x240x32@60\n");
  EXPECT_NE(modes.out.find("\nmode 8 of 27: 800x600x32@60\n"), std::string::npos);
  EXPECT_NE(modes.out.find("\nmode 9 of 27: 1024x768x32@60\nmode 10 of 27: 320x200x16@60\n"), std::string::npos);

  // The same numbers in the selection line.
  ToolRun check = Check("WIDTH:800\nHEIGHT:600\n", {"--modes", "display"});
  EXPECT_EQ(Chosen(check.out), "8 of 27: 800x600x32@60, strict, 0x00180000") << check.out;

  Script("640x480x32@60, 800x600x16@75");
  EXPECT_EQ(Run({"modes"}).out, "mode 1 of 2: 640x480x32@60\nmode 2 of 2: 800x600x16@75\n");
  check = Check("WIDTH:800\n", {"--modes", "display"});
  EXPECT_EQ(Chosen(check.out), "2 of 2: 800x600x16@75, strict, 0x00080000") << check.out;
}

// The notation takes exactly WIDTHxHEIGHTxBITS@HZ, in --modes and in the simulated catalogue.
TEST_F(ConfigToolTest, ModeNotationRejectsAnythingElse) {
  const std::vector<std::string> bad = {"640x480x32@60Hz", "640x480x32@6O", "640x480x32", "640x480@60",
                                        "640X480x32@60", "-640x480x32@60", "640x480x32@60@60", "x480x32@60",
                                        "640x480x32@99999999999"};
  std::string stored = Write("Kavelo2.ini", LauncherTransform("WIDTH:640\n"));
  for (const std::string& mode : bad) {
    ToolRun listed = Run({"check", stored, "--modes", "800x600x32@60," + mode});
    EXPECT_EQ(listed.status, 2) << mode;
    EXPECT_EQ(listed.err, "kavelo2-config: \"" + mode + "\" is not a mode (write WIDTHxHEIGHTxBITS@HZ) (see "
                          "kavelo2-config --help)\n");
    // The host program's simulated display takes the same notation from its environment.
    setenv("KAVELO2_SIM_MODES", mode.c_str(), 1);
    ProgramRun host = RunProgram({KAVELO2_CONFIG_TOOL, "modes"}, folder_);
    unsetenv("KAVELO2_SIM_MODES");
    EXPECT_EQ(host.status, 2) << mode;
    EXPECT_EQ(host.err, "kavelo2-config: KAVELO2_SIM_MODES: \"" + mode + "\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)\n");
  }
  EXPECT_EQ(Check("WIDTH:640\n", {"--modes", " 640x480x32@60,,800x600x32@60\n"}).status, 0);
}

TEST_F(ConfigToolTest, FieldsTheSwitchLeavesOutComeFromTheModeInForce) {
  // The simulated display runs in 1024x768x32@60, its largest mode.
  struct Case {
    const char* text;
    int status;
    const char* asked;  // the mode the switch asks for, as the result names it
  };
  const std::vector<Case> cases = {
      {"WIDTH:640\n", 3, "640x768 at 32 bits"},  // which the display does not offer
      {"WIDTH:640\nSTRICT:1\n", 1, "640x768 at 32 bits"},
      {"DEPTH:16\n", 0, "1024x768 at 16 bits"},
      {"WIDTH:1024\nFREQ:60\n", 0, "1024x768 at 32 bits at 60 Hz"},
  };
  for (const Case& c : cases) {
    ToolRun run = Check(c.text, {"--modes", "display"});
    EXPECT_EQ(run.status, c.status) << c.text;
    size_t result = run.out.find("\nresult: ");
    ASSERT_NE(result, std::string::npos) << run.out;
    EXPECT_NE(run.out.find(c.asked, result), std::string::npos) << run.out;
  }
}

// --- exit statuses and bad input -----------------------------------------------------------

TEST_F(ConfigToolTest, StatusesAndOneErrorLine) {
  std::mt19937 random(5);
  std::string noise;
  for (int i = 0; i < 700; ++i) noise += static_cast<char>(random() & 0xFF);
  Write("PROJECTOR.EXE", ProgramFile(TestProgram{}));  // the default application, beside the files checked here
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string error;  // expected in the one line on standard error; "" for none
  };
  const std::vector<Case> cases = {
      {"runs", {"check", Write("good.ini", LauncherTransform("WIDTH:800\n"))}, 0, ""},
      {"missing file", {"check", Path("absent.ini")}, 2, "cannot open \""},
      {"random bytes", {"check", Write("noise.ini", noise)}, 1, "no WIDTH"},
      {"plain text", {"check", Write("plain.ini", "WIDTH:800\r\nHEIGHT:600\r\n")}, 1,
       "kavelo2-config encode \"" + Path("plain.ini") + "\""},
      {"stored form with --plain", {"check", "--plain", Path("good.ini")}, 1, "without --plain"},
      {"plain text with --plain", {"check", "--plain", Path("plain.ini")}, 0, ""},
      {"empty file", {"check", Write("empty.ini", "")}, 1, "empty"},
      {"no mode entry", {"check", Write("flags.ini", LauncherTransform("PATH:x.exe\nSTRICT:1\nBACKDROP:1\n"))},
       1, "no WIDTH"},
      {"ignored entry", {"check", Write("ignored.ini", LauncherTransform("WIDTH :800\nHEIGHT:600\n"))}, 3,
       "line 1: ignored: "},
      {"a stop outweighs an ignored entry", {"check", Write("both.ini", LauncherTransform("COLOR:8\n"))}, 1,
       "no WIDTH"},
      {"a folder", {"check", folder_}, 2, "\"" + folder_ + "/Kavelo2.ini\""},
      {"no command", {}, 2, "no command given"},
      {"unknown command", {"verify", Path("good.ini")}, 2, "unknown command \"verify\""},
      {"two files", {"check", Path("good.ini"), Path("good.ini")}, 2, "check reads one file"},
      {"unknown option", {"check", "--strict"}, 2, "unknown option --strict"},
      {"option without value", {"check", Path("good.ini"), "--modes"}, 2, "--modes needs a value"},
      {"bad mode", {"check", Path("good.ini"), "--modes", "800x600x32"}, 2,
       "\"800x600x32\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)"},
      {"too many files", {"encode", Path("good.ini"), Path("x"), Path("y")}, 2, "too many arguments"},
      {"encode a missing file", {"encode", Path("absent.txt")}, 2, "cannot open"},
      {"write into a missing folder", {"decode", Path("good.ini"), Path("no/such/out.txt")}, 2, "Windows error 3"},
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
  EXPECT_EQ(Run({"--help"}).status, 0);
}

// A folder, or a name Windows keeps for a device, is refused as the file a command reads or writes,
// in one line and before anything is written: writing to "con.ini" would write to the console.
TEST_F(ConfigToolTest, FoldersAndDeviceNamesAreNoFilesToReadOrWrite) {
  std::string plain = Write("plain.txt", "WIDTH:640\n");
  std::string stored = Write("stored.ini", LauncherTransform("WIDTH:640\n"));
  ASSERT_EQ(mkdir(Path("Show").c_str(), 0700), 0);
  struct Case {
    std::vector<std::string> args;
    const char* said;  // in the one error line; "" for a command that runs
  };
  const std::vector<Case> cases = {
      {{"check", Path("Show")}, "\"FOLDER/Show/Kavelo2.ini\""},  // the file meant in it
      {{"check", Path("Show/")}, "\"FOLDER/Show/Kavelo2.ini\""},
      {{"decode", Path("Show"), Path("out.txt")}, "\"FOLDER/Show/Kavelo2.ini\""},
      {{"encode", plain, Path("Show")}, "\"FOLDER/Show/Kavelo2.ini\""},
      {{"encode", Path("Show"), Path("out.ini")}, "is a folder"},
      {{"encode", plain, Path("con.ini")}, "device CON"},
      {{"encode", plain, Path("CON")}, "device CON"},
      {{"encode", plain, Path("Nul.txt")}, "device NUL"},
      {{"encode", plain, Path("aux.tar.gz")}, "device AUX"},
      {{"encode", plain, Path("prn .ini")}, "device PRN"},
      {{"decode", stored, Path("com1.txt")}, "device COM1"},
      {{"decode", stored, Path("LPT9")}, "device LPT9"},
      {{"encode", plain, Path("com10.ini")}, ""},
      {{"encode", plain, Path("console.ini")}, ""},
      {{"encode", plain, Path("lpt.ini")}, ""},
      // Read, a device name is only a file that is not there.
      {{"check", Path("con.ini")}, "cannot open"},
  };
  for (const Case& c : cases) {
    std::string name = c.args.back();
    SCOPED_TRACE(name);
    ToolRun run = Run(c.args);
    if (*c.said == '\0') {
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(Read(name), LauncherTransform("WIDTH:640\n"));
      continue;
    }
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(LineCount(run.err), 1u) << run.err;
    std::string said = run.err;
    for (size_t at; (at = said.find(folder_)) != std::string::npos;) said.replace(at, folder_.size(), "FOLDER");
    EXPECT_NE(said.find(c.said), std::string::npos) << said;
    if (name.find("Show") != std::string::npos) continue;
    EXPECT_NE(access(name.c_str(), F_OK), 0) << "written";
    EXPECT_NE(access((name + ".saving").c_str(), F_OK), 0) << "written";
  }
}

// The application's file is looked for where the launcher's folder lies on this machine.
TEST_F(ConfigToolTest, ApplicationThatWillNotStartFailsTheCheck) {
  ASSERT_EQ(mkdir(Path("Games").c_str(), 0700), 0);
  Write("Games/GAME.EXE", ProgramFile(TestProgram{}));
  // A file that is there, under a PATH value of 300 characters.
  const std::string deep = std::string(145, 'L') + "/" + std::string(145, 'M');
  ASSERT_EQ(mkdir(Path(deep.substr(0, 145)).c_str(), 0700), 0);
  ASSERT_EQ(mkdir(Path(deep).c_str(), 0700), 0);
  Write(deep + "/GAME.EXE", ProgramFile(TestProgram{}));
  std::string folder = "Z:" + folder_;
  for (char& c : folder) c = c == '/' ? '\\' : c;
  std::string games = folder + "\\Games\\";
  struct Case {
    const char* name;
    std::string text;
    int status;
    std::string line;  // the failure's line ("" for none), told first
    std::string path;  // the path the failure names ("" for no failure)
  };
  const std::vector<Case> cases = {
      {"relative path to a file", "PATH:Games/GAME.EXE\n", 0, "", ""},
      {"absolute path to a file", "PATH:" + games + "GAME.EXE\n", 0, "", ""},
      {"missing file", "PATH:Games/GAME2.EXE\n", 1, "line 2: ", games + "GAME2.EXE"},
      {"folder without a backslash", "PATH:Games\n", 1, "line 2: ", games.substr(0, games.size() - 1) + " "},
      {"default application missing", "", 1, "", "Z:" + folder_ + "/PROJECTOR.EXE"},
      {"drive of another machine", "PATH:C:/Games/GAME.EXE\n", 0, "", ""},
      // Read from the launcher's folder, a value from a share or the drive root fails when
      // nothing lies there, and runs otherwise than it looks when something does.
      {"share that is not beside the launcher", "PATH://server/share/GAME.EXE\n", 1, "line 2: ",
       folder + "\\\\\\server\\share\\GAME.EXE"},
      {"drive root that is also beside the launcher", "PATH:/Games/GAME.EXE\n", 3, "", ""},
      {"a file that is there, by a path too long to start from", "PATH:" + deep + "/GAME.EXE\n", 1, "line 2: ",
       folder + "\\" + deep + "\\GAME.EXE, is " + std::to_string(folder.size() + 301) + " characters"},
  };
  const std::string fails = "kavelo2-config: the launcher will fail to start the application: ";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun run = Run({"check", Write("Kavelo2.ini", LauncherTransform("WIDTH:800\n" + c.text)),
                       "--program-dir", folder_});
    EXPECT_EQ(run.status, c.status) << run.out;
    if (c.path.empty()) continue;
    std::string path = c.path;
    for (char& ch : path) ch = ch == '/' ? '\\' : ch;
    EXPECT_EQ(LineCount(run.err), 1u) << run.err;
    EXPECT_EQ(run.err.rfind(fails + c.line, 0), 0u) << run.err;
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
  }
}

// A launcher's folder that this machine does not hold (another computer's, named with
// --program-dir) has no file looked for in it: the application is not known to be missing there.
TEST_F(ConfigToolTest, AFolderOfAnotherMachineHasNoFileLookedFor) {
  std::string stored = Write("show.ini", LauncherTransform("WIDTH:800\nPATH:GAME.EXE\n"));
  Write("Kavelo2.ini", "");
  struct Case {
    std::string folder;
    int status;
    bool toldMissing;  // the report says the application is not there
    const char* nameNote;
  };
  const std::vector<Case> cases = {
      {folder_, 1, true, "does not read this file"},
      {Path("Elsewhere"), 0, false, "named show.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    ToolRun run = Run({"check", stored, "--program-dir", c.folder});
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out.find("there is no file") != std::string::npos, c.toldMissing) << run.out;
    EXPECT_NE(run.out.find(c.nameNote), std::string::npos) << run.out;
  }
}

// An empty CD or card-reader drive fails a probe quietly instead of putting Windows' "no disk" box
// over the tool: the critical-error boxes go off before the first probe, and the rest of the
// error mode the tool was started with stays.
TEST_F(ConfigToolTest, NoDiskBoxesFromTheFirstProbeOnAndTheInheritedModeStays) {
  const UINT inherited = 0x8002;  // SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX
  Sim().errorMode = inherited;
  Check("WIDTH:640\n");
  const std::vector<std::string>& calls = Sim().calls;
  auto first = [&calls](const char* name) { return std::find(calls.begin(), calls.end(), name) - calls.begin(); };
  ASSERT_LT(first("GetFileAttributesA"), static_cast<long>(calls.size()));
  EXPECT_LT(first("SetErrorMode"), first("GetFileAttributesA"));
  EXPECT_EQ(Sim().errorMode, inherited | SEM_FAILCRITICALERRORS);
}

// A file dropped on the program arrives as its only argument; a console user gets the usage
// rather than a silent wait; the stored form never goes to a console.
TEST_F(ConfigToolTest, ConsoleAndDroppedFile) {
  Write("PROJECTOR.EXE", ProgramFile(TestProgram{}));
  std::string stored = Write("Kavelo2.ini", LauncherTransform("WIDTH:800\nHEIGHT:600\n"));
  ToolConsole windows = {true, true};
  // A lone argument that is no command and no option is a file to check against the display, on
  // every build, whether or not it opens.
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* said;  // at the start of the standard output or error
  };
  const std::vector<Case> cases = {
      {{stored}, 0, "FOLDER/Kavelo2.ini: 21 bytes"},
      {{Path("absent.ini")}, 2, "kavelo2-config: cannot open \"FOLDER/absent.ini\": "},
      {{"/?"}, 0, "usage: kavelo2-config COMMAND"},
      {{"-"}, 2, "kavelo2-config: unknown command \"-\""},
      {{stored, "x"}, 2, "kavelo2-config: unknown command \"FOLDER/Kavelo2.ini\""},
  };
  for (const Case& c : cases) {
    for (ToolConsole console : {ToolConsole(), windows}) {
      ToolRun run = Run(c.args, "", console);
      EXPECT_EQ(run.status, c.status) << c.args[0];
      std::string said = (run.status == 0 ? run.out : run.err);
      for (size_t at; (at = said.find(folder_)) != std::string::npos;) said.replace(at, folder_.size(), "FOLDER");
      EXPECT_EQ(said.rfind(c.said, 0), 0u) << said;
    }
  }
  EXPECT_EQ(Chosen(Run({stored}).out), "8 of 27: 800x600x32@60, strict, 0x00180000");
  EXPECT_EQ(Run({"/?"}).out, Run({"--help"}).out);

  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"check", "--program-dir", "C:\\Show"}, {"decode"}}) {
    ToolRun waiting = Run(command, "", windows);
    EXPECT_EQ(waiting.status, 2) << command[0];
    EXPECT_EQ(waiting.err.rfind("usage: kavelo2-config", 0), 0u) << command[0];
    // Piped input is read as before.
    EXPECT_EQ(Run(command, LauncherTransform("WIDTH:800\n"), {false, true}).status, 0) << command[0];
  }
  ToolRun toConsole = Run({"encode", Write("plain.txt", "WIDTH:800\n")}, "", windows);
  EXPECT_EQ(toConsole.status, 2);
  EXPECT_EQ(toConsole.out, "");
  EXPECT_NE(toConsole.err.find("output file"), std::string::npos) << toConsole.err;
  EXPECT_EQ(Run({"encode", Path("plain.txt"), Path("out.ini")}, "", windows).status, 0);
  EXPECT_EQ(Run({"decode", stored}, "", windows).out, "WIDTH:800\nHEIGHT:600\n");
}

// The arguments that name files, which the Windows build judges by their full paths.
TEST_F(ConfigToolTest, FileArgumentsAreTheFilesAndFoldersACommandNames) {
  using Args = std::vector<std::string>;
  const std::vector<std::pair<Args, std::vector<size_t>>> cases = {
      {{"check", "a.ini", "--program-dir", "Show", "--modes", "display"}, {1, 3}},
      {{"check", "--modes", "640x480x32@60", "--plain", "a.txt"}, {4}},
      {{"check", "-", "--program-dir", "."}, {3}},
      {{"check"}, {}},
      {{"check", "a.ini", "--unknown"}, {}},
      {{"encode", "a.txt", "Kavelo2.ini"}, {1, 2}},
      {{"decode", "-", "a.txt"}, {2}},
      {{"encode"}, {}},
      {{"Kavelo2.ini"}, {0}},
      {{"/?"}, {}},
      {{"modes"}, {}},
      {{"restore", "--force"}, {}},
  };
  for (const auto& [args, files] : cases) EXPECT_EQ(FileArguments(args), files) << args[0];
}

// --- input of any size ---------------------------------------------------------------------


// 50 MB of stored form: a WIDTH entry, then one entry that runs to the end. Written in pieces
// whose lengths are multiples of 3, where the transform's pattern repeats, so that this test
// program stays small while the tool runs.
std::string WriteFiftyMegabytes(const std::string& path) {
  constexpr size_t kPiece = 3 * 349525;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::string first = "WIDTH:800\n";
  for (int i = 0; i < 50; ++i) {
    std::string stored = LauncherTransform(i == 0 ? first + std::string(kPiece - first.size(), '7')
                                                  : std::string(kPiece, '7'));
    std::fwrite(stored.data(), 1, stored.size(), file);
  }
  std::fclose(file);
  return path;
}

// An endless pipe: a FIFO in `folder` that a writer fills with lines until its reader goes,
// which then ends the writer (SIGPIPE).
struct EndlessPipe {
  explicit EndlessPipe(const std::string& folder) : path(folder + "/endless") {
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    std::fflush(nullptr);
    writer = fork();
    if (writer == 0) {
      signal(SIGPIPE, SIG_DFL);
      std::FILE* out = std::fopen(path.c_str(), "wb");
      for (;;) {
        if (out == nullptr || std::fputs("WIDTH:800\n", out) < 0) _exit(0);
      }
    }
  }
  ~EndlessPipe() {
    waitpid(writer, nullptr, 0);
    unlink(path.c_str());
  }
  std::string path;
  pid_t writer = -1;
};

// Every command reads at most the first 64 KiB of its input and one byte more: a 50 MB file, the
// same on standard input and an endless input (a device, a pipe) each take a few megabytes and a
// moment. check judges the held part and tells the real length where it can know it; encode and
// decode write nothing and say why in one line.
TEST_F(ConfigToolTest, EveryCommandReadsAtMost64KiBOfAnyInput) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer's shadow memory is not the tool's";
#endif
  std::string big = WriteFiftyMegabytes(Path("big.ini"));
  struct stat status;
  ASSERT_EQ(stat(big.c_str(), &status), 0);
  std::string size = std::to_string(status.st_size);
  struct Input {
    const char* name;
    std::string file, stdinPath;  // the file argument ("" for standard input), and what stdin is
    std::string length;            // as check tells it
    const char* cut;               // what check says of where the launcher's reading ends
  };
  const std::string excerpt = "\"" + std::string(60, '7') + "\"";  // the first 60 bytes of the entry cut
  const std::vector<Input> inputs = {
      {"50 MB file", big, "", size + " bytes", excerpt.c_str()},
      {"50 MB on standard input", "", big, size + " bytes", excerpt.c_str()},
      {"a device that reads endlessly", "", "/dev/zero", "more than 65536 bytes", "offset 0"},
      {"an endless pipe", "", "endless", "more than 65536 bytes", "plain text"},
  };
  for (const Input& input : inputs) {
    for (const char* command : {"check", "encode", "decode"}) {
      SCOPED_TRACE(std::string(input.name) + ", " + command);
      std::unique_ptr<EndlessPipe> pipe;
      std::string stdinPath = input.stdinPath;
      if (stdinPath == "endless") {
        pipe = std::make_unique<EndlessPipe>(folder_);
        stdinPath = pipe->path;
      }
      std::vector<std::string> args = {KAVELO2_CONFIG_TOOL, command, input.file.empty() ? "-" : input.file};
      if (std::string(command) == "check") {
        args.insert(args.end(), {"--program-dir", "C:\\Show"});
      } else {
        args.push_back(Path("out.txt"));
      }
      ProgramRun run = RunProgram(args, folder_, stdinPath);
      pipe.reset();
      std::printf("%-30s %-7s peak %6ld KiB, %.3f s, status %d\n", input.name, command, run.peakKiB, run.seconds,
                  run.status);
      EXPECT_LT(run.peakKiB, 8 * 1024) << "KiB at the peak";
      EXPECT_LT(run.seconds, 1.0);
      if (std::string(command) == "check") {
        EXPECT_NE(run.status, 2) << run.err;
        EXPECT_EQ(run.out.rfind((input.file.empty() ? "the text" : big) + ": " + input.length + ", ", 0), 0u)
            << run.out.substr(0, 200);
        EXPECT_NE(run.out.find(input.cut), std::string::npos) << run.out.substr(0, 2000);
        EXPECT_LT(run.out.size(), 8192u) << "the report tells more than the bytes the launcher reads";
        continue;
      }
      EXPECT_EQ(run.status, 2);
      EXPECT_EQ(LineCount(run.err), 1u) << run.err;
      EXPECT_NE(run.err.find(input.file.empty() ? "65536" : size), std::string::npos) << run.err;
      EXPECT_NE(run.err.find(std::string(command) + "d\n"), std::string::npos) << run.err;  // nothing was ...
      EXPECT_NE(access(Path("out.txt").c_str(), F_OK), 0) << "an output was written";
    }
  }
}

// Whichever allocation of a command fails, the command ends with status 2 and the one line that
// says so, never with the runtime's abort.
TEST_F(ConfigToolTest, RunningOutOfMemoryAnywhereEndsWithStatus2AndALine) {
  Write("PROJECTOR.EXE", ProgramFile(TestProgram{}));
  std::string stored = Write("Kavelo2.ini", LauncherTransform("WIDTH:800\nHEIGHT:600\nCOLOR:8\nPATH:GAME.EXE\n"));
  Write("plain.txt", "WIDTH:800\n" + std::string(1000, ';'));
  const std::vector<std::vector<std::string>> commands = {
      {"check", stored, "--modes", "display"}, {"check", "--plain", Path("plain.txt")}, {"decode", stored},
      {"encode", Path("plain.txt")},           {"modes"},                               {"restore"}};
  for (const std::vector<std::string>& command : commands) {
    size_t failAt = 1;
    for (;; ++failAt) {
      std::FILE* in = std::tmpfile();
      std::FILE* out = std::tmpfile();
      std::FILE* err = std::tmpfile();
      StartAllocationCount(failAt);
      int status = RunConfigTool(command, {in, out, err, {}});
      size_t allocations = StopAllocationCount();
      std::fclose(in);
      std::fclose(out);
      std::string said = ReadWholeStream(err);
      std::fclose(err);
      if (allocations < failAt) break;  // the command ran with every allocation it asked for
      EXPECT_EQ(status, 2) << command[0] << ", allocation " << failAt;
      EXPECT_EQ(said, "kavelo2-config: stopped: not enough memory\n") << command[0] << ", allocation " << failAt;
    }
    EXPECT_GT(failAt, 1u) << command[0] << " allocates nothing";
  }
}

// --- restore --------------------------------------------------------------------------------

// The display a launcher ended by force left switched, and what the platform answers the return.
TEST_F(ConfigToolTest, RestoreReturnsToTheRegistryModeAndSaysWhatItWasAndIs) {
  struct Case {
    const char* name;
    const char* inForce;  // KAVELO2_SIM_MODE, or null for the registry's own
    const char* answer;   // KAVELO2_SIM_RESTORE, or null for success
    int status;
    const char* answerShown;  // the platform's answer as the report and a refusal name it
    const char* after;        // the mode after the return
  };
  // The words around them: reports/restore_forced and reports/restore_refused.
  const std::vector<Case> cases = {
      {"left switched", "800x600x32@60", nullptr, 0, "DISP_CHANGE_SUCCESSFUL", "1024x768x32@60"},
      {"already there", nullptr, nullptr, 0, "DISP_CHANGE_SUCCESSFUL", "1024x768x32@60"},
      {"refused", "640x480x16@60", "-2", 1, "DISP_CHANGE_BADMODE", "640x480x16@60"},
      {"refused, dual view", "640x480x32@60", "-6", 1, "DISP_CHANGE_BADDUALVIEW", "640x480x32@60"},
      {"refused with a result without a name", "640x480x32@60", "-9", 1, "result -9", "640x480x32@60"},
      {"a restart would be needed", "640x480x32@60", "1", 1, "DISP_CHANGE_RESTART", "640x480x32@60"},
  };
  for (const Case& c : cases) {
    ResetSim();
    Script(nullptr, c.inForce, c.answer);
    ToolRun run = Run({"restore"});
    EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.out << run.err;
    EXPECT_NE(run.out.find(std::string("answer:        ") + c.answerShown + "\n"), std::string::npos)
        << c.name << "\n" << run.out;
    EXPECT_NE(run.out.find(std::string("mode after:    ") + c.after + "\n"), std::string::npos) << c.name << "\n" << run.out;
    if (c.status == 0) {
      EXPECT_EQ(run.err, "") << c.name;
    } else {
      EXPECT_NE(run.err.find(c.answerShown), std::string::npos) << c.name << "\n" << run.err;
      EXPECT_EQ(LineCount(run.err), 1u) << c.name << "\n" << run.err;
    }
    // One return with a null record and no flags, the launcher's own, and nothing else changed.
    ASSERT_EQ(Sim().modeChanges.size(), 1u) << c.name;
    EXPECT_FALSE(Sim().modeChanges[0].hasMode) << c.name;
    EXPECT_EQ(Sim().modeChanges[0].flags, 0u) << c.name;
  }
  EXPECT_EQ(Run({"restore", "now"}).status, 2);
  EXPECT_EQ(Run({"restore", "--force", "now"}).status, 2);

  // The host program's environment scripts the mode in force and the answer in the same notation.
  const std::vector<std::pair<std::string, std::string>> unscripted = {
      {"KAVELO2_SIM_MODE=800x600", "kavelo2-config: KAVELO2_SIM_MODE: \"800x600\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)\n"},
      {"KAVELO2_SIM_RESTORE=-2x", "kavelo2-config: KAVELO2_SIM_RESTORE: \"-2x\" is not a number\n"},
  };
  for (const auto& [variable, error] : unscripted) {
    std::string name = variable.substr(0, variable.find('='));
    setenv(name.c_str(), variable.substr(name.size() + 1).c_str(), 1);
    ProgramRun host = RunProgram({KAVELO2_CONFIG_TOOL, "restore"}, folder_);
    unsetenv(name.c_str());
    EXPECT_EQ(host.status, 2) << variable;
    EXPECT_EQ(host.err, error);
  }
}

// A launcher that runs switched the display for its application: restore leaves it unless asked
// to go ahead anyway. The launcher is found by its mutex, opened only to look and closed at once:
// the tool never creates it, or a launcher starting meanwhile would take itself for a second copy.
TEST_F(ConfigToolTest, RestoreBesideARunningLauncherOnlyWhenForced) {
  struct Case {
    const char* name;
    bool launcher;
    DWORD openError;  // what opening the mutex answers when it is there; 0: it opens
    bool force;
    int status;
    size_t modeChanges;
    const char* firstLine;  // the kind of the report's first line; "" for none
  };
  const std::vector<Case> cases = {
      {"no launcher", false, 0, false, 0, 1, "mode before: "},
      {"no launcher, forced", false, 0, true, 0, 1, "mode before: "},
      {"a launcher runs", true, 0, false, 3, 0, ""},
      {"another user's launcher runs", true, ERROR_ACCESS_DENIED, false, 3, 0, ""},
      {"a launcher runs, forced", true, 0, true, 0, 1, "launcher: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetSim();
    Script(nullptr, "800x600x32@60");
    Sim().mutexAlreadyExists = c.launcher;
    Sim().openMutexError = c.openError;
    std::vector<std::string> args = {"restore"};
    if (c.force) args.push_back("--force");
    ToolRun run = Run(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(Sim().modeChanges.size(), c.modeChanges);
    EXPECT_EQ(run.out.rfind(c.firstLine, 0), 0u) << run.out;
    EXPECT_EQ(run.out.empty(), c.status == 3) << run.out;
    // Held: one line, which names the command that returns the display all the same.
    EXPECT_EQ(LineCount(run.err), c.status == 3 ? 1u : 0u) << run.err;
    EXPECT_EQ(run.err.find("restore --force") != std::string::npos, c.status == 3) << run.err;
    ASSERT_EQ(Sim().mutexOpenings.size(), 1u);
    EXPECT_EQ(Sim().mutexOpenings[0].access, static_cast<DWORD>(SYNCHRONIZE));
    EXPECT_EQ(Sim().mutexOpenings[0].inheritHandle, FALSE);
    EXPECT_EQ(Sim().mutexOpenings[0].name, "KAVELO2");
    EXPECT_TRUE(Sim().mutexCalls.empty()) << "the tool created the launcher's mutex";
    bool opened = c.launcher && c.openError == 0;
    EXPECT_EQ(std::count(Sim().closedHandles.begin(), Sim().closedHandles.end(), SimMutexHandle()), opened ? 1 : 0);
  }
}

// The command line: the tool reads the version once, from ntdll (on the host, KAVELO2_SIM_WINDOWS).
TEST_F(ConfigToolTest, TheToolPassesTheWindowsVersionItReads) {
  struct Case {
    const char* windows;  // null: the host's default, Windows 7
    int status;
    const char* said;
  };
  const std::vector<Case> cases = {
      {nullptr, 0, "Windows: 6.1.7601\n"},
      {"6.1.7601", 0, "Windows: 6.1.7601\n"},
      {"6.2.9200", 3, "Windows: 6.2.9200\n"},
      {"10.0.22631", 3, "Windows: 10.0.22631\n"},
  };
  for (const Case& c : cases) {
    Script(nullptr, nullptr, nullptr, c.windows);
    ToolRun run = Check("WIDTH:640\nHEIGHT:480\nDEPTH:16\n", {"--modes", "display"});
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    EXPECT_NE(run.out.find(c.said), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("depth: ") != std::string::npos, c.status == 3) << run.out;
  }
  for (const char* bad : {"10", "10.0", "ten.0.1", "10.0.1x", "-1.0.1"}) {
    setenv("KAVELO2_SIM_WINDOWS", bad, 1);
    ProgramRun run = RunProgram({KAVELO2_CONFIG_TOOL, "modes"}, folder_);
    unsetenv("KAVELO2_SIM_WINDOWS");
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_EQ(run.err, "kavelo2-config: KAVELO2_SIM_WINDOWS: \"" + std::string(bad) +
                           "\" is not a version (write MAJOR.MINOR.BUILD, e.g. 10.0.19045)\n");
  }
}

// The report names the layers of the application for the current user, read through the
// registry edge (on the host, the simulated registry).
TEST_F(ConfigToolTest, TheReportNamesTheApplicationsLayersForThisUser) {
  const std::string key = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
  const std::string application = "C:\\Show\\GAME.EXE";
  struct Case {
    const char* name;
    bool keyExists;
    std::string data;  // stored for the application; "" for no value
    DWORD type;
    const char* value;  // as the layers' line tells it
  };
  const std::vector<Case> cases = {
      {"no key", false, "", REG_SZ, "none\n"},
      {"no value", true, "", REG_SZ, "none\n"},
      {"a value", true, std::string("~ 16BITCOLOR\0", 13), REG_SZ, "\"~ 16BITCOLOR\"\n"},
      {"not text", true, std::string("\x10\0\0\0", 4), REG_DWORD, "registry type 4"},
      {"too long", true, std::string(2000, 'A'), REG_SZ, "1023 bytes"},
  };
  for (const Case& c : cases) {
    ResetSim();
    if (c.keyExists) Sim().registry.keys[SimCapitals(key)];
    if (!c.data.empty()) Sim().registry.keys[SimCapitals(key)][SimCapitals(application)] = {c.type, c.data};
    ToolRun run = Check("WIDTH:800\nPATH:GAME.EXE\n");
    // Told right under the application they are for.
    const std::string line = "application: C:\\Show\\GAME.EXE\ncompatibility layers for this user: ";
    size_t at = run.out.find(line);
    ASSERT_NE(at, std::string::npos) << c.name << "\n" << run.out;
    std::string told = run.out.substr(at + line.size());
    told = told.substr(0, told.find('\n') + 1);
    EXPECT_NE(told.find(c.value), std::string::npos) << c.name << ": " << told;
  }
}

// --- the user guide agrees with --help ------------------------------------------------------

// The exit-status rows of one command: in --help those ("N  text") after "Exit status of COMMAND:",
// in a Markdown document those of the table ("| N | text |") after "Exit status of `COMMAND`:".
std::vector<std::string> StatusRows(const std::string& text, bool markdown, const std::string& command) {
  std::vector<std::string> rows;
  std::string heading = markdown ? "Exit status of `" + command + "`:" : "Exit status of " + command + ":";
  size_t start = text.find(heading);
  if (start == std::string::npos) return rows;
  start = text.find('\n', start) + 1;
  while (start > 0 && start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (markdown && line.size() > 6 && line.compare(0, 2, "| ") == 0 && line[2] >= '0' && line[2] <= '9' &&
        line.compare(3, 3, " | ") == 0) {
      rows.push_back(line.substr(2, 1) + " " + line.substr(6, line.rfind(" |") - 6));
    } else if (!markdown && line.size() > 5 && line.compare(0, 2, "  ") == 0 && line[2] >= '0' && line[2] <= '9' &&
               line.compare(3, 2, "  ") == 0) {
      rows.push_back(line.substr(2, 1) + " " + line.substr(5));
    } else if (!markdown && !rows.empty() && line.compare(0, 5, "     ") == 0 && line[5] != ' ') {
      rows.back() += " " + line.substr(5);  // a row carried on to the next line
    } else if (!rows.empty()) {
      break;  // the table has ended
    }
  }
  return rows;
}

// The guide holds the exit-status tables; no other document repeats them.
TEST_F(ConfigToolTest, ExitStatusTablesOfTheUserGuideMatchTheHelp) {
  std::string usage = Run({"--help"}).out;
  std::string guide = Read(KAVELO2_SOURCE_DIR "/docs/user-guide.md");
  for (const char* command : {"check", "restore"}) {
    std::vector<std::string> help = StatusRows(usage, false, command);
    ASSERT_EQ(help.size(), 4u) << command << "\n" << usage;
    EXPECT_EQ(StatusRows(guide, true, command), help) << command;
  }
}

// --- the shipped sample ----------------------------------------------------------------------

TEST_F(ConfigToolTest, SampleConfigurationIsTheEncodedPlainTextAndRuns) {
  std::string plain = Read(KAVELO2_SOURCE_DIR "/samples/Kavelo2.txt");
  EXPECT_EQ(Read(KAVELO2_SOURCE_DIR "/samples/Kavelo2.ini"), Run({"encode"}, plain).out)
      << "regenerate with: kavelo2-config encode samples/Kavelo2.txt samples/Kavelo2.ini";
  Write("PROJECTOR.EXE", ProgramFile(TestProgram{}));
  ToolRun run = Run({"check", KAVELO2_SOURCE_DIR "/samples/Kavelo2.ini", "--modes", "display",
                     "--program-dir", folder_});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(Chosen(run.out), "8 of 27: 800x600x32@60, strict, 0x001C0000") << run.out;
}

}  // namespace

// --- whole reports --------------------------------------------------------------------------

namespace {

// The words of the reports, checked whole: each case in tests/reports is a command line (NAME.args,
// one argument a line, {file} for the configuration; lines beginning with "@" script the simulated
// machine: "@mode M" the mode in force, "@restore R" what the display answers a return to the
// registry mode, "@windows V" its version, "@launcher-running" a launcher
// that runs, "@fail CALL N ERROR" its file call CALL failing the N-th time, or every time for 0,
// "@program NAME LEVEL [DESCRIPTION]" a 32-bit program file NAME beside the configuration, whose
// manifest asks for LEVEL ("-": it has none) and whose version block, when given, describes it)
// and the configuration's plain text (NAME.txt, written in the stored form unless
// "@plain-file" says to write it as it stands), and NAME.out is what a console shows: the standard
// output, the standard error and the exit status. A rewording changes those files and no assertion;
// KAVELO2_UPDATE_REPORTS=1 writes them anew from what the tool says now.
const std::string kReports = std::string(KAVELO2_SOURCE_DIR) + "/tools/kavelo2-config/tests/reports/";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

}  // namespace

TEST_F(ConfigToolTest, WholeReportsOfRepresentativeFilesAreAsWritten) {
  std::vector<std::string> names;
  std::FILE* listing = popen(("ls " + kReports + " | sed -n 's/\\.args$//p'").c_str(), "r");
  ASSERT_NE(listing, nullptr);
  names = Lines(ReadWholeStream(listing));
  pclose(listing);
  ASSERT_GE(names.size(), 10u);
  bool update = std::getenv("KAVELO2_UPDATE_REPORTS") != nullptr;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ResetSim();
    const char* mode = nullptr;
    const char* windows = nullptr;
    const char* restore = nullptr;
    std::string modeText, windowsText, restoreText;
    bool plainFile = false, launcherRunning = false;
    std::vector<std::string> args;
    std::string text = ReadWholeFile(kReports + name + ".txt");
    for (const std::string& line : Lines(ReadWholeFile(kReports + name + ".args"))) {
      if (line.rfind("@mode ", 0) == 0) {
        modeText = line.substr(6);
        mode = modeText.c_str();
      } else if (line.rfind("@restore ", 0) == 0) {
        restoreText = line.substr(9);
        restore = restoreText.c_str();
      } else if (line.rfind("@windows ", 0) == 0) {
        windowsText = line.substr(9);
        windows = windowsText.c_str();
      } else if (line == "@plain-file") {
        plainFile = true;
      } else if (line.rfind("@fail ", 0) == 0) {
        char call[64];
        unsigned long occurrence = 0, error = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "@fail %63s %lu %lu", call, &occurrence, &error), 3) << line;
        Sim().fileFailures.push_back({call, occurrence, static_cast<DWORD>(error)});
      } else if (line == "@launcher-running") {
        launcherRunning = true;
      } else if (line.rfind("@program ", 0) == 0) {
        std::istringstream words(line.substr(9));
        std::string file, level, description;
        words >> file >> level;
        std::getline(words >> std::ws, description);
        TestProgram program;
        if (level != "-") program.resources.push_back({24, 1, ManifestAsking(level)});
        if (!description.empty()) program.resources.push_back({16, 1, VersionBlock({{"FileDescription", description}})});
        Write(file, ProgramFile(program));
      } else {
        args.push_back(line == "{file}" ? Write("Kavelo2.ini", plainFile ? text : LauncherTransform(text)) : line);
      }
    }
    Script(nullptr, mode, restore, windows);
    Sim().mutexAlreadyExists = launcherRunning;
    ToolRun run = Run(args);
    // The folder as the tool names it, in its host and its Windows form.
    std::string shown = Replaced(Replaced(run.out + run.err, FullFolder(folder_), "FOLDER\\"), folder_, "FOLDER") +
                        "exit status " + std::to_string(run.status) + "\n";
    std::string expectedPath = kReports + name + ".out";
    if (update) {
      ASSERT_TRUE(WriteWholeFile(expectedPath, shown));
    }
    EXPECT_EQ(shown, ReadWholeFile(expectedPath));
  }
}
