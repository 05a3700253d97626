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

void QuietEmptyDrives() {
  // The mode is asked by setting it (GetErrorMode came with Windows Vista): what the process
  // inherited stays, with the critical-error boxes off.
  UINT inherited = SetErrorMode(SEM_FAILCRITICALERRORS);
  SetErrorMode(inherited | SEM_FAILCRITICALERRORS);
}

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
  // The length from here to the end, asked before anything is read; a stream that cannot be
  // sought (a pipe, a console) answers -1, and one whose answer is not its length (a device that
  // reads endlessly answers 0) is told by what is read.
  long start = std::ftell(file);
  long end = -1;
  if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
    end = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) != 0) return false;
  }
  char chunk[4096];
  uint64_t read = 0;
  while (read <= kHeldFileBytes) {
    size_t count = std::fread(chunk, 1, std::min(sizeof(chunk), kHeldFileBytes + 1 - static_cast<size_t>(read)), file);
    if (count == 0) break;
    held.bytes.append(chunk, std::min(count, kHeldFileBytes - held.bytes.size()));
    read += count;
  }
  if (std::ferror(file) != 0) return false;
  held.size = read;
  if (read > kHeldFileBytes) {
    bool sized = start >= 0 && end >= start && static_cast<uint64_t>(end - start) >= read;
    held.size = sized ? static_cast<uint64_t>(end - start) : read;
    held.sizeKnown = sized;
  }
  return true;
}
