// The entry point of kavelo2-config; everything else is in config_tool.cpp.
#include "tools/kavelo2-config/config_tool.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // The stored form is bytes: no newline translation on the standard streams.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunConfigTool(args, {stdin, stdout, stderr});
}
