// `check`: the launcher's own reading, walk, parsing and selection, with a report of each step.
// The decisions are all the launcher's (WalkConfigEntries, ParseEntry, ApplyEntry, SelectMode);
// this file explains them and weighs what they mean for the run.
#include "tools/kavelo2-config/config_check.h"

#include "launcher/launch_context.h"
#include "tools/kavelo2-config/entry_notes.h"
#include "tools/kavelo2-config/machine_paths.h"
#include "tools/kavelo2-config/mode_notation.h"
#include "tools/kavelo2-config/selection_report.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kNoSuitableModeText =
    "This application failed to find a suitable screen resolution and/or color depth.";

// The stored form of plain text, or the plain text of the stored form: the one transform.
std::string Transformed(std::string bytes) {
  DecodeConfigBuffer(bytes.data(), bytes.size());
  return bytes;
}

// Lines are counted as an editor counts them: CR LF, LF and CR each end one.
int LineOf(const std::string& text, size_t offset) {
  int line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  }
  return line;
}

// Entries the launcher's walk finds in a piece of text, which is closed as the launcher closes
// the bytes it reads.
int CountEntries(std::string text) {
  text += "\r";
  int count = 0;
  WalkConfigEntries(text.data(), [&count](char*) { ++count; });
  return count;
}

bool IsPathBlank(char c) { return c == ' ' || c == '\t'; }

// A problem: one report line, and the finding that the verdict and a dialog read.
void Flag(CheckOutcome& outcome, int status, int line, const char* indent, const std::string& text) {
  outcome.report += indent + text + "\n";
  outcome.findings.push_back({status, line, text});
}

// The run ends without starting the application.
CheckOutcome Stop(CheckOutcome outcome, const std::string& reason) {
  Flag(outcome, kFails, 0, "result: ", "the launcher stops: " + reason);
  return outcome;
}

// The run goes on as the file says (unless a finding above says otherwise).
CheckOutcome Go(CheckOutcome outcome, const std::string& what) {
  outcome.report += "result: the launcher " + what + "\n";
  return outcome;
}

// The run starts the application, but not as the file says.
CheckOutcome GoOtherwise(CheckOutcome outcome, const std::string& what) {
  Flag(outcome, kRunsOtherwise, 0, "result: ", "the launcher " + what);
  return outcome;
}

// The exit status and the one error line follow from the findings: a run that stops or fails
// outweighs one that goes otherwise, and the stop itself is the line to tell.
CheckOutcome Verdict(CheckOutcome outcome) {
  const std::string stops = "the launcher stops: ";
  auto stop = std::find_if(outcome.findings.begin(), outcome.findings.end(),
                           [&stops](const CheckFinding& finding) { return finding.text.rfind(stops, 0) == 0; });
  if (stop != outcome.findings.end()) {
    outcome.status = kFails;
    outcome.error = "the launcher would stop: " + stop->text.substr(stops.size());
    return outcome;
  }
  for (int status : {kFails, kRunsOtherwise}) {
    auto first = std::find_if(outcome.findings.begin(), outcome.findings.end(),
                              [status](const CheckFinding& finding) { return finding.status == status; });
    if (first == outcome.findings.end()) continue;
    outcome.status = status;
    std::string where = first->line > 0 ? "line " + std::to_string(first->line) + ": " : "";
    std::string text = first->text.rfind("problem: ", 0) == 0 ? first->text.substr(9) : first->text;
    outcome.error = (status == kFails ? "the launcher will fail to start the application: "
                                      : "the launcher starts the application, but not as the file says: ") +
                    where + text;
    return outcome;
  }
  outcome.status = kRunsAsWritten;
  return outcome;
}

// What a file name means for finding it: the launcher reads "Kavelo2.ini" beside it, or its
// own name up to the first dot with ".ini".
std::string FileNameNote(const std::string& inputName) {
  size_t slash = inputName.find_last_of("/\\");
  std::string name = slash == std::string::npos ? inputName : inputName.substr(slash + 1);
  std::string upper = UpperAscii(name);
  if (upper == "KAVELO2.INI") return "";
  size_t dot = upper.find('.');
  if (dot != std::string::npos && upper.substr(dot) == ".INI") {
    return "note: the launcher reads this file only when it is named " + Shown(name.substr(0, dot)) +
           ".exe and no Kavelo2.ini lies beside it\n";
  }
  return "note: no launcher reads a file of this name: it reads Kavelo2.ini, or its own name with "
         ".ini\n";
}

// The command that encodes a plain-text file in place.
std::string EncodeCommand(const std::string& inputName) {
  if (inputName.empty()) return "kavelo2-config encode PLAIN.txt Kavelo2.ini";
  return "kavelo2-config encode \"" + inputName + "\" \"" + inputName + "\"";
}

// The accepted effect of an entry on the settings, as one line.
std::string DescribeAccepted(const ModeCriterion& entry, bool applied, const LaunchContext& context) {
  std::string keyword = EntryKeyword(entry.kind);
  switch (entry.kind) {
    case EntryKind::Path:
      if (!applied) {
        return "PATH, but the path does not fit in 1023 characters: the application stays " +
               Shown(context.applicationPath);
      }
      return "PATH, application " + Shown(context.applicationPath);
    case EntryKind::Strict:
    case EntryKind::Backdrop:
      if (!entry.values.empty() && entry.values[0] > 0) {
        return DescribeCriterion(entry) + ", turns " + keyword + " on";
      }
      return DescribeCriterion(entry) + ", no effect: only a first value above 0 turns " + keyword + " on";
    case EntryKind::Freq:
      if (entry.values.empty()) {
        return "FREQ with an empty list: every mode fails it in the strict pass, and the relaxed pass "
               "ignores it";
      }
      return DescribeCriterion(entry);
    default:
      if (entry.values.empty()) {
        return DescribeCriterion(entry) + ": this criterion rejects every mode";
      }
      return DescribeCriterion(entry);
  }
}

// The PATH entry that counts: the last accepted one.
struct PathEntry {
  bool present = false;
  int line = 0;
  std::string value;  // with the launcher's slashes turned into backslashes
};

// The launcher's walk, parse and apply (LaunchContext::ApplyConfigurationText), entry by entry,
// with a report of each. `text` is the plain text as a whole, for line numbers.
int ReportEntries(const std::string& read, const std::string& text, LaunchContext& context,
                  PathEntry& path, CheckOutcome& outcome) {
  std::vector<char> buffer(read.begin(), read.end());
  buffer.push_back('\r');
  buffer.push_back('\0');
  int accepted = 0;
  WalkConfigEntries(buffer.data(), [&](char* entry) {
    std::string original = entry;
    int line = LineOf(text, static_cast<size_t>(entry - buffer.data()));
    outcome.report += "line " + std::to_string(line) + ": " + Shown(original) + "\n";
    ModeCriterion criterion;
    if (!criterion.ParseEntry(entry)) {
      Flag(outcome, kRunsOtherwise, line, "  ", "ignored: " + DescribeIgnored(original, criterion.kind));
      return;
    }
    ++accepted;
    bool applied = context.ApplyEntry(criterion);
    std::string accepting = "accepted: " + DescribeAccepted(criterion, applied, context);
    if (applied) {
      outcome.report += "  " + accepting + "\n";
    } else {
      Flag(outcome, kRunsOtherwise, line, "  ", accepting);
    }
    if (criterion.kind == EntryKind::Path) {
      if (applied) path = {true, line, criterion.text};
      return;
    }
    for (const std::string& note : ListNotes(original.substr(original.find(':') + 1), criterion.kind)) {
      Flag(outcome, kRunsOtherwise, line, "    ", "note: " + note);
    }
  });
  return accepted;
}

// Where the text the launcher reads ends early: at a NUL byte in the bytes read, or at the
// 998-byte limit of a longer text. Each loses entries only when text that counts lies beyond.
void ReportEndOfText(const std::string& read, const std::string& text, CheckOutcome& outcome) {
  size_t nul = read.find('\0');
  if (nul != std::string::npos) {
    size_t runStart = nul;
    while (runStart > 0 && !IsEntrySeparator(read[runStart - 1])) --runStart;
    std::string sentence = "the text ends at a NUL byte at offset " + std::to_string(nul) +
                           "; nothing after it is read";
    if (runStart < nul) {
      sentence += ", and " + Quoted(read.substr(runStart, nul - runStart)) + ", which runs into it, is dropped";
    }
    std::string after = read.substr(nul + 1);
    after.erase(std::remove(after.begin(), after.end(), '\0'), after.end());
    bool loses = runStart < nul || CountEntries(after) > 0;
    int line = LineOf(read, nul);
    if (loses) {
      Flag(outcome, kRunsOtherwise, line, ("line " + std::to_string(line) + ": ").c_str(), sentence);
    } else {
      outcome.report += "line " + std::to_string(line) + ": " + sentence + "\n";
    }
  }
  bool loses = false;
  std::string limit = DescribeReadLimit(text, &loses);
  if (limit.empty()) return;
  if (loses) {
    Flag(outcome, kRunsOtherwise, 0, "", limit);
  } else {
    outcome.report += limit + "\n";
  }
}

// The criteria, flags and application that the entries left in the context.
std::string DescribeSettings(const LaunchContext& context) {
  std::string text = "criteria, in order:";
  if (context.criteria.empty()) text += " none";
  text += "\n";
  int number = 1;
  for (const ModeCriterion& criterion : context.criteria) {
    text += "  " + std::to_string(number++) + ". " + DescribeCriterion(criterion) + "\n";
  }
  text += std::string("STRICT: ") + (context.strictMode ? "on" : "off") + "\n";
  text += std::string("BACKDROP: ") + (context.backdropEnabled ? "on" : "off") + "\n";
  text += "application: " + Shown(context.applicationPath) + "\n";
  return text;
}

// The application the launcher will start: a PATH value with blanks around it, an empty one or
// one naming a folder never starts, nor does a file this machine does not hold (checked where
// the launcher's folder lies on this machine).
void CheckApplication(const LaunchContext& context, const PathEntry& path, CheckOutcome& outcome) {
  auto problem = [&](const std::string& text) { Flag(outcome, kFails, path.line, "  ", "problem: " + text); };
  std::string application = Shown(context.applicationPath);
  if (path.present) {
    size_t first = path.value.find_first_not_of(" \t");
    if (first == std::string::npos) {
      problem("the PATH value is empty, so the launcher would start its own folder: write \"PATH:\" "
              "and the application's file, e.g. \"PATH:PROJECTOR.EXE\"");
      return;
    }
    std::string trimmed = path.value.substr(first, path.value.find_last_not_of(" \t") + 1 - first);
    if (trimmed != path.value) {
      problem(std::string(IsPathBlank(path.value[0]) ? "a blank at the start" : "a blank at the end") +
              " of the PATH value belongs to the path: write " + Quoted("PATH:" + trimmed));
      return;
    }
    if (trimmed.back() == '\\') {
      problem("PATH names a folder, " + application + ": name the application's file in it, e.g. " +
              Quoted("PATH:" + trimmed + "GAME.EXE"));
      return;
    }
  }
  switch (ProbePath(context.applicationPath)) {
    case PathKind::Folder:
      problem(application + " is a folder: name the application's file" +
              (path.present ? " after \"PATH:\"" : " in a PATH entry"));
      break;
    case PathKind::Missing:
      problem("there is no file " + application + " on this machine: " +
              (path.present ? "write where the application lies after \"PATH:\""
                            : "put the application there, or name it in a PATH entry"));
      break;
    case PathKind::File:
    case PathKind::Unknown:
      break;
  }
}

// Which mode SelectMode picks from the context's catalogue, in which pass, and what the launcher
// does then. `knowsCurrentMode`: the catalogue is the display's, whose mode in force the context
// holds.
CheckOutcome ReportSelection(const LaunchContext& context, bool knowsCurrentMode, CheckOutcome outcome) {
  std::string application = Shown(context.applicationPath);
  DWORD fieldMask = 0;
  int index = context.SelectMode(fieldMask);
  if (index < 0) {
    std::string offer = NearestOffer(context.criteria, context.modeCatalogue);
    outcome.report += "selection: no mode fits, in either pass: " + offer + "\n";
    if (context.strictMode) {
      return Stop(outcome, "STRICT is on, so it shows \"" + std::string(kNoSuitableModeText) +
                               "\" and starts nothing");
    }
    return GoOtherwise(outcome, "starts " + application +
                                    " in the current display mode, without a backdrop: no mode fits; " + offer);
  }
  DWORD strictMask = 0;
  bool strictPass = StrictPass(context.modeCatalogue, context.criteria, strictMask) >= 0;
  const DEVMODEA& chosen = context.modeCatalogue[static_cast<size_t>(index)];
  outcome.report += "selection: " + DescribeCatalogueEntry(context.modeCatalogue, static_cast<size_t>(index)) +
                    ", in the " + (strictPass ? "strict pass" : "relaxed pass") + ", FieldMask " +
                    FieldMaskNames(fieldMask) + "\n";
  if (!strictPass) {
    outcome.report += "  (no mode passes every criterion exactly; the relaxed pass lets 24 and 32 "
                      "bits stand in for each other and ignores FREQ)\n";
  }

  bool namesWidth = (fieldMask & DM_PELSWIDTH) != 0;
  bool namesHeight = (fieldMask & DM_PELSHEIGHT) != 0;
  bool knowsCurrent = knowsCurrentMode && context.currentMode.dmPelsWidth != 0;
  SwitchRequest request = DescribeSwitch(fieldMask, chosen, knowsCurrent ? &context.currentMode : nullptr,
                                         context.modeCatalogue);
  if (!namesWidth || !namesHeight) {
    std::string missing = namesWidth ? "height" : namesHeight ? "width" : "size";
    outcome.report += "  note: the switch names no " + missing + ", so the display keeps its current one";
    if (!request.offered) {
      outcome.report += "; it does not offer " + request.text + " (add " +
                        (namesWidth ? "a HEIGHT entry" : namesHeight ? "a WIDTH entry" : "WIDTH and HEIGHT entries") +
                        ")";
    }
    outcome.report += "\n";
  }
  std::string backdrop = context.backdropEnabled ? "covers the screen with its black backdrop, " : "";
  if (request.offered) {
    return Go(outcome, backdrop + "switches to " + request.text + " and starts " + application);
  }
  if (context.strictMode) {
    return Stop(outcome, "the display will most likely refuse " + request.text +
                             ", and with STRICT on the launcher then shows the platform's error and "
                             "starts nothing");
  }
  return GoOtherwise(outcome, backdrop + "asks for " + request.text + ", which the display will most likely "
                              "refuse, and starts " + application + " in the current display mode");
}

// Everything after the header: entries, settings, application and selection of plain text.
CheckOutcome CheckText(const std::string& text, const CheckOptions& options, LaunchContext& context,
                       CheckOutcome outcome, bool wrongForm) {
  std::string read = text.substr(0, kConfigReadLimit);
  PathEntry path;
  ReportEntries(read, text, context, path, outcome);
  ReportEndOfText(read, text, outcome);
  outcome.report += "\n" + DescribeSettings(context);
  CheckApplication(context, path, outcome);

  if (wrongForm) {
    return Stop(outcome, options.plain ? "this text is in the stored form: check it without --plain"
                                       : "this file is plain text: encode it first, with " +
                                             EncodeCommand(options.inputName));
  }
  if (context.criteria.empty()) return Stop(outcome, "no WIDTH, HEIGHT, DEPTH or FREQ entry (no message)");
  if (options.modeSource == ModeSource::None) {
    return Go(outcome, "picks the first mode of the display's catalogue that fits (check one with "
                       "--modes) and starts " + Shown(context.applicationPath));
  }
  if (options.modeSource == ModeSource::Display) {
    context.EnumerateModes();
  } else {
    context.modeCatalogue = options.modes;
  }
  outcome.report += "\nmodes: " + std::to_string(context.modeCatalogue.size()) +
                    (options.modeSource == ModeSource::Display ? ", from the display" : ", as given") +
                    "\n";
  return ReportSelection(context, options.modeSource == ModeSource::Display, outcome);
}

}  // namespace

int CountAcceptedEntries(const std::string& plainText) {
  std::string text = plainText.substr(0, kConfigReadLimit) + "\r";
  int accepted = 0;
  WalkConfigEntries(text.data(), [&accepted](char* entry) {
    ModeCriterion criterion;
    if (criterion.ParseEntry(entry)) ++accepted;
  });
  return accepted;
}

Utf16Order DetectUtf16(const std::string& bytes, size_t* markLength) {
  if (markLength != nullptr) *markLength = 0;
  if (bytes.size() < 2) return Utf16Order::None;
  if (bytes.size() % 2 == 0) {
    Utf16Order marked = bytes.compare(0, 2, "\xFF\xFE") == 0   ? Utf16Order::LittleEndian
                        : bytes.compare(0, 2, "\xFE\xFF") == 0 ? Utf16Order::BigEndian
                                                                : Utf16Order::None;
    if (marked != Utf16Order::None) {
      if (markLength != nullptr) *markLength = 2;
      return marked;
    }
  }
  // Text of the ANSI range in UTF-16 has a NUL in every pair, always on the same side.
  size_t pairs = bytes.size() / 2, lowFirst = 0, highFirst = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] != '\0' && bytes[i + 1] == '\0') ++lowFirst;
    if (bytes[i] == '\0' && bytes[i + 1] != '\0') ++highFirst;
  }
  if (lowFirst * 2 > pairs) return Utf16Order::LittleEndian;
  if (highFirst * 2 > pairs) return Utf16Order::BigEndian;
  return Utf16Order::None;
}

bool LooksLikeUtf16(const std::string& bytes) { return DetectUtf16(bytes) != Utf16Order::None; }

std::string DescribeReadLimit(const std::string& plainText, bool* losesEntries) {
  if (losesEntries != nullptr) *losesEntries = false;
  if (plainText.size() <= kConfigReadLimit) return "";
  std::string sentence = "the launcher reads only the first " + std::to_string(kConfigReadLimit) +
                         " of " + std::to_string(plainText.size()) + " bytes";
  // A NUL before the limit ends the text sooner; the limit then cuts nothing that counts.
  if (plainText.find('\0') < kConfigReadLimit) return sentence;
  auto isBoundary = [](char c) { return IsEntrySeparator(c) || c == '\0'; };
  size_t start = kConfigReadLimit;
  while (start > 0 && !isBoundary(plainText[start - 1])) --start;
  size_t end = kConfigReadLimit;
  while (end < plainText.size() && !isBoundary(plainText[end])) ++end;
  bool cut = start < kConfigReadLimit && end > kConfigReadLimit;
  if (cut) {
    sentence += ": line " + std::to_string(LineOf(plainText, start)) + " " +
                Quoted(plainText.substr(start, end - start)) + " is cut to " +
                Quoted(plainText.substr(start, kConfigReadLimit - start));
  }
  int unread = CountEntries(plainText.substr(cut ? end : kConfigReadLimit));
  if (unread > 0) {
    sentence += std::string(cut ? ", and " : ": ") + std::to_string(unread) +
                (unread == 1 ? " entry" : " entries") + (cut ? " after it" : " after that") +
                (unread == 1 ? " is" : " are") + " never read";
  }
  if (losesEntries != nullptr) *losesEntries = cut || unread > 0;
  return sentence;
}

CheckOutcome CheckConfigurationText(const std::string& bytes, const CheckOptions& options) {
  CheckOutcome outcome;
  std::string modulePath = options.programDirectory + "Kavelo2.exe";
  LaunchContext context(modulePath.c_str());
  if (!context.HasPaths()) {
    outcome.status = kUsageOrIoError;
    outcome.error = "the program directory is too long for the launcher's paths";
    return outcome;
  }

  std::string name = options.inputName.empty() ? "the text" : options.inputName;
  outcome.report += name + ": " + std::to_string(bytes.size()) + " bytes, " +
                    (options.plain ? "plain text" : "stored form, decoded") + "\n";
  if (!options.inputName.empty() && !options.plain) outcome.report += FileNameNote(options.inputName);
  outcome.report += "program directory: " + Shown(context.programDirectory) + "\n\n";
  if (bytes.empty()) return Verdict(Stop(outcome, "the file is empty, so it reads no byte (no message)"));

  // Plain text is what the launcher's decoding gives; a text saved as UTF-16 reads well in no
  // form, and a file in the other form reads well only the other way round.
  std::string text = options.plain ? bytes : Transformed(bytes);
  std::string other = Transformed(text);
  if (LooksLikeUtf16(text) || LooksLikeUtf16(other)) {
    return Verdict(Stop(outcome, "the file was saved as Unicode (UTF-16): save it as ANSI"));
  }
  bool wrongForm = CountAcceptedEntries(text) == 0 && CountAcceptedEntries(other) > 0;
  if (wrongForm) {
    outcome.report += options.plain ? "this text is in the stored form, not plain text; decoded, it reads:\n"
                                    : "this file is plain text, not the stored form: the launcher finds no "
                                      "entry in it; as plain text it reads:\n";
    text = other;
  }
  return Verdict(CheckText(text, options, context, outcome, wrongForm));
}

CheckOutcome CheckConfiguration(std::FILE* file, const CheckOptions& options) {
  std::string bytes;
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.append(chunk, count);
  if (std::ferror(file)) {
    CheckOutcome outcome;
    outcome.status = kUsageOrIoError;
    outcome.error = "cannot read " + (options.inputName.empty() ? "standard input" : options.inputName);
    return outcome;
  }
  return CheckConfigurationText(bytes, options);
}
