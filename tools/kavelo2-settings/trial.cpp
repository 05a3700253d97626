// Which launcher Try starts, and the words of what it did.
#include "tools/kavelo2-settings/trial.h"

#include "tools/model/finding_text.h"
#include "tools/model/mode_notation.h"

#include <algorithm>

DialogWake AwaitDialogWork(HANDLE launcher) {
  DWORD count = launcher != nullptr ? 1 : 0;
  DWORD woken = MsgWaitForMultipleObjects(count, &launcher, FALSE, INFINITE, QS_ALLINPUT);
  if (woken == WAIT_FAILED) {
    if (count == 1 && WaitForSingleObject(launcher, 0) == WAIT_OBJECT_0) return DialogWake::TrialEnded;
    WaitMessage();
    return DialogWake::Messages;
  }
  return count == 1 && woken == WAIT_OBJECT_0 ? DialogWake::TrialEnded : DialogWake::Messages;
}

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
    // A box's text may end in a line break of its own ("... color depth.\r"): it ends here.
    std::string message = trial.boxes[i].second;
    message.erase(message.find_last_not_of("\r\n ") + 1);
    std::replace(message.begin(), message.end(), '\r', ' ');
    text += (i == 0 ? " and showed: " : "; then: ") + trial.boxes[i].first + ": " + message;
  }
  if (text.back() != '.') text += '.';
  text += "\r\nDisplay before: " + FormatMode(trial.before) + "; while it ran: " +
          (trial.switched ? FormatMode(trial.during) : std::string("not switched")) + "; after: " +
          FormatMode(trial.after) + ".\r\nThe check of this file: " + VerdictLine(check, Rendering::Dialog);
  return text;
}

TrialOutcome TrialOf(const SettingsDocument& document) {
  TrialOutcome trial;
  trial.file = document.folder + document.fileName;
  trial.text = document.savedText;
  trial.layersPath = document.layersPath;
  trial.layers = document.layersSaved;
  return trial;
}

bool TrialShowsDocument(const TrialOutcome& trial, const SettingsDocument& document) {
  return trial.file == document.folder + document.fileName && trial.text == document.ComposeText() &&
         trial.layersPath == document.layersPath && trial.layers == document.layers;
}

std::string TrialReportLabel(const TrialOutcome& trial, const SettingsDocument& document) {
  if (trial.launcher.empty() || TrialShowsDocument(trial, document)) return "&Last try:";
  std::string name = trial.file.substr(trial.file.find_last_of('\\') + 1);
  return "&Last try, of " + name + " as it was then:";
}

std::string ClosingDuringTrialText(const TrialOutcome& trial, const SettingsDocument& document) {
  std::string text = trial.launcher + ", started by Try, is still running. Closing Kavelo2 Settings now leaves it and "
                     "its application running, and the report of the try is lost.";
  if (document.IsChanged()) {
    text += " The changes to " + document.fileName + " are lost too: nothing is saved while a launcher is being "
            "tried.";
  }
  return text + "\n\nClose anyway?";
}

std::string NothingTriedText(const std::string& launcher) {
  return "Nothing was tried: " + launcher + " reads the file as it is on disk, without the changes, and was not "
         "started.";
}
