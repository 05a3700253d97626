// Folder names, file probes and held reads: the one place where the tools ask the machine's file
// system.
#include "tools/machine/files.h"

#include "launcher/path_text.h"
#include "platform/win32_api.h"

#include <algorithm>

#ifndef _WIN32
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#endif

namespace {

std::string WithBackslashes(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string EndingInBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

}  // namespace

#ifdef _WIN32

std::string FullFolder(const std::string& folder) {
  char full[kPathCapacity];
  DWORD length = GetFullPathNameA(folder.c_str(), kPathCapacity, full, nullptr);
  return EndingInBackslash(length > 0 && length < kPathCapacity ? std::string(full, length)
                                                                : WithBackslashes(folder));
}

PathKind ProbePath(const std::string& windowsPath) {
  DWORD attributes = GetFileAttributesA(windowsPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
}

#else

std::string FullFolder(const std::string& folder) {
  char full[PATH_MAX];
  struct stat status;
  if (realpath(folder.c_str(), full) == nullptr || stat(full, &status) != 0 || !S_ISDIR(status.st_mode)) {
    return EndingInBackslash(WithBackslashes(folder));
  }
  return EndingInBackslash("Z:" + WithBackslashes(full));
}

PathKind ProbePath(const std::string& windowsPath) {
  if (windowsPath.size() < 3 || (windowsPath[0] != 'Z' && windowsPath[0] != 'z') ||
      windowsPath[1] != ':' || windowsPath[2] != '\\') {
    return PathKind::Unknown;
  }
  std::string hostPath = windowsPath.substr(2);
  for (char& c : hostPath) {
    if (c == '\\') c = '/';
  }
  struct stat status;
  if (stat(hostPath.c_str(), &status) != 0) return PathKind::Missing;
  return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::File;
}

#endif

bool ReadHeldBytes(std::FILE* file, HeldBytes& held) {
  held = HeldBytes();
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
    held.bytes.append(chunk, std::min(count, kHeldFileBytes - held.bytes.size()));
    held.size += count;
  }
  return std::ferror(file) == 0;
}
