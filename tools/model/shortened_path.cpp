// Shortening a path in its middle.
#include "tools/model/shortened_path.h"

namespace {

constexpr const char* kEllipsis = "...";
constexpr size_t kEllipsisLength = 3;

}  // namespace

std::string ShortenedPath(const std::string& path, size_t width) {
  if (path.size() <= width) return path;
  if (width <= kEllipsisLength) return std::string(kEllipsis).substr(0, width);
  size_t separator = path.find_last_of("\\/");
  std::string last = separator == std::string::npos ? path : path.substr(separator);
  if (separator == std::string::npos || last.size() + kEllipsisLength > width) {
    // Only the file name is left to show: whole after "..." when it fits, else its start.
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    if (separator != std::string::npos && name.size() + kEllipsisLength <= width) return kEllipsis + name;
    return name.substr(0, width - kEllipsisLength) + kEllipsis;
  }
  return path.substr(0, width - kEllipsisLength - last.size()) + kEllipsis + last;
}
