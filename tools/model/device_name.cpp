// The device names Windows reserves, as the tools tell them apart from file names.
#include "tools/model/device_name.h"

#include "tools/model/ascii_text.h"

std::string ReservedDeviceName(const std::string& path) {
  std::string name = path.substr(path.find_last_of("/\\:") + 1);  // the whole path where it has no separator
  name = UpperAscii(name.substr(0, name.find('.')));
  name.erase(name.find_last_not_of(' ') + 1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (name == device) return name;
  }
  bool numbered = name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0);
  return numbered && name[3] >= '1' && name[3] <= '9' ? name : "";
}
