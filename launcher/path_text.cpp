// Joining path parts into a fixed field without ever cutting them short.
#include "launcher/path_text.h"

#include <cstring>

bool ComposePath(PathText& path, std::initializer_list<std::string_view> parts) {
  size_t length = 0;
  for (std::string_view part : parts) length += part.size();
  if (length >= kPathCapacity) return false;
  char* end = path;
  for (std::string_view part : parts) {
    if (part.empty()) continue;
    std::memcpy(end, part.data(), part.size());
    end += part.size();
  }
  *end = '\0';
  return true;
}
