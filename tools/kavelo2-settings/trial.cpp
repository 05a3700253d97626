// Which launcher Try starts, and the words of what it did.
#include "tools/kavelo2-settings/trial.h"

#include "tools/model/finding_text.h"
#include "tools/model/mode_notation.h"

#include <algorithm>

TrialChoice ChooseTrialLauncher(const SettingsDocument& document) {
  TrialChoice choice;
  LauncherFolder folder = document.Launchers();
  std::vector<std::string> readers = folder.ReadersOf(document.fileName);
  if (!readers.empty()) {
    choice.launcher = readers.front();
    bool there = folder.probe(document.folder + choice.launcher) == PathKind::File;
    choice.kind = there ? TrialChoice::Kind::Launcher : TrialChoice::Kind::LauncherGone;
    return choice;
  }
  if (folder.launchers.empty()) return choice;
  choice.kind = TrialChoice::Kind::NoneReadsTheFile;
  for (const std::string& launcher : folder.launchers) {
    choice.reads.emplace_back(launcher, folder.FileReadBy(launcher, document.fileName));
  }
  return choice;
}

std::string TrialChoiceText(const TrialChoice& choice, const SettingsDocument& document) {
  switch (choice.kind) {
    case TrialChoice::Kind::Launcher:
      return "";
    case TrialChoice::Kind::NoLauncher:
      return "There is no launcher in " + document.folder + " to try the configuration with.";
    case TrialChoice::Kind::LauncherGone:
      return "There is no " + choice.launcher + " in " + document.folder + " to try the configuration with.";
    case TrialChoice::Kind::NoneReadsTheFile:
      break;
  }
  std::string why = "No launcher in " + document.folder + " reads " + document.fileName + ":";
  for (const auto& [launcher, file] : choice.reads) {
    why += " " + launcher + " reads " + (file.empty() ? std::string("no file") : file) + ".";
  }
  return why;
}

// Worded for the dialog, which shows names with the code page's letters as they are.
std::string DescribeTrial(const TrialOutcome& trial, const ConfigCheck& check) {
  std::string text = trial.launcher + " ran";
  for (size_t i = 0; i < trial.boxes.size(); ++i) {
    std::string message = trial.boxes[i].second;
    std::replace(message.begin(), message.end(), '\r', ' ');
    text += (i == 0 ? " and showed: " : "; then: ") + trial.boxes[i].first + ": " + message;
  }
  if (text.back() != '.') text += '.';
  text += "\r\nDisplay before: " + FormatMode(trial.before) + "; while it ran: " +
          (trial.switched ? FormatMode(trial.during) : std::string("not switched")) + "; after: " +
          FormatMode(trial.after) + ".\r\nThe check of this file: " + VerdictLine(check, Rendering::Ansi);
  return text;
}
