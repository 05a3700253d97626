// The one safe save on the host's files, against the simulated platform's refusals: whatever
// step fails, the old file keeps its name or the outcome says where it is, no file the save did
// not write is lost, and what a crashed save left behind does not stop the next one.
#include "tools/machine/safe_save.h"

#include "platform/sim/sim_platform.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Step = SaveOutcome::Step;
using OldFile = SaveOutcome::OldFile;

constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
const std::string kNew = "new bytes";

// What an earlier save left beside the file.
struct Leftover {
  std::string name;
  DWORD attributes;
};

class SafeSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTestFolder("kavelo2-save") + "/";
    ResetSim();
  }
  void TearDown() override { ASSERT_TRUE(RemoveTestFolder(folder_)); }

  std::string Path(const std::string& name = "Kavelo2.ini") const { return folder_ + name; }

  // A file with these bytes; read-only, hidden and system as the platform would show them.
  void Write(const std::string& name, const std::string& bytes, DWORD attributes = 0) const {
    ASSERT_TRUE(WriteWholeFile(Path(name), bytes));
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      ASSERT_EQ(chmod(Path(name).c_str(), 0444), 0);
    }
    if ((attributes & kHiddenSystem) != 0) Sim().fileAttributes[Path(name)] = attributes & kHiddenSystem;
  }
  std::string Read(const std::string& name) const { return ReadWholeFile(Path(name)); }
  // A fresh folder and machine, with the old file ("old bytes") when there is one, and what earlier
  // saves left ("left " and the name).
  void Begin(bool oldFile, DWORD oldAttributes, const std::vector<Leftover>& leftovers) {
    TearDown();
    SetUp();
    if (oldFile) Write("Kavelo2.ini", "old bytes", oldAttributes);
    for (const Leftover& leftover : leftovers) Write(leftover.name, "left " + leftover.name, leftover.attributes);
  }
  // The folder's names, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    if (DIR* listing = opendir(folder_.c_str())) {
      while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string folder_;
};

TEST_F(SafeSaveTest, SavesOverWhatEarlierSavesLeftAndKeepsTheOldFilesAttributes) {
  struct Case {
    const char* name;
    bool oldFile;
    DWORD oldAttributes;
    std::vector<Leftover> leftovers;
    std::vector<std::string> names;  // afterwards
  };
  const std::vector<std::string> alone = {"Kavelo2.ini"};
  const Case cases[] = {
      {"a new file", false, 0, {}, alone},
      {"replacing a file", true, 0, {}, alone},
      {"a hidden system file stays hidden and system", true, kHiddenSystem, {}, alone},
      // CreateFileA with CREATE_ALWAYS will not write over a hidden or system file.
      {"a hidden pending file of a save that never ended", true, 0, {{"Kavelo2.ini.saving", FILE_ATTRIBUTE_HIDDEN}},
       alone},
      {"a system, read-only pending file, and no old file", false, 0,
       {{"Kavelo2.ini.saving", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY}}, alone},
      // They may hold the only copy of an older file: the old one steps aside under the next name.
      {"old files that could not take their names back stay", true, 0,
       {{"Kavelo2.ini.replaced", 0}, {"Kavelo2.ini.1.replaced", FILE_ATTRIBUTE_READONLY}},
       {"Kavelo2.ini", "Kavelo2.ini.1.replaced", "Kavelo2.ini.replaced"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Begin(c.oldFile, c.oldAttributes, c.leftovers);

    SaveOutcome outcome = SaveFileSafely(Path(), kNew);
    EXPECT_EQ(outcome.step, Step::Saved);
    EXPECT_EQ(Read("Kavelo2.ini"), kNew);
    EXPECT_EQ(Names(), c.names);
    for (const Leftover& leftover : c.leftovers) {
      if (leftover.name.find(".replaced") != std::string::npos) {
        EXPECT_EQ(Read(leftover.name), "left " + leftover.name);
      }
    }
    EXPECT_EQ(GetFileAttributesA(Path().c_str()), c.oldAttributes != 0 ? c.oldAttributes : FILE_ATTRIBUTE_NORMAL);
    // The new file reached the disk first; an old file is replaced in one step that keeps its
    // attributes, a new one only renamed, never over a file that took the name meanwhile.
    EXPECT_EQ(Sim().flushes, 1);
    EXPECT_EQ(Sim().replaceFlags, c.oldFile ? std::vector<DWORD>{REPLACEFILE_IGNORE_MERGE_ERRORS} : std::vector<DWORD>{});
    EXPECT_EQ(Sim().moveFlags, c.oldFile ? std::vector<DWORD>{} : std::vector<DWORD>{MOVEFILE_WRITE_THROUGH});
  }
}

TEST_F(SafeSaveTest, AFailedSaveLeavesTheOldFileUnderItsNameOrSaysWhereItIs) {
  struct Case {
    const char* name;
    bool oldFile;
    DWORD oldAttributes;
    std::vector<Leftover> leftovers;
    std::vector<SimFileFailure> failures;
    Step step;
    DWORD error;
    OldFile oldFileAfter;
    const char* replaced;  // the name the old file stepped aside to, "" for none
    DWORD returnError;
    std::vector<std::string> names;  // afterwards
  };
  const std::vector<std::string> alone = {"Kavelo2.ini"};
  std::vector<Leftover> allTaken;
  for (int index = 0; index < kReplacedSaveNames; ++index) {
    allTaken.push_back({ReplacedSavePath("Kavelo2.ini", index), 0});
  }
  std::vector<std::string> allTakenNames = {"Kavelo2.ini"};
  for (const Leftover& leftover : allTaken) allTakenNames.push_back(leftover.name);
  std::sort(allTakenNames.begin(), allTakenNames.end());
  const DWORD denied = ERROR_ACCESS_DENIED;

  const Case cases[] = {
      {"the pending file cannot be created", true, 0, {}, {{"CreateFileA", 0, denied}}, Step::CreatePending, denied,
       OldFile::AsBefore, "Kavelo2.ini.replaced", 0, alone},
      {"the disk is full", true, 0, {}, {{"WriteFile", 0, ERROR_DISK_FULL}}, Step::WritePending, ERROR_DISK_FULL,
       OldFile::AsBefore, "Kavelo2.ini.replaced", 0, alone},
      {"the data cannot be flushed", true, 0, {}, {{"FlushFileBuffers", 0, denied}}, Step::WritePending, denied,
       OldFile::AsBefore, "Kavelo2.ini.replaced", 0, alone},
      {"no old file, and the new one cannot take the name", false, 0, {}, {{"MoveFileExA", 0, denied}},
       Step::NamePending, denied, OldFile::AsBefore, "", 0, {}},
      // The first probe misses the file: the new one never takes the name over it.
      {"a file takes the name meanwhile", true, 0, {}, {{"GetFileAttributesA", 1, ERROR_FILE_NOT_FOUND}},
       Step::NamePending, ERROR_ALREADY_EXISTS, OldFile::AsBefore, "", 0, alone},
      {"the old file cannot be removed", true, 0, {}, {{"ReplaceFileA", 0, ERROR_UNABLE_TO_REMOVE_REPLACED}},
       Step::Replace, ERROR_UNABLE_TO_REMOVE_REPLACED, OldFile::AsBefore, "Kavelo2.ini.replaced", 0, alone},
      {"the new file cannot be renamed", true, 0, {}, {{"ReplaceFileA", 0, ERROR_UNABLE_TO_MOVE_REPLACEMENT}},
       Step::Replace, ERROR_UNABLE_TO_MOVE_REPLACEMENT, OldFile::AsBefore, "Kavelo2.ini.replaced", 0, alone},
      {"another refusal", true, 0, {}, {{"ReplaceFileA", 0, ERROR_SHARING_VIOLATION}}, Step::Replace,
       ERROR_SHARING_VIOLATION, OldFile::AsBefore, "Kavelo2.ini.replaced", 0, alone},
      // Here the platform has moved the old file aside: it takes its name back, attributes and all.
      {"the new file cannot be moved: the old one returns", true, kHiddenSystem, {},
       {{"ReplaceFileA", 0, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}}, Step::Replace, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2,
       OldFile::AsBefore, "Kavelo2.ini.replaced", 0, alone},
      {"the old file cannot return: it stays aside, and says so", true, 0, {},
       {{"ReplaceFileA", 0, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}, {"MoveFileExA", 1, denied}}, Step::Replace,
       ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, OldFile::Aside, "Kavelo2.ini.replaced", denied, {"Kavelo2.ini.replaced"}},
      {"beside an older file that could not return", true, 0, {{"Kavelo2.ini.replaced", 0}},
       {{"ReplaceFileA", 0, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}, {"MoveFileExA", 1, denied}}, Step::Replace,
       ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, OldFile::Aside, "Kavelo2.ini.1.replaced", denied,
       {"Kavelo2.ini.1.replaced", "Kavelo2.ini.replaced"}},
      // The probes go: the file (1), the replaced name (2), the pending file (3), then after the
      // refusal the file (4) and the replaced name (5). Found nowhere, the old file may be lost:
      // the new file is all there is, and stays.
      {"the old file is found nowhere: the new one stays", true, 0, {},
       {{"ReplaceFileA", 0, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}, {"GetFileAttributesA", 5, ERROR_FILE_NOT_FOUND}},
       Step::Replace, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, OldFile::NotFound, "Kavelo2.ini.replaced", 0,
       {"Kavelo2.ini.replaced", "Kavelo2.ini.saving"}},
      {"every replaced name is taken", true, 0, allTaken, {}, Step::NoReplacedName, 0, OldFile::AsBefore, "", 0,
       allTakenNames},
      {"a read-only file", true, FILE_ATTRIBUTE_READONLY, {}, {}, Step::ReadOnly, 0, OldFile::AsBefore, "", 0, alone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Begin(c.oldFile, c.oldAttributes, c.leftovers);
    Sim().fileFailures = c.failures;

    SaveOutcome outcome = SaveFileSafely(Path(), kNew);
    EXPECT_EQ(outcome.step, c.step);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(outcome.oldFile, c.oldFileAfter);
    EXPECT_EQ(outcome.replaced, *c.replaced != '\0' ? Path(c.replaced) : "");
    EXPECT_EQ(outcome.returnError, c.returnError);
    EXPECT_EQ(Names(), c.names);
    std::string oldAt = c.oldFileAfter == OldFile::AsBefore ? "Kavelo2.ini" : c.replaced;
    if (c.oldFile) {
      EXPECT_EQ(Read(oldAt), "old bytes");
      Sim().fileFailures.clear();
      EXPECT_EQ(GetFileAttributesA(Path(oldAt).c_str()), c.oldAttributes != 0 ? c.oldAttributes : FILE_ATTRIBUTE_NORMAL);
    }
    for (const Leftover& leftover : c.leftovers) EXPECT_EQ(Read(leftover.name), "left " + leftover.name);
    if (c.oldFileAfter == OldFile::NotFound) {
      EXPECT_EQ(Read("Kavelo2.ini.saving"), kNew);
    }
  }
}

TEST_F(SafeSaveTest, WhatCannotBeSavedAtAllIsRefusedBeforeAnythingIsWritten) {
  ASSERT_EQ(mkdir(Path("Kavelo2.ini").c_str(), 0755), 0);
  Write("Kavelo2.ini.saving", "left", FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(SaveFileSafely(Path(), kNew).step, Step::IsFolder);
  SaveOutcome missing = SaveFileSafely(Path("missing/Kavelo2.ini"), kNew);
  EXPECT_EQ(missing.step, Step::CreatePending);
  EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(missing.pending, Path("missing/Kavelo2.ini.saving"));
  EXPECT_EQ(Sim().fileCalls["CreateFileA"], 1u);
  EXPECT_EQ(Sim().fileCalls["SetFileAttributesA"], 0u);  // the leftover beside a folder is not touched
  EXPECT_EQ(Names(), (std::vector<std::string>{"Kavelo2.ini", "Kavelo2.ini.saving"}));
}

}  // namespace
