// `check`: the launcher's own reading, walk, parsing and selection, with a report of each step.
// The decisions are all the launcher's (ReadConfigBuffer, WalkConfigEntries, ParseEntry,
// ApplyEntry, SelectMode); this file only explains them.
#include "tools/kavelo2-config/config_check.h"

#include "launcher/launch_context.h"
#include "tools/kavelo2-config/mode_notation.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kNoSuitableModeText =
    "This application failed to find a suitable screen resolution and/or color depth.";
constexpr EntryKind kAllKinds[] = {EntryKind::Width,  EntryKind::Height, EntryKind::Depth,
                                   EntryKind::Freq,   EntryKind::Strict, EntryKind::Path,
                                   EntryKind::Backdrop};

// Entry text as it can be shown on one line: bytes outside printable ASCII become \xNN.
std::string Shown(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xF];
    }
  }
  return shown;
}

std::string Quoted(const std::string& text) { return "\"" + Shown(text) + "\""; }

// Keys hold no NUL: the launcher's walk ends the text at the first one.
std::string UpperAscii(std::string text) {
  UppercaseAscii(text.data());
  return text;
}

EntryKind KindOfKeyword(const std::string& key) { return KindOfKey(key.c_str()); }

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The keyword that an unrecognised key was most likely meant to be, with the reason, or "".
std::string KeyHint(const std::string& key) {
  std::string upper = UpperAscii(key);
  if (upper.empty()) return "the key is empty";
  std::string squeezed;
  for (char c : upper) {
    if (c != ' ' && c != '\t') squeezed += c;
  }
  if (squeezed != upper && KindOfKeyword(squeezed) != EntryKind::None) {
    return "a blank belongs to the key; write \"" + squeezed + ":\"";
  }
  if (upper.compare(0, 3, "\xEF\xBB\xBF") == 0 && KindOfKeyword(upper.substr(3)) != EntryKind::None) {
    return "the text starts with a UTF-8 byte order mark; save it without one";
  }
  for (EntryKind kind : kAllKinds) {
    std::string keyword = EntryKeyword(kind);
    size_t allowed = keyword.size() <= 4 ? 1 : 2;
    if (EditDistance(upper, keyword) <= allowed || upper.compare(0, keyword.size(), keyword) == 0) {
      return "did you mean " + keyword + "?";
    }
  }
  return "";
}

// For an entry without a colon that starts with a keyword ("WIDTH 800", "WIDTH=800"): the
// entry as it was meant, or "".
std::string ColonHint(const std::string& entry) {
  std::string upper = UpperAscii(entry);
  for (EntryKind kind : kAllKinds) {
    std::string keyword = EntryKeyword(kind);
    if (upper.compare(0, keyword.size(), keyword) != 0) continue;
    size_t value = keyword.size();
    while (value < entry.size() && (entry[value] == ' ' || entry[value] == '\t' || entry[value] == '='))
      ++value;
    return "write " + Quoted(keyword + ":" + entry.substr(value));
  }
  return "";
}

// Explains what the launcher's list reading left out of a value: numbers read in octal, text
// after a number, and where the list stops. The numbers themselves come from ParseEntry.
std::vector<std::string> ListNotes(const std::string& value) {
  std::vector<std::string> notes;
  const char* cursor = value.c_str();
  for (;;) {
    int32_t number = 0;
    const char* end = ReadInteger(cursor, number);
    const char* comma = std::strchr(cursor, ',');
    const char* elementEnd = comma != nullptr ? comma : cursor + std::strlen(cursor);
    std::string element(cursor, elementEnd);
    if (end != nullptr) {
      const char* digits = cursor + std::strspn(cursor, " \t\v\f+-");
      if (digits[0] == '0' && digits[1] >= '0' && digits[1] <= '7') {
        notes.push_back(Quoted(std::string(digits, end)) + " is octal: " + std::to_string(number));
      }
      if (end < elementEnd) {
        notes.push_back(Quoted(std::string(end, elementEnd)) + " after " + std::to_string(number) +
                        " is ignored");
      }
    }
    if (comma == nullptr) {
      if (end == nullptr && element.find_first_not_of(" \t\v\f") != std::string::npos) {
        notes.push_back(Quoted(element) + " reads no number and is ignored");
      }
      return notes;
    }
    if (end == nullptr) {
      std::string where = element.empty() ? std::string("an empty element") : Quoted(element);
      notes.push_back("the list stops at " + where + ", which reads no number; " +
                      Quoted(comma + 1) + " is not read");
      return notes;
    }
    cursor = comma + 1;
  }
}

std::string JoinValues(const std::vector<int32_t>& values) {
  std::string text;
  for (int32_t value : values) text += (text.empty() ? "" : ", ") + std::to_string(value);
  return text;
}

std::string DescribeCriterion(const ModeCriterion& criterion) {
  std::string keyword = EntryKeyword(criterion.kind);
  if (criterion.values.empty()) return keyword + " with an empty list";
  return keyword + " " + JoinValues(criterion.values);
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

std::string FieldMaskNames(DWORD mask) {
  static const struct {
    DWORD bit;
    const char* name;
  } kBits[] = {{DM_PELSWIDTH, "DM_PELSWIDTH"},
               {DM_PELSHEIGHT, "DM_PELSHEIGHT"},
               {DM_BITSPERPEL, "DM_BITSPERPEL"},
               {DM_DISPLAYFREQUENCY, "DM_DISPLAYFREQUENCY"}};
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(mask));
  std::string names;
  for (const auto& bit : kBits) {
    if (mask & bit.bit) names += (names.empty() ? "" : " | ") + std::string(bit.name);
  }
  return std::string(hex) + (names.empty() ? "" : " (" + names + ")");
}

// The effect of an accepted entry on the settings, as one line.
std::string DescribeAccepted(const ModeCriterion& entry, bool applied, const LaunchContext& context) {
  std::string keyword = EntryKeyword(entry.kind);
  switch (entry.kind) {
    case EntryKind::Path:
      if (!applied) {
        return "PATH, but the path does not fit in 1023 characters: the application stays " +
               Shown(context.applicationPath);
      }
      return "PATH, application " + Shown(context.applicationPath) +
             (entry.text.compare(0, 1, " ") == 0 ? " (the blank at the start belongs to the path)" : "");
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

// Why ParseEntry did not accept an entry. `kind` is what ParseEntry found for the key.
std::string DescribeIgnored(const std::string& entry, EntryKind kind) {
  size_t colon = entry.find(':');
  if (colon == std::string::npos) {
    std::string hint = ColonHint(entry);
    return "no colon" + (hint.empty() ? "" : " (" + hint + ")");
  }
  std::string key = entry.substr(0, colon);
  if (kind == EntryKind::None) {
    std::string hint = KeyHint(key);
    return "unknown key " + Quoted(UpperAscii(key)) + (hint.empty() ? "" : " (" + hint + ")");
  }
  if (colon + 1 == entry.size()) return "the value is empty";
  return "the list reads no number";
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

// The text decoding gives for stored bytes that lie at `offset` and after in the file.
std::string DecodeAt(const std::string& stored, size_t offset) {
  std::string padded(offset, '\0');
  padded += stored;
  DecodeConfigBuffer(padded.data(), padded.size());
  return padded.substr(offset);
}

std::string ReadRest(std::FILE* file) {
  std::string rest;
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0) rest.append(chunk, count);
  return rest;
}

CheckOutcome Stop(CheckOutcome outcome, const std::string& reason) {
  outcome.status = 1;
  outcome.report += "result: the launcher stops: " + reason + "\n";
  outcome.error = "the launcher would stop: " + reason;
  return outcome;
}

CheckOutcome Go(CheckOutcome outcome, const std::string& what) {
  outcome.status = 0;
  outcome.report += "result: the launcher " + what + "\n";
  return outcome;
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

// What the switch asks the display for. The platform takes every field that the FieldMask
// leaves out from the mode in force, which is known when the display's own catalogue is checked
// (`current`); without it only the named fields are told. `offered` is false when the display
// lists no mode of the size and depth asked for: the switch will then most likely be refused.
struct SwitchRequest {
  std::string text;
  bool offered = true;
};

SwitchRequest DescribeSwitch(DWORD fieldMask, const DEVMODEA& chosen, const DEVMODEA* current,
                             const ModeCatalogue& catalogue) {
  SwitchRequest request;
  bool namesWidth = (fieldMask & DM_PELSWIDTH) != 0;
  bool namesHeight = (fieldMask & DM_PELSHEIGHT) != 0;
  bool namesBits = (fieldMask & DM_BITSPERPEL) != 0;
  std::vector<std::string> parts;
  if (current != nullptr) {
    DEVMODEA asked = *current;
    if (namesWidth) asked.dmPelsWidth = chosen.dmPelsWidth;
    if (namesHeight) asked.dmPelsHeight = chosen.dmPelsHeight;
    if (namesBits) asked.dmBitsPerPel = chosen.dmBitsPerPel;
    parts.push_back(std::to_string(asked.dmPelsWidth) + "x" + std::to_string(asked.dmPelsHeight));
    parts.push_back(std::to_string(asked.dmBitsPerPel) + " bits");
    request.offered = std::any_of(catalogue.begin(), catalogue.end(), [&asked](const DEVMODEA& mode) {
      return mode.dmPelsWidth == asked.dmPelsWidth && mode.dmPelsHeight == asked.dmPelsHeight &&
             mode.dmBitsPerPel == asked.dmBitsPerPel;
    });
  } else {
    if (namesWidth && namesHeight) {
      parts.push_back(std::to_string(chosen.dmPelsWidth) + "x" + std::to_string(chosen.dmPelsHeight));
    } else if (namesWidth) {
      parts.push_back("width " + std::to_string(chosen.dmPelsWidth));
    } else if (namesHeight) {
      parts.push_back("height " + std::to_string(chosen.dmPelsHeight));
    }
    if (namesBits) parts.push_back(std::to_string(chosen.dmBitsPerPel) + " bits");
  }
  if (fieldMask & DM_DISPLAYFREQUENCY) parts.push_back(std::to_string(chosen.dmDisplayFrequency) + " Hz");
  for (const std::string& part : parts) request.text += (request.text.empty() ? "" : " at ") + part;
  if (request.text.empty()) request.text = "the mode in force";
  return request;
}

// The launcher's walk, parse and apply (LaunchContext::ApplyConfigurationText), entry by entry,
// with a report of each. Answers the number of accepted entries.
int ReportEntries(const char* buffer, size_t count, LaunchContext& context, std::string& report) {
  std::string read(buffer, count);
  std::vector<char> text(buffer, buffer + count + 2);
  int accepted = 0;
  WalkConfigEntries(text.data(), [&](char* entry) {
    std::string original = entry;
    size_t offset = static_cast<size_t>(entry - text.data());
    report += "line " + std::to_string(LineOf(read, offset)) + ": " + Shown(original) + "\n";
    ModeCriterion criterion;
    if (!criterion.ParseEntry(entry)) {
      report += "  ignored: " + DescribeIgnored(original, criterion.kind) + "\n";
      return;
    }
    ++accepted;
    bool applied = context.ApplyEntry(criterion);
    report += "  accepted: " + DescribeAccepted(criterion, applied, context) + "\n";
    if (criterion.kind != EntryKind::Path) {
      for (const std::string& note : ListNotes(original.substr(original.find(':') + 1))) {
        report += "    note: " + note + "\n";
      }
    }
  });
  return accepted;
}

// Where the text the launcher reads ends early: at a NUL byte in the bytes read, or at the
// 998-byte limit of a longer file (`fullText` is the whole file's text).
void ReportEndOfText(const std::string& read, const std::string& fullText, std::string& report) {
  size_t nul = read.find('\0');
  if (nul != std::string::npos) {
    size_t runStart = nul;
    while (runStart > 0 && !IsEntrySeparator(read[runStart - 1])) --runStart;
    report += "line " + std::to_string(LineOf(read, nul)) + ": the text ends at a NUL byte (offset " +
              std::to_string(nul) + "); nothing after it is read";
    if (runStart < nul) {
      report += ", and " + Quoted(read.substr(runStart, nul - runStart)) + ", which runs into it, is dropped";
    }
    report += "\n";
  }
  std::string limit = DescribeReadLimit(fullText);
  if (!limit.empty()) report += limit + "\n";
}

// Which mode SelectMode picks from the context's catalogue, in which pass, and what the launcher
// does then. `knowsCurrentMode`: the catalogue is the display's, whose mode in force the context
// holds.
CheckOutcome ReportSelection(const LaunchContext& context, bool knowsCurrentMode, CheckOutcome outcome) {
  std::string application = Shown(context.applicationPath);
  DWORD fieldMask = 0;
  int index = context.SelectMode(fieldMask);
  if (index < 0) {
    outcome.report += "selection: no mode fits, in either pass\n";
    if (context.strictMode) {
      return Stop(outcome, "STRICT is on, so it shows \"" + std::string(kNoSuitableModeText) +
                               "\" and starts nothing");
    }
    return Go(outcome, "starts " + application + " in the current display mode, without a backdrop");
  }
  DWORD strictMask = 0;
  bool strictPass = StrictPass(context.modeCatalogue, context.criteria, strictMask) >= 0;
  const DEVMODEA& chosen = context.modeCatalogue[static_cast<size_t>(index)];
  outcome.report += "selection: mode " + std::to_string(index) + ", " + FormatMode(chosen) + ", in the " +
                    (strictPass ? "strict pass" : "relaxed pass") + ", FieldMask " +
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
  return Go(outcome, backdrop + "asks for " + request.text + ", which the display will most likely "
                     "refuse, and starts " + application + " in the current display mode");
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

std::string DescribeReadLimit(const std::string& plainText) {
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
  return sentence;
}

CheckOutcome CheckConfiguration(std::FILE* file, const CheckOptions& options) {
  CheckOutcome outcome;
  std::string modulePath = options.programDirectory + "Kavelo2.exe";
  LaunchContext context(modulePath.c_str());
  if (!context.HasPaths()) {
    outcome.status = 2;
    outcome.error = "the program directory is too long for the launcher's paths";
    return outcome;
  }

  // The launcher's own read: at most 998 bytes, closed by CR and NUL, decoded. Plain text is
  // what decoding its stored form would give, so the decoding is undone for it. The rest of the
  // file is read only to tell what the limit cuts.
  char buffer[kConfigBufferSize];
  size_t count = ReadConfigBuffer(file, buffer);
  if (options.plain) DecodeConfigBuffer(buffer, count);
  std::string rest = ReadRest(file);
  std::string name = options.inputName.empty() ? "standard input" : options.inputName;
  if (std::ferror(file)) {
    outcome.status = 2;
    outcome.error = "cannot read " + name;
    return outcome;
  }
  std::string read(buffer, count);

  outcome.report += name + ": " + std::to_string(count + rest.size()) + " bytes, " +
                    (options.plain ? "plain text" : "stored form, decoded") + "\n";
  if (!options.inputName.empty() && !options.plain) outcome.report += FileNameNote(options.inputName);
  outcome.report += "program directory: " + Shown(context.programDirectory) + "\n\n";
  if (count == 0) return Stop(outcome, "the file is empty, so it reads no byte (no message)");

  int accepted = ReportEntries(buffer, count, context, outcome.report);
  ReportEndOfText(read, read + (options.plain ? rest : DecodeAt(rest, count)), outcome.report);
  outcome.report += "\n" + DescribeSettings(context);

  if (context.criteria.empty()) {
    // A file that reads well the other way round was most likely stored in the wrong form.
    std::string otherReading = read;
    DecodeConfigBuffer(otherReading.data(), otherReading.size());
    if (accepted == 0 && CountAcceptedEntries(otherReading) > 0) {
      return Stop(outcome, options.plain ? "this file looks encoded: check it without --plain"
                                         : "this file looks like plain text: encode it first");
    }
    return Stop(outcome, "no WIDTH, HEIGHT, DEPTH or FREQ entry (no message)");
  }
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
