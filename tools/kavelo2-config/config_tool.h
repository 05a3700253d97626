// kavelo2-config: writes, reads and checks the launcher's configuration file with the launcher's
// own code.
//
//   kavelo2-config encode [IN [OUT]]     plain text to the stored form
//   kavelo2-config decode [IN [OUT]]     the stored form to plain text
//   kavelo2-config check [IN] [--plain] [--program-dir DIR] [--modes LIST|display]
//   kavelo2-config modes                 the display's modes as the launcher lists them
//   kavelo2-config restore [--force]     the display back in the registry mode
//   kavelo2-config FILE                  check FILE --modes display
//
// check's exit statuses are those of config_check.h, restore's its own (see the usage); every
// command that did its job answers 0.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// What the tool knows of the console it runs in; all false where there is none, and on the host.
struct ToolConsole {
  bool inIsInteractive = false;  // standard input is a console a user types into
  bool outIsConsole = false;     // standard output is shown on a console
};

struct ToolStreams {
  std::FILE* in;
  std::FILE* out;
  std::FILE* err;
  ToolConsole console;
};

// The command line a lone argument stands for, as dropping a file on the program gives one: `check
// FILE --modes display` for an argument that is no command and no option; otherwise `args`
// unchanged.
std::vector<std::string> ExpandDroppedFile(const std::vector<std::string>& args);

// Where the command line names files and folders to read or write (IN, OUT, FILE, DIR), by their
// positions in `args`; standard input and output are none. On Windows each is judged by its full
// path before it is spelt in the code page (main.cpp).
std::vector<size_t> FileArguments(const std::vector<std::string>& args);

// Runs one command line (without the program name) and answers the exit status. Running out of
// memory, or any other exception of the standard library, ends it with status 2 and one line.
int RunConfigTool(const std::vector<std::string>& args, const ToolStreams& streams);
