// kavelo2-config's command line: argument handling, files and streams, exit statuses.
#include "tools/kavelo2-config/config_tool.h"

#include "launcher/launch_context.h"
#include "tools/kavelo2-config/config_check.h"
#include "tools/kavelo2-config/machine_paths.h"
#include "tools/kavelo2-config/mode_notation.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include "tests/sim/sim_platform.h"
#endif

namespace {


constexpr const char* kUsage =
    "usage: kavelo2-config COMMAND ...\n"
    "  encode [IN [OUT]]  plain text to the stored form that the launcher reads\n"
    "  decode [IN [OUT]]  the stored form back to plain text\n"
    "  check [IN] [--plain] [--program-dir DIR] [--modes LIST|display]\n"
    "                     what the launcher makes of a stored file (or of plain text with\n"
    "                     --plain), entry by entry, and which display mode it picks\n"
    "  modes              the display's modes, numbered in the order the launcher lists them\n"
#ifdef _WIN32
    "  FILE               a file alone (as dropping it on the program gives):\n"
    "                     check FILE --modes display\n"
#endif
    "IN and OUT default to standard input and output; \"-\" names them too.\n"
    "DIR is the launcher's folder (default: the folder of IN).\n"
    "LIST is WIDTHxHEIGHTxBITS@HZ,... in enumeration order, e.g. 640x480x32@60,800x600x24@75;\n"
    "\"display\" is the display's own catalogue.\n"
#ifndef _WIN32
    "On this host the display is simulated: KAVELO2_SIM_MODES holds its catalogue as a LIST\n"
    "(default: the 27 modes of a 1024x768 desktop).\n"
#endif
    "Exit status of check:\n"
    "  0  the launcher starts the application as the file says\n"
    "  1  the launcher stops, or it will fail to start the application\n"
    "  2  usage or I/O error\n"
    "  3  the launcher starts the application, but not as the file says (an ignored entry, a switch\n"
    "     the display will likely refuse, no fitting mode without STRICT)\n"
    "encode, decode and modes answer 0 when done and 2 on a usage or I/O error.\n";

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

std::string CannotOpen(const std::string& name) {
  return "cannot open \"" + name + "\": " + std::strerror(errno);
}

bool ReadAll(std::FILE* file, std::string& data) {
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0) data.append(chunk, count);
  return !std::ferror(file);
}

#ifdef _WIN32

// The display is the real one.
bool PrepareDisplay(std::string&) { return true; }

#else

// The simulated display offers the catalogue that KAVELO2_SIM_MODES lists, by default the modes
// of the 1024x768 desktop that the end-to-end tests run on, so host and Windows runs agree. It
// runs in the first of its largest modes.
bool PrepareDisplay(std::string& error) {
  std::string script;
  if (const char* variable = std::getenv("KAVELO2_SIM_MODES")) {
    script = variable;
  } else {
    for (const char* bits : {"32", "16", "8"}) {
      for (const char* size : {"320x200", "320x240", "400x300", "512x384", "640x400", "640x480",
                               "768x576", "800x600", "1024x768"}) {
        script += std::string(size) + "x" + bits + "@60,";
      }
    }
  }
  ModeCatalogue catalogue;
  std::string bad;
  if (!ParseModeList(script, catalogue, bad)) {
    error = "KAVELO2_SIM_MODES: \"" + bad + "\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)";
    return false;
  }
  ResetSim();
  for (const DEVMODEA& mode : catalogue) Sim().modes.push_back({TRUE, mode});
  for (const DEVMODEA& mode : catalogue) {
    const DEVMODEA& current = Sim().currentMode;
    if (mode.dmPelsWidth * mode.dmPelsHeight > current.dmPelsWidth * current.dmPelsHeight) {
      Sim().currentMode = mode;
    }
  }
  return true;
}

#endif

// The launcher's folder: as given, or the folder that holds the input.
std::string ProgramDirectory(const std::string& given, const std::string& input) {
  if (!given.empty()) return FullFolder(given);
  size_t slash = input.find_last_of("/\\");
  return FullFolder(IsStandardStream(input) || slash == std::string::npos ? std::string(".")
                                                                         : input.substr(0, slash + 1));
}

// encode and decode: the one transform, which is its own inverse.
int Transform(bool encode, const std::vector<std::string>& args, const ToolStreams& streams) {
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
  std::FILE* in = IsStandardStream(inName) ? streams.in : std::fopen(inName.c_str(), "rb");
  if (in == nullptr) return Fail(streams, CannotOpen(inName));
  std::string data;
  bool read = ReadAll(in, data);
  if (in != streams.in) std::fclose(in);
  if (!read) return Fail(streams, "cannot read \"" + inName + "\"");

  std::string input = data;
  DecodeConfigBuffer(data.data(), data.size());
  const std::string& plain = encode ? input : data;
  const std::string& stored = encode ? data : input;
  std::string shownName = IsStandardStream(inName) ? "the input" : "\"" + inName + "\"";
  // Since the transform undoes itself, encoding a stored file yields its plain text: say so.
  if (LooksLikeUtf16(plain) || LooksLikeUtf16(stored)) {
    Warn(streams, shownName + " was saved as Unicode (UTF-16): save it as ANSI");
  } else if (CountAcceptedEntries(plain) == 0 && CountAcceptedEntries(stored) > 0) {
    Warn(streams, shownName + (encode ? " looks encoded already: encoding it gives plain text"
                                      : " looks like plain text: decoding it gives bytes the "
                                        "launcher cannot use"));
  }
  if (plain.empty()) Warn(streams, "the text is empty: the launcher reads no byte and stops");
  size_t nul = plain.find('\0');
  if (nul < kConfigReadLimit && !LooksLikeUtf16(plain) && !LooksLikeUtf16(stored)) {
    Warn(streams, "the text holds a NUL byte at offset " + std::to_string(nul) +
                      ": the launcher reads nothing after it");
  }
  std::string limit = DescribeReadLimit(plain);
  if (!limit.empty()) Warn(streams, limit);

  std::FILE* out = IsStandardStream(outName) ? streams.out : std::fopen(outName.c_str(), "wb");
  if (out == nullptr) return Fail(streams, CannotOpen(outName));
  bool written = std::fwrite(data.data(), 1, data.size(), out) == data.size();
  written = (out != streams.out ? std::fclose(out) == 0 : std::fflush(out) == 0) && written;
  if (!written) return Fail(streams, "cannot write \"" + outName + "\"");
  return kRunsAsWritten;
}

int Check(const std::vector<std::string>& args, const ToolStreams& streams) {
  CheckOptions options;
  std::string input, programDirectory;
  bool inputGiven = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (arg == "--plain") {
      options.plain = true;
    } else if (arg == "--program-dir" || arg == "--modes") {
      if (!hasValue) return UsageError(streams, arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--program-dir") {
        if (value.empty()) return UsageError(streams, "--program-dir needs a folder");
        programDirectory = value;
      } else if (value == "display") {
        options.modeSource = ModeSource::Display;
      } else {
        std::string bad;
        if (!ParseModeList(value, options.modes, bad)) {
          return UsageError(streams, "\"" + bad + "\" is not a mode (write WIDTHxHEIGHTxBITS@HZ)");
        }
        options.modeSource = ModeSource::List;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(streams, "unknown option " + arg);
    } else if (inputGiven) {
      return UsageError(streams, "check reads one file");
    } else {
      input = arg;
      inputGiven = true;
    }
  }
  if (!inputGiven && streams.console.inIsInteractive) return Usage(streams);
  std::string error;
  if (options.modeSource == ModeSource::Display && !PrepareDisplay(error)) return Fail(streams, error);

  std::FILE* file = IsStandardStream(input) ? streams.in : std::fopen(input.c_str(), "rb");
  if (file == nullptr) return Fail(streams, CannotOpen(input));
  options.inputName = IsStandardStream(input) ? "" : input;
  options.programDirectory = ProgramDirectory(programDirectory, input);
  CheckOutcome outcome = CheckConfiguration(file, options);
  if (file != streams.in) std::fclose(file);
  std::fputs(outcome.report.c_str(), streams.out);
  std::fflush(streams.out);
  if (outcome.status != kRunsAsWritten) std::fprintf(streams.err, "kavelo2-config: %s\n", outcome.error.c_str());
  return outcome.status;
}

int Modes(const std::vector<std::string>& args, const ToolStreams& streams) {
  if (args.size() > 1) return UsageError(streams, "modes takes no arguments");
  std::string error;
  if (!PrepareDisplay(error)) return Fail(streams, error);
  // The launcher's own enumeration; the context's paths do not matter here.
  LaunchContext context("C:\\Kavelo2.exe");
  context.EnumerateModes();
  std::fputs(FormatCatalogue(context.modeCatalogue).c_str(), streams.out);
  std::fflush(streams.out);
  return kRunsAsWritten;
}

int Help(const std::vector<std::string>&, const ToolStreams& streams) {
  std::fputs(kUsage, streams.out);
  return kRunsAsWritten;
}

int Encode(const std::vector<std::string>& args, const ToolStreams& streams) {
  return Transform(true, args, streams);
}

int Decode(const std::vector<std::string>& args, const ToolStreams& streams) {
  return Transform(false, args, streams);
}

// Every command the tool knows, by the word that names it.
struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>& args, const ToolStreams& streams);
};
constexpr Command kCommands[] = {{"encode", Encode}, {"decode", Decode}, {"check", Check},
                                 {"modes", Modes},   {"help", Help},     {"--help", Help},
                                 {"-h", Help}};

const Command* FindCommand(const std::string& word) {
  for (const Command& command : kCommands) {
    if (word == command.name) return &command;
  }
  return nullptr;
}

}  // namespace

std::vector<std::string> ExpandDroppedFile(const std::vector<std::string>& args) {
  if (args.size() != 1 || FindCommand(args[0]) != nullptr || IsStandardStream(args[0]) || args[0][0] == '-') return args;
  std::FILE* file = std::fopen(args[0].c_str(), "rb");
  if (file == nullptr) return args;
  std::fclose(file);
  return {"check", args[0], "--modes", "display"};
}

int RunConfigTool(const std::vector<std::string>& given, const ToolStreams& streams) {
  std::vector<std::string> args = streams.console.acceptsDroppedFile ? ExpandDroppedFile(given) : given;
  if (args.empty()) return UsageError(streams, "no command given");
  const std::string& command = args[0];
  if (const Command* known = FindCommand(command)) return known->run(args, streams);
  return UsageError(streams, "unknown command \"" + command + "\"");
}
