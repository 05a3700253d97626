// What the launcher's unit tests share: a fresh simulated platform, a program folder of real
// files, and the stored form of a configuration.
#pragma once

#include "launcher/launch_context.h"
#include "platform/sim/sim_platform.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// The stored form of plain configuration text.
inline std::string Encode(std::string text) {
  DecodeConfigBuffer(text.data(), text.size());
  return text;
}

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTestFolder("kavelo2-unit");
    ResetPlatform();
  }

  // A fresh simulated platform for a launcher in the test's folder, the display at 1024 x 768.
  void ResetPlatform() const {
    ResetSim();
    // The launcher sees a Windows path; its last backslash lands inside the real folder, so
    // "Kavelo2.ini" beside it is the host file "<folder>/\Kavelo2.ini".
    Sim().modulePath = folder_ + "/\\Kavelo2.exe";
    Sim().currentMode = MakeMode(1024, 768, 32, 60);
  }

  void TearDown() override { ASSERT_TRUE(RemoveTestFolder(folder_)); }

  // The launcher's Windows-style path of a file beside it.
  std::string ProgramPath(const std::string& name) const { return folder_ + "/\\" + name; }

  void WriteFile(const std::string& name, const std::string& bytes) const {
    ASSERT_TRUE(WriteWholeFile(ProgramPath(name), bytes));
  }

  void WriteConfig(const std::string& plainText, const std::string& name = "Kavelo2.ini") const {
    WriteFile(name, Encode(plainText));
  }

  void AddModes(std::initializer_list<DEVMODEA> modes) const {
    for (const DEVMODEA& mode : modes) Sim().modes.push_back({TRUE, mode});
  }

  std::string folder_;
};
