// kavelo2-config's command line: argument handling, files and streams, exit statuses.
#include "tools/kavelo2-config/config_tool.h"

#include "launcher/config_file.h"
#include "tools/machine/app_layer_registry.h"
#include "tools/model/check_report.h"
#include "tools/model/finding_text.h"
#include "tools/model/restore_text.h"
#include "tools/model/config_check.h"
#include "tools/model/config_text.h"
#include "tools/model/device_name.h"
#include "tools/machine/files.h"
#include "tools/model/mode_notation.h"
#include "tools/machine/safe_save.h"
#include "tools/model/save_text.h"
#include "tools/machine/display.h"
#include "tools/machine/ntdll_version.h"
#include "tools/machine/program_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>

namespace {

constexpr const char* kUsage =
    "usage: kavelo2-config COMMAND ...\n"
    "  encode [IN [OUT]]  plain text to the stored form that the launcher reads\n"
    "  decode [IN [OUT]]  the stored form back to plain text\n"
    "  check [IN] [--plain] [--program-dir DIR] [--modes LIST|display]\n"
    "                     what the launcher makes of a stored file (or of plain text with\n"
    "                     --plain), entry by entry, and which display mode it picks\n"
    "  modes              the display's modes, numbered in the order the launcher lists them\n"
    "  restore [--force]  returns the display to the mode stored in the registry (as after a\n"
    "                     launcher that was ended by force); while a launcher runs, only with\n"
    "                     --force, since the mode it switched to is its application's\n"
    "  FILE               a file alone (as dropping it on the program gives):\n"
    "                     check FILE --modes display\n"
    "IN and OUT default to standard input and output; \"-\" names them too.\n"
    "DIR is the launcher's folder (default: the folder of IN).\n"
    "LIST is WIDTHxHEIGHTxBITS@HZ,... in enumeration order, e.g. 640x480x32@60,800x600x24@75;\n"
    "\"display\" is the display's own catalogue.\n"
    "Exit status of check:\n"
    "  0  the launcher starts the application as the file says\n"
    "  1  the launcher stops, or it will fail to start the application\n"
    "  2  usage or I/O error\n"
    "  3  the launcher starts the application, but not as the file says (an ignored entry, a switch\n"
    "     the display will likely refuse, no fitting mode without STRICT, a depth that Windows 8\n"
    "     and later only emulate)\n"
    "Exit status of restore:\n"
    "  0  the display is in the registry mode\n"
    "  1  the display refused the return, or took it and is in another mode\n"
    "  2  usage error\n"
    "  3  a launcher is running: the display was left as it is (--force returns it all the same)\n"
    "encode, decode and modes answer 0 when done and 2 on a usage or I/O error.\n";

// restore's own status: a launcher runs, and the display was left as it is.
constexpr int kRestoreHeld = 3;

int Fail(const ToolStreams& streams, const std::string& message) {
  std::fprintf(streams.err, "kavelo2-config: %s\n", message.c_str());
  return kUsageOrIoError;
}

// Without a file to read, a console user would wait for a prompt that never comes: say how the
// tool is used instead.
int Usage(const ToolStreams& streams) {
  std::fputs(kUsage, streams.err);
  return kUsageOrIoError;
}

int UsageError(const ToolStreams& streams, const std::string& message) {
  return Fail(streams, message + " (see kavelo2-config --help)");
}

void Warn(const ToolStreams& streams, const std::string& message) {
  std::fprintf(streams.err, "kavelo2-config: warning: %s\n", message.c_str());
}

bool IsStandardStream(const std::string& name) { return name.empty() || name == "-"; }

// Reads the named file, or standard input, as far as a configuration is held; answers why it
// cannot, or "".
std::string ReadInput(const std::string& name, const ToolStreams& streams, HeldBytes& held) {
  bool standard = IsStandardStream(name);
  std::FILE* file = standard ? streams.in : std::fopen(name.c_str(), "rb");
  if (file == nullptr) return "cannot open \"" + name + "\": " + std::strerror(errno);
  bool read = ReadHeldBytes(file, held);
  if (!standard) std::fclose(file);
  return read ? "" : "cannot read " + (standard ? std::string("standard input") : "\"" + name + "\"");
}

// Why `name` cannot be the file a command reads or writes, or "": a folder (whose file the message
// names, with `example`, where there is one to name), or for a file written, a name Windows keeps
// for a device, which would write to the device.
std::string RefusedFileName(const std::string& name, bool written, const char* example) {
  if (ProbePath(name) == PathKind::Folder) {
    size_t slash = name.find_last_of("/\\");
    bool endsInSlash = slash != std::string::npos && slash + 1 == name.size();
    std::string separator = endsInSlash ? "" : slash != std::string::npos && name[slash] == '/' ? "/" : "\\";
    return "\"" + name + "\" is a folder: name a file in it" +
           (*example != '\0' ? ", e.g. \"" + name + separator + example + "\"" : std::string());
  }
  std::string device = written ? ReservedDeviceName(name) : "";
  if (device.empty()) return "";
  return "\"" + name + "\" names the device " + device + ", not a file: Windows keeps CON, PRN, AUX, NUL, COM1 to "
         "COM9 and LPT1 to LPT9, with any extension, for its devices; name another file";
}

// The launcher's folder: as given, or the folder that holds the input.
std::string ProgramDirectory(const std::string& given, const std::string& input) {
  if (!given.empty()) return FullFolder(given);
  size_t slash = input.find_last_of("/\\");
  return FullFolder(IsStandardStream(input) || slash == std::string::npos ? std::string(".")
                                                                         : input.substr(0, slash + 1));
}

// encode and decode: the one transform, which is its own inverse.
template <bool encode>
int Transform(const std::vector<std::string>& args, const ToolStreams& streams) {
  if (args.size() > 3) return UsageError(streams, "too many arguments to " + args[0]);
  std::string inName = args.size() > 1 ? args[1] : "";
  std::string outName = args.size() > 2 ? args[2] : "";

  if (encode && IsStandardStream(outName) && streams.console.outIsConsole) {
    return UsageError(streams, "the stored form is not text for a console: name an output file, e.g. "
                               "kavelo2-config encode IN Kavelo2.ini");
  }
  if (!encode && IsStandardStream(inName) && args.size() < 2 && streams.console.inIsInteractive) {
    return Usage(streams);
  }
  // Checked before anything is read or written: the stored file is the one read by decode and
  // written by encode.
  for (bool written : {false, true}) {
    const std::string& name = written ? outName : inName;
    const char* example = encode == written ? "Kavelo2.ini" : "";
    std::string refused = IsStandardStream(name) ? "" : RefusedFileName(name, written, example);
    if (!refused.empty()) return Fail(streams, refused);
  }
  HeldBytes held;
  std::string unread = ReadInput(inName, streams, held);
  if (!unread.empty()) return Fail(streams, unread);
  std::string shownName = IsStandardStream(inName) ? "the input" : "\"" + inName + "\"";
  // A configuration the launcher reads 998 bytes of is never this long: such an input is some
  // other file, or endless, and is not written out in part.
  if (held.size > kHeldFileBytes) {
    std::string most = std::to_string(kHeldFileBytes);
    std::string length = held.sizeKnown ? " is " + std::to_string(held.size) + " bytes long, more than the " + most
                                        : " is longer than the " + most + " bytes";
    return Fail(streams, shownName + length + " a configuration can be (the launcher reads only its first " +
                             std::to_string(kConfigReadLimit) + "): nothing was " + (encode ? "encoded" : "decoded"));
  }

  std::string input = held.bytes;
  // An editor's UTF-8 mark would stand in front of the first key, which the launcher would then
  // not know.
  if (encode && StripUtf8Mark(input)) {
    Warn(streams, shownName + " starts with a UTF-8 byte order mark: it was left out, so that the first entry counts");
  }
  std::string data = StoredForm(input);
  const std::string& plain = encode ? input : data;
  // Since the transform undoes itself, encoding a stored file yields its plain text: say so.
  FileForm form = ReadFileText(input, encode ? FileForm::Plain : FileForm::Stored).form;
  if (form == FileForm::Utf16) {
    Warn(streams, shownName + " was saved as Unicode (UTF-16): save it as ANSI");
  } else if (form == (encode ? FileForm::Stored : FileForm::Plain)) {
    Warn(streams, shownName + (encode ? " looks encoded already: encoding it gives plain text"
                                      : " looks like plain text: decoding it gives bytes the "
                                        "launcher cannot use"));
  }
  if (plain.empty()) Warn(streams, "the text is empty: the launcher reads no byte and stops");
  for (const Finding& limit : TextLimits(plain, plain.size())) {
    if (form != FileForm::Utf16 || limit.kind != FindingKind::NulEndsText) {
      Warn(streams, LimitWarning(limit, Rendering::Escaped));
    }
  }

  if (IsStandardStream(outName)) {
    bool written = std::fwrite(data.data(), 1, data.size(), streams.out) == data.size();
    if (std::fflush(streams.out) != 0 || !written) return Fail(streams, "cannot write the output");
    return kRunsAsWritten;
  }
  SaveOutcome saved = SaveFileSafely(outName, data);
  if (!saved.Saved()) return Fail(streams, "\"" + outName + "\" was not written: " + SaveFailureLine(saved));
  return kRunsAsWritten;
}

// check's command line, as given.
struct CheckArguments {
  bool plain = false;
  std::string name;              // the file to check; "" or "-" for standard input
  std::string programDirectory;  // --program-dir's folder, or ""
  size_t nameAt = 0;             // where the file and the folder stand among the arguments; 0: not given
  size_t programDirectoryAt = 0;
  bool fromDisplay = false;      // --modes display
  bool listed = false;           // --modes LIST, read into `modes`
  ModeCatalogue modes;
};

// Reads check's arguments; answers what is wrong with them, or "".
std::string ReadCheckArguments(const std::vector<std::string>& args, CheckArguments& check) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (arg == "--plain") {
      check.plain = true;
    } else if (arg == "--program-dir" || arg == "--modes") {
      if (!hasValue) return arg + " needs a value";
      const std::string& value = args[++i];
      if (arg == "--program-dir") {
        if (value.empty()) return "--program-dir needs a folder";
        check.programDirectory = value;
        check.programDirectoryAt = i;
      } else {
        std::string bad;
        check.fromDisplay = value == "display";
        check.listed = !check.fromDisplay;
        if (check.listed && !ParseModeList(value, check.modes, bad)) {
          return "\"" + bad + "\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)";
        }
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (check.nameAt != 0) {
      return "check reads one file";
    } else {
      check.name = arg;
      check.nameAt = i;
    }
  }
  return "";
}

int Check(const std::vector<std::string>& args, const ToolStreams& streams) {
  CheckArguments given;
  std::string wrong = ReadCheckArguments(args, given);
  if (!wrong.empty()) return UsageError(streams, wrong);
  const std::string& name = given.name;
  if (given.nameAt == 0 && streams.console.inIsInteractive) return Usage(streams);
  CheckInput input;
  input.plain = given.plain;
  if (given.listed) input.modes = &given.modes;
  input.windows = ReadWindowsVersion();
  DisplayState display;
  if (given.fromDisplay) {
    display = ReadDisplay();
    input.modes = &display.modes;
    input.modesAreTheDisplays = true;
    input.currentMode = display.current;
  }

  std::string refused = IsStandardStream(name) ? "" : RefusedFileName(name, false, "Kavelo2.ini");
  if (!refused.empty()) return Fail(streams, refused);
  std::string unread = ReadInput(name, streams, input.file);
  if (!unread.empty()) return Fail(streams, unread);
  input.inputName = IsStandardStream(name) ? "" : name;
  input.programDirectory = ProgramDirectory(given.programDirectory, name);
  // A launcher's folder that this machine does not hold is another machine's: nothing is looked for
  // here, the application included, whose file the report then says nothing about.
  if (ProbePath(input.programDirectory) == PathKind::Folder) {
    input.probe = ProbePath;
    input.image = [](const std::string& path, ProgramImage& image) {
      image = ReadProgramFile(path);
      return true;
    };
  }
  input.layers = [](const std::string& path, AppLayersReading& layers) {
    layers = ReadApplicationLayers(path);
    return true;
  };
  ConfigCheck check = CheckConfiguration(input);
  if (!check.made) return Fail(streams, "the program directory is too long for the launcher's paths");
  std::fputs(RenderReport(check, Rendering::Escaped).c_str(), streams.out);
  std::fflush(streams.out);
  int status = Judge(check).status;
  if (status != kRunsAsWritten) {
    std::fprintf(streams.err, "kavelo2-config: %s\n", VerdictLine(check, Rendering::Escaped).c_str());
  }
  return status;
}

int Modes(const std::vector<std::string>& args, const ToolStreams& streams) {
  if (args.size() > 1) return UsageError(streams, "modes takes no arguments");
  std::fputs(FormatCatalogue(ReadDisplay().modes).c_str(), streams.out);
  std::fflush(streams.out);
  return kRunsAsWritten;
}

int Restore(const std::vector<std::string>& args, const ToolStreams& streams) {
  bool force = args.size() == 2 && args[1] == "--force";
  if (args.size() > 1 && !force) return UsageError(streams, "restore takes no arguments but --force");
  RestoreHold hold = RestoreHoldNow();
  if (hold != RestoreHold::None && !force) {
    std::fprintf(streams.err, "kavelo2-config: %s\n", RestoreHoldText(hold).c_str());
    return kRestoreHeld;
  }
  RestoreOutcome outcome = RestoreDisplay(hold);
  std::fputs(RestoreReport(outcome).c_str(), streams.out);
  std::fflush(streams.out);
  if (BackInRegistryMode(outcome)) return kRunsAsWritten;
  std::fprintf(streams.err, "kavelo2-config: %s\n", RestoreResult(outcome).c_str());
  return kFails;
}

int Help(const std::vector<std::string>&, const ToolStreams& streams) {
  std::fputs(kUsage, streams.out);
  return kRunsAsWritten;
}

// Every command the tool knows, by the word that names it.
struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>& args, const ToolStreams& streams);
};
constexpr Command kCommands[] = {{"encode", Transform<true>}, {"decode", Transform<false>}, {"check", Check},
                                 {"modes", Modes},   {"restore", Restore}, {"help", Help},
                                 {"--help", Help},   {"-h", Help},         {"/?", Help}};

const Command* FindCommand(const std::string& word) {
  auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                            [&word](const Command& command) { return word == command.name; });
  return found != std::end(kCommands) ? found : nullptr;
}

}  // namespace

std::vector<std::string> ExpandDroppedFile(const std::vector<std::string>& args) {
  if (args.size() != 1 || FindCommand(args[0]) != nullptr || IsStandardStream(args[0]) || args[0][0] == '-') return args;
  return {"check", args[0], "--modes", "display"};
}

std::vector<size_t> FileArguments(const std::vector<std::string>& given) {
  std::vector<std::string> args = ExpandDroppedFile(given);
  if (args != given) return {0};
  std::vector<size_t> files;
  if (!args.empty() && (args[0] == "encode" || args[0] == "decode")) {
    for (size_t i = 1; i < args.size() && i < 3; ++i) {
      if (!IsStandardStream(args[i])) files.push_back(i);
    }
  }
  CheckArguments check;
  if (!args.empty() && args[0] == "check" && ReadCheckArguments(args, check).empty()) {
    if (check.nameAt != 0 && !IsStandardStream(check.name)) files.push_back(check.nameAt);
    if (check.programDirectoryAt != 0) files.push_back(check.programDirectoryAt);
  }
  return files;
}

int RunConfigTool(const std::vector<std::string>& given, const ToolStreams& streams) {
  // What the standard library throws (no memory, above all) ends the command with status 2 and a
  // line that says so, never with the runtime's own abort.
  QuietEmptyDrives();
  try {
    std::vector<std::string> args = ExpandDroppedFile(given);
    if (args.empty()) return UsageError(streams, "no command given");
    const std::string& command = args[0];
    if (const Command* known = FindCommand(command)) return known->run(args, streams);
    return UsageError(streams, "unknown command \"" + command + "\"");
  } catch (const std::bad_alloc&) {
    std::fputs("kavelo2-config: stopped: not enough memory\n", streams.err);
  } catch (const std::exception& error) {
    std::fprintf(streams.err, "kavelo2-config: stopped: %s\n", error.what());
  }
  return kUsageOrIoError;
}
