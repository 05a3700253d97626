// Trying a configuration: which launcher of the folder Try starts, and the report of what it did.
#pragma once

#include "tools/kavelo2-settings/settings_document.h"
#include "tools/model/config_check.h"

#include <string>
#include <utility>
#include <vector>

// The launcher that Try starts for the document's file: the first that reads it once saved.
struct TrialChoice {
  enum class Kind {
    Launcher,           // `launcher` reads the file
    NoLauncher,         // the folder holds no launcher
    NoneReadsTheFile,   // its launchers read other files (`reads`: launcher, the file it reads)
    LauncherGone,       // `launcher` reads it, but is no longer there
  };
  Kind kind = Kind::NoLauncher;
  std::string launcher;
  std::vector<std::pair<std::string, std::string>> reads;
};
TrialChoice ChooseTrialLauncher(const SettingsDocument& document);

// What woke the dialog's message loop: messages for its thread, or the end of the launcher being
// tried.
enum class DialogWake { Messages, TrialEnded };
// Waits until messages arrive or, when `launcher` is not null, that launcher ends. A message wait
// that Windows refuses is never taken for the launcher's end: the launcher is then asked directly,
// and the wait is for the next message (while a launcher is tried, the trial's timer brings one
// every few milliseconds), so the loop neither spins nor misses the end.
DialogWake AwaitDialogWork(HANDLE launcher);

// What trying the configuration showed: the launcher's message boxes, and the display mode
// before, while the launcher ran (when it switched) and after.
struct TrialOutcome {
  std::string launcher;
  // What was tried: the file, its text as saved, and the settings of the application it names
  // as the registry held them.
  std::string file;
  std::string text;
  std::string layersPath;
  AppLayerSettings layers;
  std::vector<std::pair<std::string, std::string>> boxes;  // caption and text, in order shown
  DEVMODEA before{};
  bool switched = false;
  DEVMODEA during{};
  DEVMODEA after{};
};

// The report of a trial, worded with the verdict of the check of the file that was tried.
std::string DescribeTrial(const TrialOutcome& trial, const ConfigCheck& check);

// What `trial` tried, taken from the document once its file is saved (the launcher still to be
// named and the modes still to be seen).
TrialOutcome TrialOf(const SettingsDocument& document);
// Whether the document still is what the trial tried: the same file, text and application
// settings. Otherwise its report is about the file as it was then.
bool TrialShowsDocument(const TrialOutcome& trial, const SettingsDocument& document);
// The report's label, with its access key: says when the report is about the file as it was.
std::string TrialReportLabel(const TrialOutcome& trial, const SettingsDocument& document);

// What closing the dialog does while the launcher of `trial` still runs, asked before it closes.
std::string ClosingDuringTrialText(const TrialOutcome& trial, const SettingsDocument& document);

// Why Try starts nothing, for a choice that is not a launcher.
std::string TrialChoiceText(const TrialChoice& choice, const SettingsDocument& document);

// What a save that Try needed but could not make leaves undone: `launcher` was not started.
std::string NothingTriedText(const std::string& launcher);
