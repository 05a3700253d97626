// Laying out the checker's report.
#include "tools/model/check_report.h"

#include "tools/model/finding_text.h"
#include "tools/model/layers_text.h"
#include "tools/model/mode_notation.h"

namespace {

std::string DescribeAccepted(const CheckedEntry& entry, Rendering rendering) {
  const ModeCriterion& parsed = entry.parsed;
  if (parsed.kind == EntryKind::Path) return "PATH, application " + Shown(entry.application, rendering);
  std::string keyword = EntryKeyword(parsed.kind);
  if (IsSwitchKind(parsed.kind)) {
    return DescribeCriterion(parsed) +
           (parsed.SwitchesOn() ? ", turns " : ", no effect: only a first value above 0 turns ") + keyword + " on";
  }
  if (!parsed.values.empty()) return DescribeCriterion(parsed);
  if (parsed.kind == EntryKind::Freq) {
    return "FREQ with an empty list: every mode fails it in the strict pass, and the relaxed pass ignores it";
  }
  return DescribeCriterion(parsed) + ": this criterion rejects every mode";
}

std::string FileLine(const CheckedFile& file) {
  std::string name = file.name.empty() ? "the text" : file.name;
  std::string held = std::to_string(kHeldFileBytes);
  std::string line = name + ": " + (file.sizeKnown ? std::to_string(file.size) + " bytes, "
                                                   : "more than " + held + " bytes, of which the first " + held +
                                                         " were read, ");
  if (file.size == 0) return line + "empty\n";
  if (file.form == FileForm::Utf16) return line + "Unicode (UTF-16) text\n";
  if (file.form == FileForm::Plain) {
    return line + (file.givenPlain ? "plain text\n" : "plain text, not the stored form the launcher reads\n");
  }
  return line + (file.givenPlain ? "stored form, not plain text\n" : "stored form, decoded\n");
}

// What a file name means for finding it.
std::string FileNameNote(const CheckedFile& file, Rendering rendering) {
  if (file.nameRule == NameRule::EveryLauncher) return "";
  if (file.nameRule == NameRule::NamedLauncher) {
    return "note: the launcher reads this file only when it is named " + Shown(file.launcherName, rendering) +
           ".exe and no Kavelo2.ini lies beside it\n";
  }
  if (file.nameRule == NameRule::Shadowed) {
    return "note: a launcher named " + Shown(file.launcherName, rendering) +
           ".exe does not read this file: it reads the Kavelo2.ini that lies beside it\n";
  }
  return "note: no launcher reads a file of this name: it reads Kavelo2.ini, or its own name with .ini\n";
}

std::string SettingsText(const ConfigCheck& check, Rendering rendering) {
  std::string text = std::string("criteria, in order:") + (check.criteria.empty() ? " none" : "") + "\n";
  int number = 1;
  for (const ModeCriterion& criterion : check.criteria) {
    text += "  " + std::to_string(number++) + ". " + DescribeCriterion(criterion) + "\n";
  }
  text += std::string("STRICT: ") + (check.strictMode ? "on" : "off") + "\n";
  text += std::string("BACKDROP: ") + (check.backdropEnabled ? "on" : "off") + "\n";
  text += std::string("WAITALL: ") + (check.waitAllEnabled ? "on" : "off") + "\n";
  return text + "application: " + Shown(check.applicationPath, rendering) + "\n";
}

std::string SelectionText(const SelectionFacts& selection) {
  std::string text = "\nmodes: " + std::to_string(selection.modeCount) +
                     (selection.fromDisplay ? ", from the display" : ", as given") + "\n";
  if (selection.index < 0) return text + "selection: no mode fits, in either pass: " + NearestOfferText(selection.offer) + "\n";
  text += "selection: mode " + std::to_string(selection.index + 1) + " of " + std::to_string(selection.modeCount) +
          ": " + FormatMode(selection.chosen) + ", in the " + (selection.strictPass ? "strict pass" : "relaxed pass") +
          ", FieldMask " + FieldMaskNames(selection.fieldMask) + "\n";
  if (!selection.strictPass) {
    text += "  (no mode passes every criterion exactly; the relaxed pass lets 24 and 32 bits stand in for "
            "each other and ignores FREQ)\n";
  }
  bool namesWidth = (selection.fieldMask & DM_PELSWIDTH) != 0;
  bool namesHeight = (selection.fieldMask & DM_PELSHEIGHT) != 0;
  if (!namesWidth || !namesHeight) {
    std::string missing = namesWidth ? "height" : namesHeight ? "width" : "size";
    text += "  note: the switch names no " + missing + ", so the display keeps its current one";
    if (!selection.request.offered) {
      text += "; it does not offer " + SwitchRequestText(selection.request) + " (add " +
              (namesWidth ? "a HEIGHT entry" : namesHeight ? "a WIDTH entry" : "WIDTH and HEIGHT entries") + ")";
    }
    text += "\n";
  }
  return text;
}

}  // namespace

std::string RenderReport(const ConfigCheck& check, Rendering rendering) {
  std::string report = FileLine(check.file);
  if (!check.file.name.empty() && !check.file.givenPlain) report += FileNameNote(check.file, rendering);
  report += "program directory: " + Shown(check.file.programDirectory, rendering) + "\n";
  if (check.windows.major != 0) {
    report += "Windows: " + std::to_string(check.windows.major) + "." + std::to_string(check.windows.minor) + "." +
              std::to_string(check.windows.build) + "\n";
  }
  report += "\n";
  if (!check.settingsRead) return report + ResultLine(check, rendering) + "\n";

  if (check.file.form == FileForm::Plain && !check.file.givenPlain) {
    report += "this file is plain text, not the stored form: the launcher finds no entry in it; as plain text it "
              "reads:\n";
  } else if (check.file.form == FileForm::Stored && check.file.givenPlain) {
    report += "this text is in the stored form, not plain text; decoded, it reads:\n";
  }
  auto told = [&check, rendering](const Finding& finding, const std::string& indent) {
    return indent + RoleLabel(RoleOf(finding)) + FindingBody(finding, check, rendering) + "\n";
  };
  for (size_t index = 0; index < check.entries.size(); ++index) {
    const CheckedEntry& entry = check.entries[index];
    report += LineLabel(entry.line, rendering) + Shown(entry.text, rendering) + "\n";
    if (entry.accepted && entry.applied) report += "  accepted: " + DescribeAccepted(entry, rendering) + "\n";
    for (const Finding& finding : check.findings) {
      if (finding.entry != static_cast<int>(index)) continue;
      // A note tells more about the line above it, and stands further in.
      report += told(finding, RoleOf(finding) == FindingRole::Note ? "    " : "  ");
    }
  }
  for (const Finding& finding : check.findings) {
    if (finding.kind == FindingKind::NulEndsText) report += told(finding, LineLabel(finding.line, rendering));
    if (finding.kind == FindingKind::ReadLimit) report += told(finding, "");
  }
  report += "\n" + SettingsText(check, rendering);
  for (const Finding& finding : check.findings) {
    if (IsApplicationFinding(finding.kind)) report += told(finding, "  ");
  }
  if (check.layersRead) report += "compatibility layers for this user: " + LayersText(check.layers, rendering) + "\n";
  if (check.selection.checked) report += SelectionText(check.selection);
  for (const Finding& finding : check.findings) {
    if (finding.kind == FindingKind::EmulatedDepth) report += told(finding, "depth: ");
    if (finding.kind == FindingKind::RateNotOffered) report += told(finding, "rate: ");
  }
  return report + ResultLine(check, rendering) + "\n";
}
