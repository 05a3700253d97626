// Folder names, file probes and held reads: the one place where the tools ask the machine's file
// system.
#include "tools/machine/files.h"

#include "launcher/path_text.h"
#include "platform/win32_api.h"
#include "tools/model/ascii_text.h"

#include <algorithm>

namespace {

std::string EndingInBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

}  // namespace

std::string FullFolder(const std::string& folder) {
  char full[kPathCapacity];
  DWORD length = GetFullPathNameA(folder.c_str(), kPathCapacity, full, nullptr);
  return EndingInBackslash(length > 0 && length < kPathCapacity ? std::string(full, length)
                                                                : Backslashed(folder));
}

PathKind ProbePath(const std::string& windowsPath) {
  DWORD attributes = GetFileAttributesA(windowsPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
  }
  // Only a path that is not there is missing; a drive that is not ready or cannot be reached
  // says nothing about the file.
  DWORD error = GetLastError();
  bool absent = error == static_cast<DWORD>(ERROR_FILE_NOT_FOUND) || error == static_cast<DWORD>(ERROR_PATH_NOT_FOUND);
  return absent ? PathKind::Missing : PathKind::Unknown;
}

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
