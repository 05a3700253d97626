// The explanation pane and the file line: rendered from the document and the checker's check. The
// dialog's controls show ANSI text in the code page (Rendering::Dialog): names with the code page's
// letters stand as the user sees them elsewhere, and only control characters are escaped.
#include "tools/kavelo2-settings/settings_explain.h"

#include "launcher/config_file.h"
#include "tools/model/check_report.h"
#include "tools/model/code_page_text.h"
#include "tools/model/finding_text.h"
#include "tools/model/layers_text.h"
#include "tools/model/shortened_path.h"

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

// "1 byte", "2 bytes".
std::string Counted(uint64_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// The most of an application's path that the line under its settings shows, with room left on
// the line for what the registry holds.
constexpr size_t kLayersNotePathWidth = 60;

// What the file holds, and what saving makes of it.
std::string FileFormText(const SettingsDocument& document) {
  constexpr const char* kRewritten = ", which the launcher cannot read: saving writes the stored form.";
  if (document.noText) {
    return Counted(document.fileSize, "byte") + " that are no text, neither in the stored form nor plain, so the "
           "launcher finds no entry in them: saving replaces them with the stored form.";
  }
  if (document.form == FileForm::Missing) return "No file yet: saving creates it in the stored form.";
  if (document.form == FileForm::Plain) {
    return "Plain text, " + Counted(document.fileSize, "byte") + kRewritten +
           (document.utf8Mark ? " The UTF-8 byte order mark at its start is left out." : "");
  }
  if (document.form == FileForm::Utf16) {
    return "Unicode (UTF-16) text, " + Counted(document.fileSize, "byte") + kRewritten +
           (document.replaced > 0 ? " " + Counted(document.replaced, "character") + " outside 8-bit text became \"?\"."
                                  : "");
  }
  return document.fileSize == 0 ? "An empty file: saving writes the stored form."
                                : "Stored form, " + Counted(document.fileSize, "byte") + ".";
}

}  // namespace

std::string FormDescription(const SettingsDocument& document) {
  if (document.PathUnspelt()) {
    return "Its path holds characters that this Windows' code page (" + std::to_string(document.codePage) +
           ") has no letters for: the file cannot be read or saved there.";
  }
  std::string form = FileFormText(document);
  // The explanation tells what the launcher reads, which is then nothing at all.
  if (document.ReadAsEmpty()) form += " A NUL byte at its start ends its text: the launcher reads it as empty.";
  // Which launcher of the folder reads it, by the launcher's own rule.
  if (document.launchers.empty()) return form;
  std::vector<std::string> readers = document.Launchers().ReadersOf(document.fileName);
  if (readers.empty()) return "No launcher in this folder reads this file. " + form;
  std::string names;
  for (size_t i = 0; i < readers.size(); ++i) names += (i == 0 ? "" : " and ") + readers[i];
  return "Read by " + names + ". " + form;
}

std::string LayersNote(const SettingsDocument& document) {
  if (document.layersPath.empty()) return "The launcher's folder leaves it no room for an application's path.";
  return "For " + ShortenedPath(document.layersPath, kLayersNotePathWidth) + ", for this user: " +
         LayersText(document.layersRead, Rendering::Dialog) + ".";
}

std::string UnshownNote(const UnshownEntry& entry) {
  std::string keyword = EntryKeyword(entry.kind);
  switch (entry.reason) {
    case UnshownEntry::Reason::Ignored:
      return "the launcher ignores it; saving leaves it out";
    case UnshownEntry::Reason::SecondKept:
      return "a second " + keyword + " entry: the launcher requires both, so the list keeps only the values "
             "both name; saving writes them as one entry";
    case UnshownEntry::Reason::SecondNoCommon:
      return "a second " + keyword + " entry: the launcher requires both, and they name no value in common, "
             "so no mode passes; saving writes no " + keyword + " entry";
    case UnshownEntry::Reason::NoNumber:
      return keyword + " without a number passes no mode; saving leaves it out";
    case UnshownEntry::Reason::ReplacedPath:
      return "replaced by a later PATH entry, as the launcher does; saving leaves it out";
    case UnshownEntry::Reason::EmptyPath:
      return "an empty PATH, with which the launcher tries to start its own folder; saving leaves it out, so the "
             "launcher starts PROJECTOR.EXE";
    case UnshownEntry::Reason::PathNotTaken:
      return "with the launcher's folder in front it does not fit in 1023 characters, so the launcher does not "
             "take it; saving leaves it out";
    case UnshownEntry::Reason::SecondSwitch:
      break;
  }
  return "a second " + keyword + " entry; saving writes one";
}

std::string RefusalText(const SaveRefusal& refusal, const ConfigCheck& check) {
  switch (refusal.kind) {
    case SaveRefusal::Kind::None:
      return "";
    case SaveRefusal::Kind::EndsAnEntry:
      return "The application path holds a semicolon or a line break, which ends an entry in the file: the "
             "launcher would read only the part before it.";
    case SaveRefusal::Kind::PathReadOtherwise:
      return "The application path: " + FindingBody(refusal.finding, check, Rendering::Dialog) + ".";
    case SaveRefusal::Kind::Unspelt:
      return UnspellableNameText(refusal.path, refusal.codePage, Rendering::Dialog);
    case SaveRefusal::Kind::TooLong:
      break;
  }
  return "The configuration is " + std::to_string(refusal.size) + " bytes long, and the launcher reads only the "
         "first " + std::to_string(kConfigReadLimit) + ". Select fewer values or choose a shorter application path.";
}

std::string QuestionText(const SaveQuestion& question, const SettingsDocument& document) {
  switch (question.kind) {
    case SaveQuestion::Kind::None:
      return "";
    case SaveQuestion::Kind::LauncherDoesNothing:
      return "With no width, height, depth or rate selected, the launcher starts nothing and shows nothing. Save " +
             document.fileName + " anyway?";
    case SaveQuestion::Kind::TakesLaunchersOver:
      break;
  }
  std::string text = "Saving creates " + document.fileName + ", which";
  for (size_t i = 0; i < question.takenOver.size(); ++i) {
    text += std::string(i == 0 ? " " : ", and ") + question.takenOver[i].first + " then reads instead of " +
            question.takenOver[i].second;
  }
  return text + ". Create it anyway?";
}

std::string ExplainDocument(const SettingsDocument& document, const ConfigCheck& check) {
  // The verdict first: it is what the user looks for; the result follows when it is not the same.
  std::string text = VerdictLine(check, Rendering::Dialog) + "\n";
  if (Judge(check).status != kRunsAsWritten) text += ResultLine(check, Rendering::Dialog) + "\n";
  std::string refusal = RefusalText(document.Refusal(check), check);
  if (!refusal.empty()) text += "Saving is refused: " + refusal + "\n";
  for (const Finding& limit : document.loadedLimits) {
    text += "In the file as it is: " + LimitWarning(limit, Rendering::Dialog) + ".\n";
  }
  if (!document.unshown.empty()) {
    text += "\nEntries of the file that the lists cannot show:\n";
    for (const UnshownEntry& entry : document.unshown) {
      text += "  line " + std::to_string(entry.line) + " " + Quoted(entry.entry, Rendering::Dialog) + ": " +
              UnshownNote(entry) + "\n";
    }
  }
  text += "\nThe file that saving writes, entry by entry:\n" + RenderReport(check, Rendering::Dialog);
  return WithCrLf(text);
}

std::string FolderToolText(FolderTool tool, const std::string& name) {
  if (tool == FolderTool::Settings) {
    return name + " is Kavelo2 Settings, which sets the folder up: choose the program that the launcher is to start.";
  }
  return name + " is a Kavelo2 launcher: started as the application, it would end at once, as a launcher is "
                "running already. Choose the program that the launcher is to start.";
}
