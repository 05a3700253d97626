// Telling findings: every sentence the checker and the dialog say about a finding.
#include "tools/model/finding_text.h"

#include "launcher/config_file.h"
#include "launcher/launch_context.h"
#include "tools/model/program_start.h"

#include <cstdio>
#include <cstring>

namespace {

std::string SizeText(DWORD width, DWORD height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

// "WIDTH, HEIGHT and DEPTH".
std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  return text;
}

// "32, 16 and 8".
std::string Joined(const std::vector<DWORD>& numbers) {
  std::vector<std::string> items;
  for (DWORD number : numbers) items.push_back(std::to_string(number));
  return Joined(items);
}

// The command that encodes a plain-text file in place.
std::string EncodeCommand(const std::string& inputName) {
  return inputName.empty() ? "kavelo2-config encode PLAIN.txt Kavelo2.ini"
                           : "kavelo2-config encode \"" + inputName + "\" \"" + inputName + "\"";
}

// "the keys are WIDTH, HEIGHT, ... and WAITALL", in the order the launcher compares them.
std::string KeyList() {
  std::vector<std::string> keywords;
  for (EntryKind kind : kEntryKinds) keywords.emplace_back(EntryKeyword(kind));
  return "the keys are " + Joined(keywords);
}

// For STRICT, BACKDROP and WAITALL entries without a number: how to switch them on.
std::string SwitchHint(EntryKind kind) {
  if (!IsSwitchKind(kind)) return "";
  std::string keyword = EntryKeyword(kind);
  return " (write \"" + keyword + ":1\" to turn " + keyword + " on; without it, it stays off)";
}

// Where a path for the application is written: after "PATH:" of the entry that names it now (a
// finding's count of 1), in a PATH entry where the file has none, or in the dialog's Application field.
std::string WherePathGoes(const Finding& finding, Rendering rendering) {
  if (rendering == Rendering::Dialog) return "in the Application field";
  return finding.count != 0 ? "after \"PATH:\"" : "in a PATH entry";
}

// A PATH value to write instead: as the file's entry, or as the Application field holds it.
std::string PathToWrite(const std::string& value, Rendering rendering) {
  if (rendering == Rendering::Dialog) return Quoted(value, rendering) + " in the Application field";
  return Quoted("PATH:" + value, rendering);
}

// `namesLine`: the line is one the reader sees (the checker's file, the file the dialog opened).
std::string ReadLimitText(const Finding& finding, Rendering rendering, bool namesLine) {
  std::string line = "line " + std::to_string(finding.line);
  std::string entry = Quoted(finding.subject, rendering);
  // A length of 0: more than the held bytes, of an input whose length cannot be asked.
  std::string length = finding.number > 0 ? std::to_string(finding.number)
                                           : "more than " + std::to_string(kHeldFileBytes);
  std::string text = "the launcher reads only the first " + std::to_string(kConfigReadLimit) + " of " + length +
                     " bytes";
  bool cut = finding.length > 0;
  if (cut && !finding.detail.empty()) {
    text += ": " + (namesLine ? line + " " : "") + entry + " is cut to " + Quoted(finding.detail, rendering);
  } else if (cut) {
    text += ": " + (namesLine ? line + ", which begins " + entry + "," : "the entry beginning " + entry) +
            " is cut after its first " + std::to_string(finding.length) + " bytes";
  }
  int64_t unread = finding.count < 0 ? -finding.count : finding.count;
  if (unread > 0) {
    text += std::string(cut ? ", and " : ": ") + (finding.count < 0 ? "at least " : "") + std::to_string(unread) +
            (unread == 1 ? " entry" : " entries") + (cut ? " after it" : " after that") +
            (unread == 1 ? " is" : " are") + " never read";
  }
  return text;
}

std::string EmulatedDepthText(const Finding& finding, Rendering rendering) {
  // The depths, and the tab's choices that give them, each once.
  std::string depths, choice;
  for (int64_t bits : finding.numbers) {
    depths += (depths.empty() ? "" : " or ") + std::to_string(bits);
    ReducedColour colour = ReducedColourFor(static_cast<DWORD>(bits));
    // The choice under "Reduced color mode" on the Compatibility tab, as the tab words it.
    std::string option = colour == ReducedColour::EightBit ? "\"8-bit (256) color\"" : "\"16-bit (65536) color\"";
    if (colour != ReducedColour::Off && choice.find(option) == std::string::npos) {
      choice += (choice.empty() ? "" : " or ") + option;
    }
  }
  std::string text = "on Windows 8 and later a switch to " + depths + " bits per pixel is only emulated: the " +
                     "desktop keeps 32 bits, and " + Shown(finding.subject, rendering) + " sees " +
                     (finding.numbers.size() > 1 ? std::string("fewer") : depths) +
                     " bits only through its own reduced colour setting";
  if (finding.status == kRunsAsWritten) return text + ", which gives it " + std::to_string(finding.number) + " bits";
  if (finding.count == kLayersOnNetwork) {
    return text + ", which Windows applies only to programs on local drives: copy the application to a local "
                  "drive and set it there";
  }
  if (choice.empty()) return text + ", which offers no " + depths + " bits: it runs at 32 bits";
  std::string tick =
      "tick \"Reduced color mode\" with " + choice + " on the Compatibility tab of the application's Properties";
  // On removable media Windows keeps the setting for the medium, which only that tab can name.
  if (finding.count == kLayersOfUnknownMedium) {
    return text + ", and which of the settings Windows keeps for its path on several media applies to the medium in "
                  "the drive is not known: " + tick + " with the medium in the drive";
  }
  std::string now = finding.number != 0 ? ", which gives it " + std::to_string(finding.number) + " bits now" : "";
  if (finding.count == kLayersOnMedium) return text + now + ": " + tick + " with the medium in the drive";
  std::string here = rendering == Rendering::Dialog ? "here" : "in Kavelo2 Settings";
  return text + now + ": " + tick + ", or set it " + here + " under \"The application on this computer\"";
}

// Why Windows will not start the application from the launcher, and what the user can do: the
// launcher starts it without a request for elevation, and Windows answers such a start of a
// program that needs administrator rights with error 740, which the launcher's box tells as a
// program in the wrong place.
std::string ElevationText(const Finding& finding, Rendering rendering) {
  const ElevationNeed& need = finding.elevation;
  std::string application = Shown(finding.subject, rendering);
  bool installerName = need.reason == ElevationReason::InstallerName;
  std::string asks;
  if (need.reason == ElevationReason::RequiresAdministrator) {
    asks = application + " asks in its manifest for administrator rights (requireAdministrator), which Windows "
                         "gives only to a program started with a request for them";
  } else if (need.reason == ElevationReason::HighestAvailable) {
    asks = application + " asks in its manifest for its user's highest rights (highestAvailable), which for a "
                         "user who is an administrator Windows gives only to a program started with a request "
                         "for them";
  } else if (installerName || need.reason == ElevationReason::InstallerVersionString) {
    std::string found = "its name";
    if (!installerName) found = "its version information's " + need.key + ", " + Quoted(need.text, rendering) + ",";
    asks = "Windows takes " + application + " for an installer, since " + found + " holds \"" + need.word +
           "\" and it is a 32-bit program whose manifest asks for no level of rights, and starts an installer only "
           "with a request for administrator rights";
  }
  std::string forWhom = need.reason == ElevationReason::HighestAvailable ? " for such a user" : "";
  std::string text = asks + "; the launcher makes no such request, so" + forWhom +
                     " Windows refuses to start it (error 740) and the launcher says that the application is in the "
                     "wrong place or its name is wrong: ";
  std::string runAsAdministrator = "start the launcher itself with \"Run as administrator\"";
  if (!installerName) return text + runAsAdministrator;
  return text + "rename the program to a name without \"setup\", \"install\", \"update\" or \"patch\" and " +
         (finding.count != 0 ? "write that name " : "name it ") + WherePathGoes(finding, rendering) + ", or " +
         runAsAdministrator;
}

// Where the user names the program to start instead: after "PATH:" of the entry that names the
// application now, or in a PATH entry; in the dialog, its Application field.
std::string NameAnotherProgram(const Finding& finding, Rendering rendering) {
  return (finding.count != 0 ? "write the application's own program " : "name the application's own program ") +
         WherePathGoes(finding, rendering);
}

// A program header's machine, as processors are known.
std::string MachineName(int64_t machine) {
  static const std::pair<int64_t, const char*> kNames[] = {
      {kMachineI386, "x86"}, {kMachineX64, "x64"}, {kMachineArm64, "ARM64"}, {0x01C4, "ARM"}, {0x0200, "Itanium"}};
  for (const auto& [known, name] : kNames) {
    if (known == machine) return name;
  }
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%04X", static_cast<unsigned>(machine & 0xFFFF));
  return std::string("machine ") + hex;
}

// The launcher's start of the application, as the run goes: when the application finding says it
// fails, the launcher shows its box instead.
std::string StartText(const ConfigCheck& check, const std::string& application) {
  return (check.applicationFails ? "fails to start " : "starts ") + application +
         (check.applicationFails ? " (it says so in a box)" : "");
}

}  // namespace

std::string DescribeCriterion(const ModeCriterion& criterion) {
  std::string keyword = EntryKeyword(criterion.kind);
  if (criterion.values.empty()) return keyword + " with an empty list";
  std::string values;
  for (int32_t value : criterion.values) values += (values.empty() ? " " : ", ") + std::to_string(value);
  return keyword + values;
}

std::string FieldMaskNames(DWORD fieldMask) {
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(fieldMask));
  std::string names;
  for (auto [bit, name] : {std::pair<DWORD, const char*>{DM_PELSWIDTH, "DM_PELSWIDTH"},
                           {DM_PELSHEIGHT, "DM_PELSHEIGHT"},
                           {DM_BITSPERPEL, "DM_BITSPERPEL"},
                           {DM_DISPLAYFREQUENCY, "DM_DISPLAYFREQUENCY"}}) {
    if (fieldMask & bit) names += (names.empty() ? "" : " | ") + std::string(name);
  }
  return std::string(hex) + (names.empty() ? "" : " (" + names + ")");
}

// What the switch asks for: with the mode in force known, the whole size and depth; otherwise
// only the fields named.
std::string SwitchRequestText(const SwitchRequest& request) {
  bool namesWidth = request.knowsCurrent || (request.fieldMask & DM_PELSWIDTH) != 0;
  bool namesHeight = request.knowsCurrent || (request.fieldMask & DM_PELSHEIGHT) != 0;
  std::string text = namesWidth && namesHeight ? SizeText(request.width, request.height)
                     : namesWidth              ? "width " + std::to_string(request.width)
                     : namesHeight             ? "height " + std::to_string(request.height)
                                               : "";
  auto add = [&text](const std::string& part) { text += (text.empty() ? "" : " at ") + part; };
  if (request.knowsCurrent || (request.fieldMask & DM_BITSPERPEL)) add(std::to_string(request.bits) + " bits");
  if (request.fieldMask & DM_DISPLAYFREQUENCY) add(std::to_string(request.frequency) + " Hz");
  return text.empty() ? "the mode in force" : text;
}

std::string NearestOfferText(const NearestOffer& offer) {
  switch (offer.kind) {
    case NearestOffer::Kind::NoModeAtAll:
      return "the display offers no mode at all";
    case NearestOffer::Kind::EmptyList:
      return DescribeCriterion(offer.emptyList) + " fits no mode";
    case NearestOffer::Kind::OnlyDepths:
      return "the display offers only " + Joined(offer.depths) + " bits";
    case NearestOffer::Kind::SizesAtDepths: {
      std::string sizes;
      for (const auto& [size, depths] : offer.sizes) {
        sizes += (sizes.empty() ? "" : ", ") + SizeText(size.first, size.second) + " only at " + Joined(depths) +
                 " bits";
      }
      return "the display offers " + sizes;
    }
    case NearestOffer::Kind::NearestSize:
      break;
  }
  // As the entries write them: a negative width is told as such, not as the unsigned field it is
  // compared with.
  std::string width = std::to_string(static_cast<int32_t>(offer.askedWidth));
  std::string height = std::to_string(static_cast<int32_t>(offer.askedHeight));
  std::string asked = offer.askedWidth != 0 && offer.askedHeight != 0 ? width + "x" + height
                      : offer.askedWidth != 0 ? "width " + width
                                              : "height " + height;
  return "the display offers no " + asked + "; the nearest size it offers is " +
         SizeText(offer.nearestWidth, offer.nearestHeight);
}

FindingRole RoleOf(const Finding& finding) {
  // By the groups of FindingKind: the entries the launcher ignores, then the accepted ones, of
  // which every kind after PathTooLong is a note.
  FindingKind kind = finding.kind;
  if (kind >= FindingKind::NoColon && kind <= FindingKind::ListWithoutNumber) return FindingRole::Ignored;
  if (kind == FindingKind::PathTooLong) return FindingRole::Accepted;
  if (kind > FindingKind::PathTooLong && kind <= FindingKind::WaitsForAll) return FindingRole::Note;
  if (IsApplicationFinding(kind)) return finding.status == kFails ? FindingRole::Problem : FindingRole::Note;
  return FindingRole::Told;
}

const char* RoleLabel(FindingRole role) {
  static const char* const kLabels[] = {"", "ignored: ", "accepted: ", "note: ", "problem: "};  // FindingRole's order
  return kLabels[static_cast<int>(role)];
}

std::string FindingBody(const Finding& finding, const ConfigCheck& check, Rendering rendering) {
  std::string application = Shown(finding.subject, rendering);
  std::string backdrop = check.backdropEnabled ? "covers the screen with its black backdrop, " : "";
  // Only a switch is waited for: the display goes back once the application has ended.
  std::string waitsForAll = check.waitAllEnabled ? ", and switches back once it and every program it starts have ended" : "";
  auto relative = [&finding, &application, rendering] {
    return "only a drive letter and a colon make a PATH value a full path, so " + application +
           " is taken as a file in the launcher's folder, " + Shown(finding.detail, rendering);
  };
  switch (finding.kind) {
    case FindingKind::FolderTooLong:
      return "the launcher's folder is too long for the files beside it to fit its 1023-character paths, so the "
             "launcher ends at once (no message)";
    case FindingKind::EmptyFile:
      // The dialog checks the text that saving writes, which is empty when nothing is set.
      return std::string(rendering == Rendering::Dialog ? "nothing is set, so saving writes an empty file, of which"
                                                        : "the file is empty, so") +
             " it reads no byte (no message)";
    case FindingKind::Utf16Text:
      return "the file was saved as Unicode (UTF-16): save it as ANSI";
    case FindingKind::PlainTextFile:
      return std::string("this file is plain text") +
             (finding.count != 0 ? ", and none of its lines is an entry the launcher reads: write each as its line "
                                   "says, then encode the file"
                                 : ": encode it first") +
             ", with " + EncodeCommand(finding.subject);
    case FindingKind::StoredFormGivenAsPlain:
      return "this text is in the stored form: check it without --plain";
    case FindingKind::NulEndsText:
      return "the text ends at a NUL byte at offset " + std::to_string(finding.number) + "; nothing after it is read" +
             (finding.detail.empty()
                  ? ""
                  : ", and " + Quoted(finding.detail, rendering) + ", which runs into it, is dropped");
    case FindingKind::ReadLimit:
      return ReadLimitText(finding, rendering, rendering != Rendering::Dialog);
    case FindingKind::NoColon:
      return "no colon" + (finding.fix.empty() ? "" : " (write " + Quoted(finding.fix, rendering) + ")");
    case FindingKind::SectionLine:
      return "a section line: the launcher knows no sections, so leave this line out";
    case FindingKind::EmptyKey:
      return std::string("unknown key \"\" (the key is empty; ") + KeyList() + ")";
    case FindingKind::BlankInKey:
      return "unknown key " + Quoted(finding.subject, rendering) + " (a blank belongs to the key; write \"" +
             finding.fix + ":\")";
    case FindingKind::KeyAfterMark:
      // Plain text is encoded without its mark; a stored file keeps the one it was encoded with.
      return "unknown key " + Quoted(finding.subject, rendering) + " (the text starts with a UTF-8 byte order mark" +
             (check.file.form == FileForm::Plain ? ", which kavelo2-config encode drops)" : "; save it as ANSI)");
    case FindingKind::MisspeltKey:
      return "unknown key " + Quoted(finding.subject, rendering) + " (did you mean " + finding.fix + "? " + KeyList() +
             ")";
    case FindingKind::UnknownKey:
      return "unknown key " + Quoted(finding.subject, rendering) + " (" + KeyList() + ")";
    case FindingKind::EmptyValue:
      return "the value is empty" + SwitchHint(finding.entryKind);
    case FindingKind::ListWithoutNumber:
      return "the list reads no number" + SwitchHint(finding.entryKind);
    case FindingKind::PathTooLong:
      return "PATH, but the path does not fit in 1023 characters: the application stays " + application;
    case FindingKind::OctalNumber:
      return "read as octal: " + finding.subject + " is " + std::to_string(finding.number) + "; write " + finding.fix +
             " without the leading zero";
    case FindingKind::TextAfterNumber:
      return Quoted(finding.subject, rendering) + " after " + std::to_string(finding.number) + " is ignored" +
             (finding.fixes.empty() ? ""
              : ": write " + Joined(finding.fixes) +
                    (finding.fixes.size() == 1 ? " as an entry of its own" : " as entries of their own"));
    case FindingKind::ElementWithoutNumber:
      return Quoted(finding.subject, rendering) + " reads no number and is ignored";
    case FindingKind::ListStops:
      return "the list stops at " +
             (finding.subject.empty() ? std::string("an empty element") : Quoted(finding.subject, rendering)) +
             ", which reads no number; " + Quoted(finding.detail, rendering) + " is not read";
    case FindingKind::WaitsForAll:
      return "the launcher then waits until the application and every program it starts have ended, so a "
             "program that leaves a helper running (an updater, a tray icon) keeps the display switched until "
             "that helper ends; on Windows 7 and earlier a launcher that was itself started in a job waits for "
             "the application alone";
    case FindingKind::PathEmpty:
      return "the PATH value is empty, so the launcher would start its own folder: write \"PATH:\" and the "
             "application's file, e.g. \"PATH:PROJECTOR.EXE\"";
    case FindingKind::PathBlankAtStart:
    case FindingKind::PathBlankAtEnd:
      return std::string(finding.kind == FindingKind::PathBlankAtStart ? "a blank at the start" : "a blank at the end") +
             " of the PATH value belongs to the path: write " + PathToWrite(finding.fix, rendering);
    case FindingKind::PathQuoted:
      return "the quotes belong to the PATH value, so the launcher looks for a file named with them, " +
             application + ": write the path without them, " + PathToWrite(finding.fix, rendering);
    case FindingKind::PathFromShareRoot:
      return relative() + ": map the share to a drive letter and write the path on that drive, e.g. " +
             PathToWrite(finding.fix, rendering);
    case FindingKind::PathFromDriveRoot:
      return relative() + ": write the path with its drive, e.g. " + PathToWrite(finding.fix, rendering);
    case FindingKind::PathTooLongToStart:
      return "the application's full path, " + application + ", is " + std::to_string(finding.number) +
             " characters long, and Windows starts a program only from a path of at most " +
             std::to_string(kLongestStartablePath) + ": " +
             (finding.count != 0 ? "move the application to a folder with a shorter path and write that "
                                 : "move the launcher's folder to a shorter path, or name an application with a "
                                   "shorter full path ") +
             WherePathGoes(finding, rendering);
    case FindingKind::PathNamesFolder:
      return "PATH names a folder, " + application + ": name the application's file in it, e.g. " +
             PathToWrite(finding.fix, rendering);
    case FindingKind::ApplicationIsFolder:
      return application + " is a folder: name the application's file " + WherePathGoes(finding, rendering);
    case FindingKind::ApplicationMissing:
      return "there is no file " + application + " on this machine: " +
             (finding.count != 0 ? "write where the application lies " : "put the application there, or name it ") +
             WherePathGoes(finding, rendering);
    case FindingKind::ApplicationIsLauncher:
      return application + " is a launcher: the copy it starts ends at once, since one launcher "
             "runs at a time, and no application runs: " + NameAnotherProgram(finding, rendering);
    case FindingKind::ApplicationNotAProgram:
      return application + " has no program header, so Windows does not start it and the "
             "launcher says that the application is in the wrong place or its name is wrong: " +
             NameAnotherProgram(finding, rendering);
    case FindingKind::ApplicationIs16Bit:
      return application + " is a DOS or 16-bit Windows program, which 64-bit Windows does not "
             "start: run it in an emulator of its own, or on a 32-bit Windows";
    case FindingKind::ApplicationForOtherProcessor:
      return application + " is a program for " + MachineName(finding.number) + " processors, which this Windows (" +
             MachineName(finding.length) + ") does not start: " + NameAnotherProgram(finding, rendering);
    case FindingKind::ApplicationNeedsElevation:
      return ElevationText(finding, rendering);
    case FindingKind::NoModeEntry:
      return "no WIDTH, HEIGHT, DEPTH or FREQ entry (no message)";
    case FindingKind::NoModeFits:
      return "the launcher " + StartText(check, application) +
             " in the current display mode, without a backdrop: no mode fits; " + NearestOfferText(check.selection.offer);
    case FindingKind::NoModeFitsStrict:
      // The box's text without the carriage return that ends it.
      return "STRICT is on, so it shows \"" + std::string(kNoSuitableModeText, std::strlen(kNoSuitableModeText) - 1) +
             "\" and starts nothing";
    case FindingKind::SwitchLikelyRefused:
      return "the launcher " + backdrop + "asks for " + SwitchRequestText(check.selection.request) +
             ", which the display will most likely refuse, and " + StartText(check, application) +
             " in the current display mode";
    case FindingKind::SwitchLikelyRefusedStrict:
      return "the display will most likely refuse " + SwitchRequestText(check.selection.request) +
             ", and with STRICT on the launcher then shows the platform's error and starts nothing";
    case FindingKind::EmulatedDepth:
      return EmulatedDepthText(finding, rendering);
    case FindingKind::Switches:
      return "the launcher " + backdrop + "switches to " + SwitchRequestText(check.selection.request) + " and " +
             StartText(check, application) + (check.applicationFails ? ", then switches back" : waitsForAll);
    case FindingKind::PicksFirstFit:
      return "the launcher picks the first mode of the display's catalogue that fits (check one with --modes) "
             "and " + StartText(check, application) + (check.applicationFails ? "" : waitsForAll);
    case FindingKind::RateNotOffered: {
      const DEVMODEA& chosen = check.selection.chosen;
      std::string rates;
      for (int64_t rate : finding.numbers) rates += (rates.empty() ? "" : " or ") + std::to_string(rate);
      return "no mode of " + SizeText(chosen.dmPelsWidth, chosen.dmPelsHeight) + " at " +
             std::to_string(chosen.dmBitsPerPel) + " bits runs at " + rates + " Hz: the launcher leaves the rate to "
             "the display, which offers " + finding.subject + " Hz there";
    }
    case FindingKind::NumberWraps:
      return finding.subject + " does not fit in 32 bits: the launcher reads it as " + std::to_string(finding.number);
    case FindingKind::NegativeNumber:
      return finding.subject + " is negative, and a mode's values are not: the launcher compares it as " +
             std::to_string(finding.number) + ", which no mode has";
  }
  return "";
}

std::string LineLabel(int line, Rendering rendering) {
  return rendering == Rendering::Dialog ? std::string() : "line " + std::to_string(line) + ": ";
}

std::string ResultLine(const ConfigCheck& check, Rendering rendering) {
  const Finding& result = check.findings.back();
  return "result: " + std::string(StopsTheRun(result.kind) ? "the launcher stops: " : "") +
         FindingBody(result, check, rendering);
}

std::string VerdictLine(const ConfigCheck& check, Rendering rendering) {
  Verdict verdict = Judge(check);
  if (verdict.cause == nullptr) return ResultLine(check, rendering);
  const Finding& cause = *verdict.cause;
  if (StopsTheRun(cause.kind)) return "the launcher would stop: " + FindingBody(cause, check, rendering);
  // The read limit names its line itself; a problem needs no label after the verdict's words.
  std::string where = cause.line > 0 && cause.kind != FindingKind::ReadLimit ? LineLabel(cause.line, rendering) : "";
  std::string label = RoleOf(cause) == FindingRole::Problem ? "" : RoleLabel(RoleOf(cause));
  return (verdict.status == kFails ? "the launcher will fail to start the application: "
                                   : "the launcher starts the application, but not as the file says: ") +
         where + label + FindingBody(cause, check, rendering);
}

std::string LimitWarning(const Finding& finding, Rendering rendering) {
  if (finding.kind == FindingKind::NulEndsText) {
    return "the text holds a NUL byte at offset " + std::to_string(finding.number) + ": the launcher reads nothing after it";
  }
  return ReadLimitText(finding, rendering, true);
}
