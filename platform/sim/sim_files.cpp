// The simulated file calls: they work on the host's own files as Wine shows them to a Windows
// program, with the platform's answers where a file is missing, read-only, hidden or system, or
// in the way. Each call can be scripted to fail (SimFileFailure). Only the forms the programs use
// are served: CreateFileA creates with CREATE_ALWAYS or opens for reading with OPEN_EXISTING,
// SetFilePointer moves from the file's start by a 32-bit distance, and ReplaceFileA is handed a
// backup name; any other form fails with ERROR_INVALID_PARAMETER.
#include "platform/sim/sim_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The attributes the host's file system cannot hold, kept in Sim().fileAttributes.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The handles of open files are the host's file descriptors, shifted out of the way of the
// other fake handles.
constexpr UINT_PTR kFileHandleBase = 0x100000;
HANDLE FileHandle(int descriptor) {
  return reinterpret_cast<HANDLE>(kFileHandleBase + static_cast<UINT_PTR>(descriptor));
}
int FileDescriptor(HANDLE handle) {
  return static_cast<int>(reinterpret_cast<UINT_PTR>(handle) - kFileHandleBase);
}

// Counts the call, and answers true, with the scripted code set, when the script fails it.
bool ScriptedFailure(const char* name, DWORD& error) {
  size_t occurrence = ++Sim().fileCalls[name];
  for (const SimFileFailure& failure : Sim().fileFailures) {
    if (failure.call == name && (failure.occurrence == 0 || failure.occurrence == occurrence)) {
      error = failure.error;
      Sim().lastError = error;
      return true;
    }
  }
  return false;
}
bool ScriptedFailure(const char* name) {
  DWORD error = 0;
  return ScriptedFailure(name, error);
}

// Sets the last-error code of a call that fails; false, for the calls that answer BOOL.
bool Refused(LONG error) {
  Sim().lastError = static_cast<DWORD>(error);
  return false;
}

// The host file a Windows path names, as Wine shows the host to Windows programs: drive Z: is the
// host's root, and a path without a drive letter is a host path as it stands. Another drive is not
// on this machine: false, with the platform's answer for a drive that is not ready.
bool HostPath(const char* windowsPath, std::string& host) {
  std::string path = windowsPath != nullptr ? windowsPath : "";
  bool drive = path.size() >= 2 && path[1] == ':' && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (drive && path[0] != 'Z' && path[0] != 'z') return Refused(ERROR_NOT_READY);
  host = drive ? path.substr(2) : path;
  if (drive) {
    for (char& c : host) c = c == '\\' ? '/' : c;
  }
  return true;
}

// The platform's code for a host call that failed.
DWORD HostError() {
  return errno == ENOENT ? static_cast<DWORD>(ERROR_FILE_NOT_FOUND)
         : errno == ENOTDIR ? static_cast<DWORD>(ERROR_PATH_NOT_FOUND)
                            : static_cast<DWORD>(ERROR_ACCESS_DENIED);
}

// What a host path names, with its attributes as the platform reports them, or, when it names
// nothing, the platform's code for that: ERROR_PATH_NOT_FOUND when its folder is missing too.
struct HostEntry {
  bool exists = false;
  bool folder = false;
  mode_t mode = 0;
  DWORD attributes = 0;
  DWORD missing = 0;
};

HostEntry Look(const std::string& host) {
  HostEntry entry;
  struct stat status;
  if (stat(host.c_str(), &status) != 0) {
    if (errno != ENOENT) {
      entry.missing = HostError();
      return entry;
    }
    size_t slash = host.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : host.substr(0, slash == 0 ? 1 : slash);
    bool folderThere = stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    entry.missing = static_cast<DWORD>(folderThere ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return entry;
  }
  entry.exists = true;
  entry.folder = S_ISDIR(status.st_mode);
  entry.mode = status.st_mode;
  DWORD attributes = entry.folder ? FILE_ATTRIBUTE_DIRECTORY : 0;
  // The owner's write permission stands for the read-only attribute.
  if ((status.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  auto kept = Sim().fileAttributes.find(host);
  if (kept != Sim().fileAttributes.end()) attributes |= kept->second;
  // FILE_ATTRIBUTE_NORMAL stands only alone.
  entry.attributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  return entry;
}

// The start of a call on one path that must name something: the call counted (and failed where
// scripted), the host path, and what is there; false, with the platform's code, where nothing is.
bool Existing(const char* call, LPCSTR name, std::string& host, HostEntry& entry) {
  if (ScriptedFailure(call) || !HostPath(name, host)) return false;
  entry = Look(host);
  return entry.exists || Refused(static_cast<LONG>(entry.missing));
}

bool ReadOnly(const HostEntry& entry) { return (entry.attributes & FILE_ATTRIBUTE_READONLY) != 0; }

void Keep(const std::string& host, DWORD attributes) {
  attributes &= kKeptAttributes;
  if (attributes != 0) {
    Sim().fileAttributes[host] = attributes;
  } else {
    Sim().fileAttributes.erase(host);
  }
}

// A rename on the host, a file at the target replaced; the kept attributes go along.
bool Rename(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return false;
  DWORD kept = Sim().fileAttributes.count(from) != 0 ? Sim().fileAttributes[from] : 0;
  Sim().fileAttributes.erase(from);
  Keep(to, kept);
  return true;
}

// OPEN_EXISTING with GENERIC_READ: like the platform, a file that is not there answers its
// missing code, and a folder (without FILE_FLAG_BACKUP_SEMANTICS) or a file that may not be read
// ERROR_ACCESS_DENIED.
HANDLE OpenForReading(const std::string& host) {
  HostEntry entry = Look(host);
  if (!entry.exists) {
    Refused(static_cast<LONG>(entry.missing));
    return INVALID_HANDLE_VALUE;
  }
  int descriptor = entry.folder ? -1 : open(host.c_str(), O_RDONLY);
  if (descriptor < 0) {
    Refused(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  Sim().lastError = 0;
  return FileHandle(descriptor);
}

}  // namespace

bool SimIsNoProgram(const char* windowsPath) {
  std::string host;
  DWORD kept = Sim().lastError;
  bool onHost = HostPath(windowsPath, host);
  Sim().lastError = kept;
  if (!onHost) return false;
  char head[2] = {};
  std::FILE* file = std::fopen(host.c_str(), "rb");
  if (file == nullptr) return false;
  size_t read = std::fread(head, 1, sizeof(head), file);
  std::fclose(file);
  struct stat status{};
  bool regular = stat(host.c_str(), &status) == 0 && S_ISREG(status.st_mode);
  return regular && (read < 2 || head[0] != 'M' || head[1] != 'Z');
}


bool SimIsFileHandle(HANDLE handle) {
  UINT_PTR value = reinterpret_cast<UINT_PTR>(handle);
  return value >= kFileHandleBase && value < kFileHandleBase + 0x10000;
}

BOOL SimCloseFile(HANDLE handle) { return close(FileDescriptor(handle)) == 0; }

extern "C" {

// CREATE_ALWAYS: like the platform, writing over an existing file only where that may be written
// and where the caller asks for the hidden and system attributes it has; otherwise
// ERROR_ACCESS_DENIED. On success the last-error code says whether the file existed.
HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD, SECURITY_ATTRIBUTES*, DWORD disposition,
                          DWORD flagsAndAttributes, HANDLE) {
  SimCall recording("CreateFileA");
  std::string host;
  if (ScriptedFailure("CreateFileA") || !HostPath(name, host)) return INVALID_HANDLE_VALUE;
  if (disposition == OPEN_EXISTING && access == GENERIC_READ) return OpenForReading(host);
  if (disposition != CREATE_ALWAYS) {
    Refused(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  HostEntry entry = Look(host);
  DWORD asked = flagsAndAttributes & kKeptAttributes;
  if (entry.exists && (entry.folder || ReadOnly(entry) || (entry.attributes & kKeptAttributes & ~asked) != 0)) {
    Refused(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  int descriptor = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (descriptor < 0) {
    Refused(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  Keep(host, asked);
  Sim().lastError = entry.exists ? static_cast<DWORD>(ERROR_ALREADY_EXISTS) : 0;
  return FileHandle(descriptor);
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, OVERLAPPED*) {
  SimCall recording("WriteFile");
  *written = 0;
  if (ScriptedFailure("WriteFile")) return FALSE;
  ssize_t count = write(FileDescriptor(file), data, size);
  if (count < 0) return Refused(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED);
  *written = static_cast<DWORD>(count);
  return TRUE;
}

// Like the platform for a synchronous file: as many bytes as the file holds from its pointer, none
// at its end, which is no failure.
BOOL WINAPI ReadFile(HANDLE file, LPVOID data, DWORD size, LPDWORD read, OVERLAPPED*) {
  SimCall recording("ReadFile");
  *read = 0;
  if (ScriptedFailure("ReadFile")) return FALSE;
  ssize_t count = ::read(FileDescriptor(file), data, size);
  if (count < 0) return Refused(ERROR_ACCESS_DENIED);
  *read = static_cast<DWORD>(count);
  return TRUE;
}

// FILE_BEGIN without a high half: the new position, which may lie past the file's end; a negative
// distance is refused with ERROR_NEGATIVE_SEEK.
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LONG* high, DWORD method) {
  SimCall recording("SetFilePointer");
  if (ScriptedFailure("SetFilePointer")) return INVALID_SET_FILE_POINTER;
  if (high != nullptr || method != FILE_BEGIN) {
    Refused(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (distance < 0) {
    Refused(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  if (lseek(FileDescriptor(file), distance, SEEK_SET) < 0) {
    Refused(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  return static_cast<DWORD>(distance);
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
  SimCall recording("FlushFileBuffers");
  if (ScriptedFailure("FlushFileBuffers")) return FALSE;
  if (fsync(FileDescriptor(file)) != 0) return Refused(ERROR_ACCESS_DENIED);
  ++Sim().flushes;
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR name) {
  SimCall recording("GetFileAttributesA");
  std::string host;
  HostEntry entry;
  return Existing("GetFileAttributesA", name, host, entry) ? entry.attributes : INVALID_FILE_ATTRIBUTES;
}

// Read-only, hidden and system, or FILE_ATTRIBUTE_NORMAL for none.
BOOL WINAPI SetFileAttributesA(LPCSTR name, DWORD attributes) {
  SimCall recording("SetFileAttributesA");
  std::string host;
  HostEntry entry;
  if (!Existing("SetFileAttributesA", name, host, entry)) return FALSE;
  mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? entry.mode & ~static_cast<mode_t>(0222)
                                                             : entry.mode | S_IWUSR;
  if (chmod(host.c_str(), mode & 07777) != 0) return Refused(ERROR_ACCESS_DENIED);
  Keep(host, attributes);
  return TRUE;
}

// Like the platform: a read-only file or a folder is not deleted.
BOOL WINAPI DeleteFileA(LPCSTR name) {
  SimCall recording("DeleteFileA");
  std::string host;
  HostEntry entry;
  if (!Existing("DeleteFileA", name, host, entry)) return FALSE;
  if (entry.folder || ReadOnly(entry) || unlink(host.c_str()) != 0) return Refused(ERROR_ACCESS_DENIED);
  Sim().fileAttributes.erase(host);
  return TRUE;
}

// Like the platform: a full path in Windows form. A host path names its host file on drive Z:; a
// path on another drive is already full.
DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD size, LPSTR full, LPSTR* filePart) {
  SimCall recording("GetFullPathNameA");
  if (filePart != nullptr) *filePart = nullptr;
  std::string host, result;
  if (!HostPath(name, host)) {
    result = name;
  } else {
    char resolved[4096];
    if (realpath(host.c_str(), resolved) == nullptr) {
      Sim().lastError = HostError();
      return 0;
    }
    result = "Z:" + std::string(resolved);
    for (char& c : result) c = c == '/' ? '\\' : c;
  }
  if (result.size() >= size) return static_cast<DWORD>(result.size() + 1);
  std::memcpy(full, result.c_str(), result.size() + 1);
  return static_cast<DWORD>(result.size());
}

// Like the platform: a file at the target stays, with ERROR_ALREADY_EXISTS, unless
// MOVEFILE_REPLACE_EXISTING asks to replace it, which a read-only file or a folder refuses.
BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags) {
  SimCall recording("MoveFileExA");
  Sim().moveFlags.push_back(flags);
  std::string from, to;
  if (ScriptedFailure("MoveFileExA") || !HostPath(existing, from) || !HostPath(target, to)) return FALSE;
  HostEntry source = Look(from);
  if (!source.exists) return Refused(static_cast<LONG>(source.missing));
  HostEntry there = Look(to);
  if (there.exists && (flags & MOVEFILE_REPLACE_EXISTING) == 0) return Refused(ERROR_ALREADY_EXISTS);
  if (there.exists && (there.folder || ReadOnly(there))) return Refused(ERROR_ACCESS_DENIED);
  return Rename(from, to) ? TRUE : Refused(ERROR_ACCESS_DENIED);
}

// Like the platform with a backup name: the replacement takes the replaced file's attributes, the
// replaced file goes to the backup name (a file there is written over) and the replacement takes
// its place. The replaced file must be writable. A scripted ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
// leaves what the platform leaves (the replaced file under the backup name, the replacement under
// its own with the replaced file's attributes); any other scripted failure changes nothing.
BOOL WINAPI ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID, LPVOID) {
  SimCall recording("ReplaceFileA");
  Sim().replaceFlags.push_back(flags);
  DWORD scripted = 0;
  bool fails = ScriptedFailure("ReplaceFileA", scripted);
  std::string target, source, aside;
  if (!HostPath(replaced, target) || !HostPath(replacement, source)) return FALSE;
  if (backup == nullptr) return Refused(ERROR_INVALID_PARAMETER);
  // REPLACEFILE_IGNORE_ACL_ERRORS (4) came with Windows Vista; REPLACEFILE_WRITE_THROUGH (1) is
  // documented as not supported.
  if ((flags & ~(SimWindowsAtLeast(6, 0) ? 0x6u : 0x2u)) != 0) return Refused(ERROR_INVALID_PARAMETER);
  if (!HostPath(backup, aside)) return FALSE;
  HostEntry old = Look(target), fresh = Look(source), there = Look(aside);
  if (fails) {
    if (scripted == static_cast<DWORD>(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) && old.exists && fresh.exists) {
      Keep(source, old.attributes);
      Rename(target, aside);
    }
    return Refused(static_cast<LONG>(scripted));
  }
  if (!old.exists) return Refused(static_cast<LONG>(old.missing));
  if (!fresh.exists) return Refused(static_cast<LONG>(fresh.missing));
  if (old.folder || fresh.folder || ReadOnly(old) || (there.exists && (there.folder || ReadOnly(there)))) {
    return Refused(ERROR_ACCESS_DENIED);
  }
  Keep(source, old.attributes);
  if (!Rename(target, aside)) {
    Keep(source, fresh.attributes);
    return Refused(ERROR_UNABLE_TO_REMOVE_REPLACED);
  }
  return Rename(source, target) ? TRUE : Refused(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
}

}  // extern "C"
