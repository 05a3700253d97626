// The dialog's controls and the document: what the document holds is shown, and what the user
// changes in the controls is taken back into it.
#include "tools/kavelo2-settings/dialog_session.h"

#include "tools/kavelo2-settings/resource_ids.h"
#include "tools/kavelo2-settings/settings_explain.h"

namespace {

// The reduced colour modes the colour list offers, with their layers.
struct ColourChoice {
  ReducedColour colour;
  AppLayer layer;
  const char* text;
};
constexpr ColourChoice kColourChoices[] = {
    {ReducedColour::EightBit, AppLayer::Colour256, "8-bit (256 colours)"},
    {ReducedColour::SixteenBit, AppLayer::Colour16Bit, "16-bit (65536 colours)"},
};

// The group "The application on this computer": the application's settings as the document
// holds them, offered as far as this Windows version has them and Windows applies them there.
void ShowLayers(SettingsSession& session) {
  const SettingsDocument& document = session.document;
  session.showing = true;
  HWND colours = GetDlgItem(session.dialog, IDC_COLOUR);
  SendMessageA(colours, CB_RESETCONTENT, 0, 0);
  session.colours = {ReducedColour::Off};
  SendMessageA(colours, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Off"));
  for (const ColourChoice& choice : kColourChoices) {
    if (!LayerOffered(choice.layer, document.windows) && document.layers.reducedColour != choice.colour) continue;
    session.colours.push_back(choice.colour);
    SendMessageA(colours, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.text));
  }
  for (size_t index = 0; index < session.colours.size(); ++index) {
    if (session.colours[index] == document.layers.reducedColour) SendMessageA(colours, CB_SETCURSEL, index, 0);
  }
  CheckDlgButton(session.dialog, IDC_RUN_640X480, document.layers.run640x480 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(session.dialog, IDC_NO_FULL_SCREEN_OPTIMISATIONS,
                 document.layers.noFullScreenOptimisations ? BST_CHECKED : BST_UNCHECKED);
  bool apply = document.LayersApply();
  EnableWindow(colours, apply ? TRUE : FALSE);
  EnableWindow(GetDlgItem(session.dialog, IDC_RUN_640X480), apply ? TRUE : FALSE);
  bool fullScreen = apply && LayerOffered(AppLayer::NoFullScreenOptimisations, document.windows);
  EnableWindow(GetDlgItem(session.dialog, IDC_NO_FULL_SCREEN_OPTIMISATIONS), fullScreen ? TRUE : FALSE);
  SetDlgItemTextA(session.dialog, IDC_LAYERS_NOTE, LayersNote(document).c_str());
  session.showing = false;
}

}  // namespace

std::string DialogText(const SettingsSession& session, int id) {
  HWND control = GetDlgItem(session.dialog, id);
  int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(control, &text[0], length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

// A box is the window's once the window is shown; before, it stands on its own, with a button
// on the task bar, rather than behind a window no one sees.
HWND BoxOwner(const SettingsSession& session) { return IsWindowVisible(session.dialog) ? session.dialog : nullptr; }

void Tell(const SettingsSession& session, const std::string& text, UINT icon) {
  MessageBoxA(BoxOwner(session), text.c_str(), kProgramTitle, MB_OK | icon);
}

bool Ask(const SettingsSession& session, const std::string& question) {
  return MessageBoxA(BoxOwner(session), question.c_str(), kProgramTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// What changes while the user edits: the title's mark, the launcher's pick and the explanation,
// all from one check that asks nothing of the machine.
void ShowLive(SettingsSession& session) {
  const SettingsDocument& document = session.document;
  ConfigCheck check = document.Check();
  SetWindowTextA(session.dialog, document.WindowTitle().c_str());
  SendDlgItemMessageA(session.dialog, IDC_MODES, LB_SETCURSEL, static_cast<WPARAM>(check.selection.index), 0);
  SetDlgItemTextA(session.dialog, IDC_EXPLANATION, ExplainDocument(document, check).c_str());
  ShowTrialLabel(session);
}

// The four value lists' selections as the document holds them, each with its caret on its first
// selected value, where the keyboard starts.
void ShowSelections(SettingsSession& session) {
  session.showing = true;
  for (size_t list = 0; list < kListCount; ++list) {
    int index = 0, caret = -1;
    for (const ValueChoice& choice : session.document.lists[list]) {
      if (choice.selected && caret < 0) caret = index;
      SendDlgItemMessageA(session.dialog, kValueListIds[list], LB_SETSEL, choice.selected ? TRUE : FALSE, index++);
    }
    SendDlgItemMessageA(session.dialog, kValueListIds[list], LB_SETCARETINDEX, static_cast<WPARAM>(caret < 0 ? 0 : caret),
                        FALSE);
  }
  session.showing = false;
}

// Takes into the document whatever the value lists show selected, however it came about (mouse,
// arrows, Space, Shift or Ctrl): true when that changed anything.
bool TakeSelections(SettingsSession& session) {
  if (session.showing) return false;
  bool changed = false;
  for (size_t list = 0; list < kListCount; ++list) {
    int index = 0;
    for (ValueChoice& choice : session.document.lists[list]) {
      bool selected = SendDlgItemMessageA(session.dialog, kValueListIds[list], LB_GETSEL, index++, 0) > 0;
      changed = changed || selected != choice.selected;
      choice.selected = selected;
    }
  }
  if (changed) ShowLive(session);
  return changed;
}

// The group's controls into the document.
void TakeLayers(SettingsSession& session) {
  AppLayerSettings layers = session.document.layers;
  LRESULT colour = SendDlgItemMessageA(session.dialog, IDC_COLOUR, CB_GETCURSEL, 0, 0);
  if (colour >= 0 && static_cast<size_t>(colour) < session.colours.size()) {
    layers.reducedColour = session.colours[static_cast<size_t>(colour)];
  }
  layers.run640x480 = IsDlgButtonChecked(session.dialog, IDC_RUN_640X480) == BST_CHECKED;
  layers.noFullScreenOptimisations = IsDlgButtonChecked(session.dialog, IDC_NO_FULL_SCREEN_OPTIMISATIONS) == BST_CHECKED;
  session.document.ChooseLayers(layers);
  ShowLive(session);
}

void ShowDocument(SettingsSession& session) {
  const SettingsDocument& document = session.document;
  session.showing = true;
  SetDlgItemTextA(session.dialog, IDC_FILE_PATH, (document.folder + document.fileName).c_str());
  SetDlgItemTextA(session.dialog, IDC_FILE_FORM, FormDescription(document).c_str());
  for (size_t list = 0; list < kListCount; ++list) {
    HWND box = GetDlgItem(session.dialog, kValueListIds[list]);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    for (const ValueChoice& choice : document.lists[list]) {
      std::string item = std::to_string(choice.value) + (choice.offered ? "" : " (not offered)");
      SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
  }
  CheckDlgButton(session.dialog, IDC_STRICT, document.strict ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(session.dialog, IDC_BACKDROP, document.backdrop ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(session.dialog, IDC_WAIT_ALL, document.waitAll ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(session.dialog, IDC_APPLICATION, document.application.c_str());
  session.showing = false;
  ShowSelections(session);
  ShowLayers(session);
  ShowLive(session);
}

void AskMachineAboutDocument(SettingsSession& session) {
  KillTimer(session.dialog, kAskMachineTimer);
  session.document.AskMachine();
  SetDlgItemTextA(session.dialog, IDC_FILE_FORM, FormDescription(session.document).c_str());
  ShowLayers(session);
  ShowLive(session);
}

void ShowTrialLabel(const SettingsSession& session) {
  if (session.launcher != nullptr) return;
  SetDlgItemTextA(session.dialog, IDC_TRY_REPORT_LABEL, TrialReportLabel(session.trial, session.document).c_str());
}

void ForgetTrial(SettingsSession& session) {
  session.trial = TrialOutcome();
  SetDlgItemTextA(session.dialog, IDC_TRY_REPORT, "");
  ShowTrialLabel(session);
}
