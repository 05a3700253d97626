// The explanation pane: the checker's report on the stored form that saving writes, preceded by
// what was found in the file and followed by the entries the dialog cannot show.
#include "tools/kavelo2-settings/settings_explain.h"

#include "tools/kavelo2-config/config_check.h"

namespace {

// Line feeds become CR LF, as a multi-line edit control needs them.
std::string WithCrLf(const std::string& text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) shown += '\r';
    shown += text[i];
  }
  return shown;
}

}  // namespace

std::string ExplainDocument(const SettingsDocument& document) {
  CheckOptions options;
  options.inputName = document.fileName;
  options.programDirectory = document.folder;
  options.modeSource = ModeSource::Display;
  std::string report = CheckConfigurationText(StoredForm(document.ComposeText()), options).report;

  // The checker's verdict first: it is what the user looks for.
  std::string text;
  for (size_t start = 0; start < report.size();) {
    size_t end = report.find('\n', start);
    end = end == std::string::npos ? report.size() : end + 1;
    if (report.compare(start, 7, "result:") == 0) text += report.substr(start, end - start);
    start = end;
  }
  std::string refusal = document.SaveRefusal();
  if (!refusal.empty()) text += "Saving is refused: " + refusal + "\n";
  if (!document.readLimitNote.empty()) text += "In the file as it is: " + document.readLimitNote + ".\n";
  if (!document.unshown.empty()) {
    text += "\nEntries of the file that the lists cannot show:\n";
    for (const UnshownEntry& entry : document.unshown) {
      text += "  \"" + entry.entry + "\": " + entry.note + "\n";
    }
  }
  text += "\nThe file that saving writes, entry by entry:\n" + report;
  return WithCrLf(text);
}
