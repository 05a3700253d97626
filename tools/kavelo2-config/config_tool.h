// kavelo2-config: writes, reads and checks the launcher's configuration file with the launcher's
// own code.
//
//   kavelo2-config encode [IN [OUT]]     plain text to the stored form
//   kavelo2-config decode [IN [OUT]]     the stored form to plain text
//   kavelo2-config check [IN] [--plain] [--program-dir DIR] [--modes LIST|display]
//   kavelo2-config modes                 the display's modes as the launcher lists them
//
// Exit status 0 when the launcher would go on to start the application (and for every command
// that did its job), 1 when the file makes the launcher stop, 2 for usage and I/O errors.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct ToolStreams {
  std::FILE* in;
  std::FILE* out;
  std::FILE* err;
};

// Runs one command line (without the program name) and answers the exit status.
int RunConfigTool(const std::vector<std::string>& args, const ToolStreams& streams);
