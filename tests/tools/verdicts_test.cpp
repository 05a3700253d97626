// The checker and the settings dialog side by side: whatever file they are given, they must say the
// same thing about it, since both render one check.
#include "platform/sim/sim_platform.h"
#include "tests/support/sim_script.h"
#include "tools/kavelo2-config/config_tool.h"
#include "tools/kavelo2-settings/settings_document.h"
#include "tools/kavelo2-settings/settings_explain.h"
#include "tools/machine/files.h"
#include "tools/model/finding_text.h"
#include "tests/support/program_images.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kLayersKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

class BothTools : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = MakeTestFolder("kavelo2-tools") + "/"; }
  void TearDown() override { ASSERT_TRUE(RemoveTestFolder(folder_)); }
  void Write(const std::string& bytes) const { ASSERT_TRUE(WriteWholeFile(Path(), bytes)); }
  std::string Path() const { return folder_ + "Kavelo2.ini"; }

  std::string folder_;
};

// The checker and the dialog judge a file alike: the same exit status, and the checker's one line
// (its error line, or its result) is the dialog's verdict as the console words it (the dialog's
// own words name its controls instead of the file's entries and lines).
TEST_F(BothTools, GiveOneVerdictForAFile) {
  ASSERT_TRUE(WriteWholeFile(folder_ + "PROJECTOR.EXE", ProgramFile(TestProgram())));
  // A 32-bit program without a manifest, which Windows takes for an installer by its name.
  ASSERT_TRUE(WriteWholeFile(folder_ + "SETUP.EXE", ProgramFile(TestProgram())));
  struct Case {
    const char* text;  // as the dialog writes it, so that it loads and saves unchanged
    int status;
    int statusOnWindows10;  // where depths under 32 bits are only emulated
    const char* layers = nullptr;  // the application's compatibility layers for this user
  };
  const Case cases[] = {
      {"WIDTH:800\r\nHEIGHT:600\r\n", 0, 0},
      {"WIDTH:800\r\nHEIGHT:600\r\nPATH:Games\\NotThere.exe\r\n", 1, 1},
      {"WIDTH:800\r\nHEIGHT:600\r\nPATH:SETUP.EXE\r\n", 1, 1},
      {"WIDTH:800\r\nHEIGHT:600\r\nPATH:\\\\server\\share\\show.exe\r\n", 1, 1},
      {"WIDTH:1280\r\n", 3, 3},
      {"WIDTH:1280\r\nSTRICT:1\r\n", 1, 1},
      {"WIDTH:640\r\n", 3, 3},
      {"WIDTH:640\r\nSTRICT:1\r\n", 1, 1},
      {"DEPTH:16\r\nBACKDROP:1\r\n", 0, 3},
      {"WIDTH:640\r\nHEIGHT:480\r\nDEPTH:8\r\nSTRICT:1\r\n", 0, 3},
      {"WIDTH:640\r\nHEIGHT:480\r\nDEPTH:8\r\nSTRICT:1\r\n", 0, 0, "~ 256COLOR"},
      {"WIDTH:640\r\nHEIGHT:480\r\nDEPTH:16\r\n", 0, 3, "~ 256COLOR"},
      {"STRICT:1\r\n", 1, 1},
      {"", 1, 1},
  };
  // Both read the version once, from ntdll: on the host the simulated one, KAVELO2_SIM_WINDOWS.
  std::vector<std::pair<const char*, const Case*>> runs;
  for (const char* windows : {"6.1.7601", "10.0.19045"}) {
    for (const Case& c : cases) runs.emplace_back(windows, &c);
  }
  for (const auto& [windows, run] : runs) {
    const Case& c = *run;
    SCOPED_TRACE(std::string(windows) + ": " + c.text);
    int expected = std::string(windows) == "6.1.7601" ? c.status : c.statusOnWindows10;
    ResetSim();
    std::string scripted;
    ASSERT_TRUE(SimScriptDisplay(nullptr, nullptr, nullptr, scripted) && SimScriptWindows(windows, scripted)) << scripted;
    if (c.layers != nullptr) {
      Sim().registry.keys[SimCapitals(kLayersKey)][SimCapitals(FullFolder(folder_) + "PROJECTOR.EXE")] = {
          REG_SZ, std::string(c.layers) + '\0'};
    }
    Write(StoredForm(c.text));
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int status = RunConfigTool({"check", Path(), "--modes", "display"}, {in, out, err, {}});
    std::string report = ReadWholeStream(out), error = ReadWholeStream(err);
    for (std::FILE* stream : {in, out, err}) std::fclose(stream);

    SettingsDocument document;
    std::string reason;
    document.ReadDisplay();
    ASSERT_TRUE(document.Open(folder_, "Kavelo2.ini", {}, reason)) << reason;
    document.folder = FullFolder(folder_);  // as the checker names the launcher's folder
    document.AskMachine();
    ASSERT_EQ(document.ComposeText(), c.text);
    ConfigCheck check = document.Check();
    std::string verdict = VerdictLine(check, Rendering::Escaped);

    EXPECT_EQ(status, expected) << report << error;
    EXPECT_EQ(Judge(check).status, status);
    if (status == 0) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(report.substr(report.rfind("result: ")), verdict + "\n");
    } else {
      EXPECT_EQ(error, "kavelo2-config: " + verdict + "\n");
    }
    if (c.layers != nullptr) {
      EXPECT_NE(ExplainDocument(document, check).find("compatibility layers for this user: \"" + std::string(c.layers) + "\""), std::string::npos);
    }
  }
}

}  // namespace
