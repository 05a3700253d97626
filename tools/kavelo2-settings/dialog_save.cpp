// Saving: the file through the one safe save, then the application's compatibility settings, each
// on its own and each said; the questions before it, and Save As.
#include "tools/kavelo2-settings/dialog_session.h"

#include "tools/kavelo2-settings/resource_ids.h"
#include "tools/kavelo2-settings/settings_explain.h"
#include "tools/machine/files.h"
#include "tools/model/layers_text.h"
#include "tools/model/save_text.h"

namespace {

constexpr const char* kConfigurationFilter = "Launcher configurations (*.ini)\0*.ini\0All files (*.*)\0*.*\0";

}  // namespace

bool SaveDocument() {
  SettingsDocument& document = Session().document;
  // The launcher being tried reads the file as it was: nothing is saved until it has ended.
  if (Session().launcher != nullptr) return false;
  TakeSelections();
  AskMachineAboutDocument();
  ConfigCheck check = document.Check();
  std::string refusal = RefusalText(document.Refusal(check), check);
  if (!refusal.empty()) {
    Tell(document.fileName + " was not saved.\n\n" + refusal + "\n\nThe file on disk is as it was before.", MB_ICONERROR);
    return false;
  }
  std::string question = QuestionText(document.Question(check), document);
  if (!question.empty() && !Ask(question)) return false;
  SaveOutcome outcome = document.Save();
  if (!outcome.Saved()) {
    Tell(document.fileName + " was not saved.\n\n" + SaveFailureMessage(outcome), MB_ICONERROR);
    return false;
  }
  // The application's own settings go with the file, but the file stands saved whatever becomes
  // of them: a refusal is said, and they stay changed.
  if (document.LayersChanged()) {
    LayerWriteOutcome layers = document.SaveLayers();
    bool written = layers.result == LayerWriteOutcome::Result::Written || layers.result == LayerWriteOutcome::Result::Removed;
    if (!written) {
      Tell(document.fileName + " was saved.\n\n" + LayerOutcomeText(layers, document.layersPath, Rendering::Dialog), MB_ICONWARNING);
    }
  }
  AskMachineAboutDocument();
  return true;
}

// Before the document is replaced or the window closes: true when the changes may go.
bool ChangesMayGo() {
  SettingsDocument& document = Session().document;
  TakeSelections();
  if (!document.IsChanged()) return true;
  std::string question = "Save the changes to " + document.fileName + "?";
  int answer = MessageBoxA(Session().dialog, question.c_str(), "Kavelo2 Settings", MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDYES) return SaveDocument();
  return answer == IDNO;
}

// Save As: the same save, under the name chosen, with the application that the new file's
// launcher starts; the document stays with its old name when the file is not saved.
void SaveAs() {
  SettingsDocument& document = Session().document;
  std::string path;
  if (!PickFile(true, kConfigurationFilter, document.folder, path)) return;
  SettingsDocument before = document;
  std::vector<std::string> launchers;
  SplitPath(path, document.folder, document.fileName, launchers);
  document.launchers = launchers;
  if (ProbePath(path) != PathKind::File) document.form = FileForm::Missing;
  if (!SaveDocument()) {
    document = before;
    ShowDocument();
    return;
  }
  ShowDocument();
}
