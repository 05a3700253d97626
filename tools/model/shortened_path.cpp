// Shortening a path in its middle.
#include "tools/model/shortened_path.h"

std::string ShortenedPath(const std::string& path, size_t width) {
  const std::string ellipsis = "...";
  if (path.size() <= width) return path;
  if (width <= ellipsis.size()) return ellipsis.substr(0, width);
  size_t separator = path.find_last_of("\\/");
  bool separated = separator != std::string::npos;
  std::string name = separated ? path.substr(separator + 1) : path;
  // The start, "..." and the last component with its separator, when they fit; else only the file
  // name is left to show: whole after "..." when it fits, else its start.
  if (separated && name.size() + 1 + ellipsis.size() <= width) {
    return path.substr(0, width - ellipsis.size() - name.size() - 1) + ellipsis + path.substr(separator);
  }
  if (separated && name.size() + ellipsis.size() <= width) return ellipsis + name;
  return name.substr(0, width - ellipsis.size()) + ellipsis;
}
