// Saving: the file through the one safe save, then the application's compatibility settings, each
// on its own and each said; the refusal and the question before it.
#include "tools/kavelo2-settings/dialog_save.h"

#include "tools/kavelo2-settings/settings_explain.h"
#include "tools/model/layers_text.h"
#include "tools/model/save_text.h"

bool SaveWithItsQuestions(const SettingsSession& session, SettingsDocument& document, const std::string& notDone) {
  ConfigCheck check = document.Check();
  std::string refusal = RefusalText(document.Refusal(check), check);
  if (!refusal.empty()) {
    Tell(session, document.fileName + " was not saved.\n\n" + refusal + "\n\nThe file on disk is as it was before." +
                      notDone, MB_ICONERROR);
    return false;
  }
  std::string question = QuestionText(document.Question(check), document);
  if (!question.empty() && !Ask(session, question)) return false;
  SaveOutcome outcome = document.Save();
  if (!outcome.Saved()) {
    Tell(session, document.fileName + " was not saved.\n\n" + SaveFailureMessage(outcome) + notDone, MB_ICONERROR);
    return false;
  }
  // The application's own settings go with the file, but the file stands saved whatever becomes
  // of them: a refusal is said, and they stay changed.
  if (document.LayersChanged()) {
    LayerWriteOutcome layers = document.SaveLayers();
    if (!layers.Stored()) {
      Tell(session, document.fileName + " was saved.\n\n" + LayerOutcomeText(layers, document.layersPath, Rendering::Dialog),
           MB_ICONWARNING);
    }
  }
  return true;
}

bool SaveDocument(SettingsSession& session, const std::string& notDone) {
  // The launcher being tried reads the file as it was: nothing is saved until it has ended.
  if (session.launcher != nullptr) return false;
  TakeSelections(session);
  AskMachineAboutDocument(session);
  if (!SaveWithItsQuestions(session, session.document, notDone)) return false;
  AskMachineAboutDocument(session);
  return true;
}

bool ChangesMayGo(SettingsSession& session) {
  TakeSelections(session);
  if (!session.document.IsChanged()) return true;
  std::string question = "Save the changes to " + session.document.fileName + "?";
  int answer = MessageBoxA(session.dialog, question.c_str(), kProgramTitle, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDYES) return SaveDocument(session);
  return answer == IDNO;
}
