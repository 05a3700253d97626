// Lisko's job on the simulated platform: the list file's bytes, the printed lines and the file
// search calls, for normal runs and for every way a run can fail; and the bounded text helpers.
//
// Each run of the job happens in a child process with its standard output sent to a file: the
// job prints with wprintf, which would leave the test program's own standard output
// wide-oriented. The child writes what the simulated platform recorded into a report file.
#include "musiclist/lisko.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/failing_allocator.h"
#include "tests/support/test_files.h"
#include "platform/sim/sim_platform.h"

namespace fs = std::filesystem;

namespace {

// The list file as stored on Windows, where the text-mode stream writes each line feed as CR LF.
// On the host the stream writes the line feeds as they are.
std::string StoredOnWindows(const std::string& written) {
  std::string stored;
  for (char byte : written) {
    if (byte == '\n') stored += '\r';
    stored += byte;
  }
  return stored;
}

// What one run of the job left behind.
struct Outcome {
  std::string printed;
  bool listExists = false;
  std::string written;  // the list file's bytes as the stream wrote them on the host
  std::string stored;   // the same as they would be stored on Windows
  std::vector<std::string> calls;
  std::vector<std::string> patterns;  // the search patterns, ASCII only
  int closeCount = 0;
  size_t allocations = 0;  // counted when the job started a count
};

std::string Ascii(const std::u16string& text) {
  std::string ascii;
  for (char16_t unit : text) ascii += unit < 0x80 ? static_cast<char>(unit) : '?';
  return ascii;
}

class LiskoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSim();
    base_ = MakeTestFolder("lisko-test");
    ASSERT_FALSE(base_.empty());
    fs::create_directory(base_ / "run");
    fs::create_directory(base_ / "fsxml");
    original_ = fs::current_path();
    fs::current_path(base_ / "run");
  }

  void TearDown() override {
    fs::current_path(original_);
    ASSERT_TRUE(RemoveTestFolder(base_.string()));
  }

  fs::path ListPath() const { return base_ / "fsxml" / "usermp3.xml"; }

  // Runs `job` in a child process started from run/, and collects what it left behind.
  Outcome Run(const std::function<void()>& job) {
    const fs::path printedPath = base_ / "printed.txt";
    const fs::path reportPath = base_ / "report.txt";
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child == 0) {
      if (std::freopen(printedPath.c_str(), "w", stdout) == nullptr) _exit(90);
      job();
      const size_t allocations = StopAllocationCount();
      std::fflush(stdout);
      std::ofstream report(reportPath);
      report << "close " << Sim().fileSearch.closeCount << '\n';
      report << "allocations " << allocations << '\n';
      for (const std::string& call : Sim().calls) report << "call " << call << '\n';
      for (const std::u16string& pattern : Sim().fileSearch.patterns)
        report << "pattern " << Ascii(pattern) << '\n';
      report.close();
      _exit(report ? 0 : 91);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the job's process ended abnormally";

    Outcome outcome;
    std::ifstream report(reportPath);
    for (std::string line; std::getline(report, line);) {
      const size_t blank = line.find(' ');
      const std::string kind = line.substr(0, blank), value = line.substr(blank + 1);
      if (kind == "close") outcome.closeCount = std::stoi(value);
      if (kind == "allocations") outcome.allocations = std::stoul(value);
      if (kind == "call") outcome.calls.push_back(value);
      if (kind == "pattern") outcome.patterns.push_back(value);
    }
    outcome.printed = ReadWholeFile(printedPath.string());
    outcome.listExists = fs::is_regular_file(ListPath());
    if (outcome.listExists) outcome.written = ReadWholeFile(ListPath().string());
    outcome.stored = StoredOnWindows(outcome.written);
    return outcome;
  }

  Outcome RunMusicList() { return Run([] { WriteMusicList(); }); }

  fs::path base_;
  fs::path original_;
};

std::string Line(const std::string& name) { return "\t<filename>" + name + "</filename>\r\n"; }

const char kEmptyList[] = "<mp3s>\r\n</mp3s>\r\n";
const char kLongOldList[] =
    "<mp3s>\r\n\t<filename>an old song with a long name.mp3</filename>\r\n"
    "\t<filename>another old song.mp3</filename>\r\n</mp3s>\r\n";

TEST_F(LiskoTest, WritesTheTwoFileExampleByteForByte) {
  Sim().fileSearch.entries = {u".", u"..", u"a.mp3", u"b.mp3"};

  const Outcome outcome = RunMusicList();

  const unsigned char example[] = {
      0x3C, 0x6D, 0x70, 0x33, 0x73, 0x3E, 0x0D, 0x0A, 0x09, 0x3C, 0x66, 0x69, 0x6C, 0x65, 0x6E,
      0x61, 0x6D, 0x65, 0x3E, 0x61, 0x2E, 0x6D, 0x70, 0x33, 0x3C, 0x2F, 0x66, 0x69, 0x6C, 0x65,
      0x6E, 0x61, 0x6D, 0x65, 0x3E, 0x0D, 0x0A, 0x09, 0x3C, 0x66, 0x69, 0x6C, 0x65, 0x6E, 0x61,
      0x6D, 0x65, 0x3E, 0x62, 0x2E, 0x6D, 0x70, 0x33, 0x3C, 0x2F, 0x66, 0x69, 0x6C, 0x65, 0x6E,
      0x61, 0x6D, 0x65, 0x3E, 0x0D, 0x0A, 0x3C, 0x2F, 0x6D, 0x70, 0x33, 0x73, 0x3E, 0x0D, 0x0A};
  ASSERT_EQ(sizeof(example), 75u);
  EXPECT_EQ(outcome.stored, std::string(reinterpret_cast<const char*>(example), sizeof(example)));
  EXPECT_EQ(outcome.printed, "");
  EXPECT_EQ(outcome.patterns, std::vector<std::string>{"../UserMP3s/\\*"});
  // One search, walked to its end and closed; no other platform call.
  EXPECT_EQ(outcome.calls,
            (std::vector<std::string>{"FindFirstFileW", "FindNextFileW", "FindNextFileW",
                                      "FindNextFileW", "FindNextFileW", "FindClose"}));
  EXPECT_EQ(outcome.closeCount, 1);
}

struct ListCase {
  const char* what;
  std::vector<std::u16string> entries;
  std::string stored;
};

TEST_F(LiskoTest, ListsEveryEntryThatDoesNotBeginWithAFullStop) {
  const std::u16string longName = std::u16string(251, u'n') + u".mp3";
  const std::vector<ListCase> cases = {
      {"an empty folder", {u".", u".."}, kEmptyList},
      {"full-stop names skipped, files and folders alike; subfolders listed",
       {u".", u"..", u".hidden.mp3", u".config", u"...", u"Live", u"x.mp3"},
       "<mp3s>\r\n" + Line("Live") + Line("x.mp3") + "</mp3s>\r\n"},
      {"only the first unit decides: U+012E narrows to a full stop but is kept",
       {u"\u012Eeva.mp3"},
       "<mp3s>\r\n" + Line(".eva.mp3") + "</mp3s>\r\n"},
      {"the search's order is kept",
       {u"b.mp3", u".", u"a.mp3", u".."},
       "<mp3s>\r\n" + Line("b.mp3") + Line("a.mp3") + "</mp3s>\r\n"},
      {"markup characters written as they are",
       {u"Tom & Jerry <live>.mp3", u"<", u">&"},
       "<mp3s>\r\n" + Line("Tom & Jerry <live>.mp3") + Line("<") + Line(">&") + "</mp3s>\r\n"},
      {"U+00E9 gives E9", {u"caf\u00E9.mp3"}, "<mp3s>\r\n" + Line("caf\xE9.mp3") + "</mp3s>\r\n"},
      {"U+20AC gives AC", {u"\u20AC.mp3"}, "<mp3s>\r\n" + Line("\xAC.mp3") + "</mp3s>\r\n"},
      {"a surrogate pair gives two bytes",
       {u"\U0001F3B5.mp3"},
       "<mp3s>\r\n" + Line("\x3C\xB5.mp3") + "</mp3s>\r\n"},
      {"U+010A gives a line feed, stored as CR LF",
       {u"a\u010Ab"},
       "<mp3s>\r\n" + Line("a\r\nb") + "</mp3s>\r\n"},
      {"U+0100 gives a zero byte",
       {u"a\u0100b"},
       "<mp3s>\r\n" + Line(std::string("a\0b", 3)) + "</mp3s>\r\n"},
      {"a name of 255 units is written whole",
       {u".", longName, u".."},
       "<mp3s>\r\n" + Line(std::string(251, 'n') + ".mp3") + "</mp3s>\r\n"},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.what);
    ResetSim();
    Sim().fileSearch.entries = c.entries;

    const Outcome outcome = RunMusicList();

    EXPECT_EQ(outcome.stored, c.stored);
    EXPECT_EQ(outcome.printed, "");
    EXPECT_EQ(outcome.closeCount, 1);
  }
}

TEST_F(LiskoTest, ReplacesALongerOldListWhole) {
  ASSERT_TRUE(WriteWholeFile(ListPath().string(), std::string(kLongOldList) + std::string(4000, 'x')));
  Sim().fileSearch.entries = {u".", u".."};

  EXPECT_EQ(RunMusicList().stored, kEmptyList);
}

struct FailureCase {
  const char* what;
  std::vector<std::u16string> entries;
  DWORD startError;
  DWORD endError;
  std::string printed;
  std::string stored;
  int closeCount;
};

// Each failure leaves the file holding only what the run wrote; the old list is gone.
TEST_F(LiskoTest, ReportsASearchThatFailsAndKeepsWhatWasWritten) {
  const std::vector<FailureCase> cases = {
      {"the search cannot start", {u".", u"..", u"a.mp3"}, ERROR_PATH_NOT_FOUND, 0,
       "Invalid file handle. Error is 3.\n", "<mp3s>\r\n", 0},
      {"an empty search answers its own code", {}, 0, 0, "Invalid file handle. Error is 2.\n",
       "<mp3s>\r\n", 0},
      {"a step fails after some entries", {u".", u"..", u"a.mp3", u"b.mp3"}, 0, 59,
       "FindNextFile error. Error is 59.\n",
       "<mp3s>\r\n" + Line("a.mp3") + Line("b.mp3") + "</mp3s>\r\n", 1},
      {"the code is printed unsigned", {u"a.mp3"}, 0, 0xFFFFFFFFu,
       "FindNextFile error. Error is 4294967295.\n", "<mp3s>\r\n" + Line("a.mp3") + "</mp3s>\r\n",
       1},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    ResetSim();
    ASSERT_TRUE(WriteWholeFile(ListPath().string(), kLongOldList));
    Sim().fileSearch.entries = c.entries;
    Sim().fileSearch.startError = c.startError;
    if (c.endError != 0) Sim().fileSearch.endError = c.endError;

    const Outcome outcome = RunMusicList();

    EXPECT_EQ(outcome.printed, c.printed);
    EXPECT_EQ(outcome.stored, c.stored);
    EXPECT_EQ(outcome.closeCount, c.closeCount);
  }
}

// Without a list file the job runs just the same: only the search's own lines are printed, and no
// file appears anywhere.
TEST_F(LiskoTest, SaysNothingAboutAListFileThatCannotBeOpened) {
  struct Case {
    const char* what;
    bool listPathIsFolder;  // otherwise the folder fsxml/ is missing
    DWORD startError;
    DWORD endError;
    std::string printed;
  };
  const std::vector<Case> cases = {
      {"a normal end", false, 0, ERROR_NO_MORE_FILES, ""},
      {"the search cannot start", false, ERROR_PATH_NOT_FOUND, ERROR_NO_MORE_FILES,
       "Invalid file handle. Error is 3.\n"},
      {"a step fails", false, 0, 59, "FindNextFile error. Error is 59.\n"},
      {"the list path is a folder", true, 0, ERROR_NO_MORE_FILES, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetSim();
    fs::remove_all(base_ / "fsxml");
    if (c.listPathIsFolder) fs::create_directories(ListPath());
    Sim().fileSearch.entries = {u".", u"..", u"a.mp3"};
    Sim().fileSearch.startError = c.startError;
    Sim().fileSearch.endError = c.endError;

    const Outcome outcome = RunMusicList();

    EXPECT_EQ(outcome.printed, c.printed);
    EXPECT_EQ(outcome.patterns.size(), 1u);
    EXPECT_EQ(fs::is_directory(ListPath()), c.listPathIsFolder);
    EXPECT_TRUE(fs::is_empty(base_ / "run"));
    EXPECT_EQ(fs::exists(base_ / "fsxml"), c.listPathIsFolder);
  }
}

TEST_F(LiskoTest, LeavesTheOldListAloneWhenThePatternBufferCannotBeHad) {
  ASSERT_TRUE(WriteWholeFile(ListPath().string(), kLongOldList));
  Sim().fileSearch.entries = {u".", u"..", u"a.mp3"};

  // The pattern buffer is the job's first allocation.
  const Outcome outcome = Run([] {
    StartAllocationCount(1);
    WriteMusicList();
  });

  EXPECT_EQ(outcome.printed, "Not enough memory for the search pattern.\n");
  EXPECT_EQ(outcome.written, kLongOldList);
  EXPECT_TRUE(outcome.calls.empty());
}

// Whichever allocation of the job fails, the process ends normally, and the list file holds a
// beginning of what a run with enough memory writes (none at all when the pattern buffer fails).
TEST_F(LiskoTest, EndsNormallyWhicheverAllocationFails) {
  const std::vector<std::u16string> entries = {u".", u"..", u"a.mp3", u"b.mp3"};
  Sim().fileSearch.entries = entries;
  const Outcome clean = Run([] {
    StartAllocationCount(0);
    WriteMusicList();
  });
  ASSERT_GE(clean.allocations, 1u);

  for (size_t failAt = 1; failAt <= clean.allocations; ++failAt) {
    SCOPED_TRACE("allocation " + std::to_string(failAt) + " of " +
                 std::to_string(clean.allocations));
    ResetSim();
    fs::remove(ListPath());
    Sim().fileSearch.entries = entries;

    const Outcome outcome = Run([failAt] {
      StartAllocationCount(failAt);
      WriteMusicList();
    });

    EXPECT_EQ(clean.written.compare(0, outcome.written.size(), outcome.written), 0);
    EXPECT_TRUE(outcome.printed.empty() ||
                outcome.printed == "Not enough memory for the search pattern.\n");
    // A search that was started is closed.
    EXPECT_EQ(outcome.closeCount, outcome.patterns.empty() ? 0 : 1);
  }
}

// The folder name must fit the pattern buffer with its terminator: 129 units at most. A name
// that passes is copied whole and the suffix appended as far as the buffer allows.
TEST_F(LiskoTest, GuardsTheFolderNameAndBoundsThePattern) {
  struct Case {
    size_t folderUnits;
    std::string printed;
    std::string stored;
    std::vector<std::string> patterns;
  };
  const std::string folder(130, 'f');
  const std::vector<Case> cases = {
      {127, "", kEmptyList, {folder.substr(0, 127) + "\\*"}},
      {128, "", kEmptyList, {folder.substr(0, 128) + "\\"}},
      {129, "", kEmptyList, {folder.substr(0, 129)}},
      {130, "Input directory is too large.\n", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folderUnits);
    ResetSim();
    ASSERT_TRUE(WriteWholeFile(ListPath().string(), kLongOldList));
    Sim().fileSearch.entries = {u".", u".."};
    const std::wstring name(c.folderUnits, L'f');

    const Outcome outcome = Run([&name] { WriteFolderList(name.c_str()); });

    EXPECT_EQ(outcome.printed, c.printed);
    EXPECT_TRUE(outcome.listExists);
    EXPECT_EQ(outcome.stored, c.stored);
    EXPECT_EQ(outcome.patterns, c.patterns);
  }
}

// The bounded helpers, on buffers with guard units past the bound that must stay untouched.
constexpr WCHAR kGuard = L'Z';

std::wstring TextOf(const WCHAR* buffer, size_t limit) {
  size_t length = 0;
  while (length < limit && buffer[length] != 0) ++length;
  return std::wstring(buffer, length);
}

TEST(LiskoBoundedText, MeasuresWithinTheBound) {
  struct Case {
    const WCHAR* text;
    size_t bound;
    bool measured;
    size_t length;
  };
  const std::vector<Case> cases = {
      {L"abc", kPatternCapacity, true, 3},
      {L"abc", 4, true, 3},
      {L"abc", 3, false, 0},
      {L"", 1, true, 0},
      {L"", 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << std::wstring(c.text).size() << " units, bound " << c.bound);
    size_t length = 99;
    EXPECT_EQ(MeasureUnits(c.text, c.bound, &length), c.measured);
    EXPECT_EQ(length, c.measured ? c.length : 99u);
  }
}

TEST(LiskoBoundedText, CopiesAndAlwaysTerminates) {
  struct Case {
    const WCHAR* source;
    size_t count;
    size_t capacity;
    const WCHAR* expected;
    bool whole;
  };
  const std::vector<Case> cases = {
      {L"ab", 10, 4, L"ab", true},
      {L"abc", 10, 4, L"abc", true},
      // A source that fills the destination is cut by one unit.
      {L"abcd", 10, 4, L"abc", false},
      {L"abcd", 4, 4, L"abc", false},
      {L"a", 10, 1, L"", false},
      // The count ends the copy before the source's terminator.
      {L"abcdef", 2, 4, L"ab", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "count " << c.count << ", capacity " << c.capacity);
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), kGuard);
    EXPECT_EQ(CopyUnits(buffer, c.capacity, c.source, c.count), c.whole);
    EXPECT_EQ(TextOf(buffer, c.capacity), c.expected);
    EXPECT_EQ(buffer[std::wstring(c.expected).size()], 0);
    for (size_t i = c.capacity; i < 8; ++i) EXPECT_EQ(buffer[i], kGuard) << "unit " << i;
  }

  WCHAR untouched[2] = {kGuard, kGuard};
  EXPECT_FALSE(CopyUnits(untouched, 0, L"a", 1));
  EXPECT_EQ(untouched[0], kGuard);
}

TEST(LiskoBoundedText, AppendsOnlyOntoTerminatedText) {
  struct Case {
    std::wstring start;  // the destination's units before the call, without a terminator
    bool terminated;
    size_t capacity;
    const WCHAR* source;
    std::wstring expected;
    bool whole;
  };
  const std::vector<Case> cases = {
      {L"ab", true, 5, L"cd", L"abcd", true},
      {L"ab", true, 4, L"cd", L"abc", false},
      {L"abc", true, 4, L"d", L"abc", false},
      {L"abc", true, 4, L"", L"abc", true},
      {L"", true, 3, L"xy", L"xy", true},
      // No terminator within the bound: nothing is appended.
      {L"wxyz", false, 4, L"d", L"wxyz", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.start.size() << " units, capacity " << c.capacity);
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), kGuard);
    std::copy(c.start.begin(), c.start.end(), buffer);
    if (c.terminated) buffer[c.start.size()] = 0;
    EXPECT_EQ(AppendUnits(buffer, c.capacity, c.source), c.whole);
    EXPECT_EQ(std::wstring(buffer, c.expected.size()), c.expected);
    EXPECT_EQ(buffer[c.expected.size()], c.terminated ? 0 : kGuard);
    for (size_t i = c.capacity; i < 8; ++i) EXPECT_EQ(buffer[i], kGuard) << "unit " << i;
  }
}

}  // namespace
