// A path shortened in its middle keeps its start and its file name, and never passes its width.
#include "tools/model/shortened_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ShortenedPath, TheMiddleGivesWayAndTheWidthIsNeverPassed) {
  struct Case {
    std::string path;
    size_t width;
    std::string shown;
  };
  const std::string deep = "C:\\Games\\Collection\\Old\\Adventure\\GAME.EXE";  // 42 characters
  const std::vector<Case> cases = {
      {deep, 42, deep},
      {deep, 41, "C:\\Games\\Collection\\Old\\Adven...\\GAME.EXE"},
      {deep, 15, "C:\\...\\GAME.EXE"},
      {deep, 12, "...\\GAME.EXE"},
      // Only the file name fits, or only its start.
      {deep, 11, "...GAME.EXE"},
      {deep, 7, "GAME..."},
      {"C:\\A\\AVeryLongProgramName.exe", 14, "AVeryLongPr..."},
      {"NOSEPARATORATALL.EXE", 10, "NOSEPAR..."},
      {"C:/Games/Old/GAME.EXE", 17, "C:/Ga.../GAME.EXE"},
      {deep, 3, "..."},
      {deep, 2, ".."},
      {deep, 0, ""},
      {"", 5, ""},
  };
  for (const Case& c : cases) {
    std::string shown = ShortenedPath(c.path, c.width);
    EXPECT_LE(shown.size(), c.width) << c.path << " in " << c.width;
    EXPECT_EQ(shown, c.shown) << c.path << " in " << c.width;
  }
}

}  // namespace
