// The system side of the simulated platform: the Windows version that ntdll reports, the types
// of drives, and the current user's registry, all served from the script in Sim().
#include "platform/sim/sim_platform.h"

#include <cstring>
#include <iterator>

namespace {

HMODULE NtdllHandle() { return reinterpret_cast<HMODULE>(static_cast<UINT_PTR>(0x7001)); }

// Open keys are numbered from 1 in the order they were opened.
constexpr UINT_PTR kKeyHandleBase = 0x8000;

HKEY KeyHandle(size_t number) { return reinterpret_cast<HKEY>(kKeyHandleBase + number); }

// The path of an open key, or null for a handle that is not one.
const std::string* OpenKeyPath(HKEY key) {
  const std::vector<std::string>& open = Sim().registry.openKeys;
  UINT_PTR value = reinterpret_cast<UINT_PTR>(key);
  if (value <= kKeyHandleBase || value - kKeyHandleBase > open.size()) return nullptr;
  const std::string& path = open[value - kKeyHandleBase - 1];
  return path.empty() ? nullptr : &path;
}

bool RegistryCallFails(const char* name) { return Sim().registry.failingCall == name; }

LONG WINAPI SimRtlGetVersion(OSVERSIONINFOW* version) {
  SimCall recording("RtlGetVersion");
  version->dwMajorVersion = Sim().windowsMajor;
  version->dwMinorVersion = Sim().windowsMinor;
  version->dwBuildNumber = Sim().windowsBuild;
  version->dwPlatformId = 2;  // VER_PLATFORM_WIN32_NT
  return 0;                   // STATUS_SUCCESS
}

// Opens (or with `create`, creates) a key of the current user's registry.
LONG OpenKey(HKEY hive, LPCSTR path, REGSAM access, bool create, PHKEY result) {
  SimRegistry& registry = Sim().registry;
  std::string name = SimCapitals(path);
  registry.openings.push_back({hive, path, access, create});
  if (RegistryCallFails(create ? "RegCreateKeyExA" : "RegOpenKeyExA")) return registry.failure;
  if (hive != HKEY_CURRENT_USER) return ERROR_ACCESS_DENIED;
  if (!create && registry.keys.count(name) == 0) return ERROR_FILE_NOT_FOUND;
  registry.keys[name];
  registry.openKeys.push_back(name);
  *result = KeyHandle(registry.openKeys.size());
  return ERROR_SUCCESS;
}

// A value's type and data as RegQueryValueExA and RegEnumValueA give them: the data's size always,
// and too small a buffer gets nothing of it.
LONG GiveValue(const SimRegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (type != nullptr) *type = value.type;
  if (size == nullptr) return ERROR_SUCCESS;
  DWORD given = *size;
  *size = static_cast<DWORD>(value.data.size());
  if (data == nullptr) return ERROR_SUCCESS;
  if (given < value.data.size()) return ERROR_MORE_DATA;
  std::memcpy(data, value.data.data(), value.data.size());
  return ERROR_SUCCESS;
}

}  // namespace

std::string SimCapitals(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

extern "C" {

void WINAPI GetNativeSystemInfo(SYSTEM_INFO* info) {
  SimCall recording("GetNativeSystemInfo");
  std::memset(info, 0, sizeof(*info));
  info->wProcessorArchitecture = Sim().processorArchitecture;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  SimCall recording("GetModuleHandleA");
  std::string module = SimCapitals(name != nullptr ? name : "");
  return module == "NTDLL.DLL" || module == "NTDLL" ? NtdllHandle() : nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  SimCall recording("GetProcAddress");
  if (module != NtdllHandle() || !Sim().hasRtlGetVersion || std::strcmp(name, "RtlGetVersion") != 0) {
    return nullptr;
  }
  // Handed out as the platform does, as a pointer of the generic type; void (*)() converts to any.
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SimRtlGetVersion));
}

UINT WINAPI GetDriveTypeA(LPCSTR root) {
  SimCall recording("GetDriveTypeA");
  Sim().driveQueries.emplace_back(root != nullptr ? root : "(null)");
  if (root == nullptr || std::strlen(root) != 3 || root[1] != ':' || root[2] != '\\') return DRIVE_NO_ROOT_DIR;
  auto scripted = Sim().driveTypes.find(SimCapitals(std::string(1, root[0]))[0]);
  return scripted != Sim().driveTypes.end() ? scripted->second : DRIVE_FIXED;
}

LONG WINAPI RegOpenKeyExA(HKEY hive, LPCSTR path, DWORD, REGSAM access, PHKEY result) {
  SimCall recording("RegOpenKeyExA");
  return OpenKey(hive, path, access, false, result);
}

LONG WINAPI RegCreateKeyExA(HKEY hive, LPCSTR path, DWORD, LPSTR, DWORD, REGSAM access,
                            SECURITY_ATTRIBUTES*, PHKEY result, LPDWORD) {
  SimCall recording("RegCreateKeyExA");
  return OpenKey(hive, path, access, true, result);
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  SimCall recording("RegQueryValueExA");
  const std::string* path = OpenKeyPath(key);
  if (path == nullptr) return ERROR_INVALID_HANDLE;
  if (RegistryCallFails("RegQueryValueExA")) return Sim().registry.failure;
  const std::map<std::string, SimRegistryValue>& values = Sim().registry.keys[*path];
  auto found = values.find(SimCapitals(name));
  if (found == values.end()) return ERROR_FILE_NOT_FOUND;
  return GiveValue(found->second, type, data, size);
}

// Values in the order of their names in capitals, as the simulated registry keeps them; the
// platform promises no order, only that indices 0, 1, ... name each value once while none changes.
LONG WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD, LPDWORD type, LPBYTE data,
                          LPDWORD size) {
  SimCall recording("RegEnumValueA");
  const std::string* path = OpenKeyPath(key);
  if (path == nullptr) return ERROR_INVALID_HANDLE;
  if (RegistryCallFails("RegEnumValueA")) return Sim().registry.failure;
  const std::map<std::string, SimRegistryValue>& values = Sim().registry.keys[*path];
  if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
  auto value = std::next(values.begin(), static_cast<std::ptrdiff_t>(index));
  // The name's buffer counts its terminating NUL; too small a one gets nothing, and its length is
  // left as it was.
  const std::string& named = value->first;
  if (*nameLength < named.size() + 1) return ERROR_MORE_DATA;
  std::memcpy(name, named.c_str(), named.size() + 1);
  *nameLength = static_cast<DWORD>(named.size());
  return GiveValue(value->second, type, data, size);
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  SimCall recording("RegSetValueExA");
  const std::string* path = OpenKeyPath(key);
  if (path == nullptr) return ERROR_INVALID_HANDLE;
  if (RegistryCallFails("RegSetValueExA")) return Sim().registry.failure;
  Sim().registry.keys[*path][SimCapitals(name)] = {type, std::string(reinterpret_cast<const char*>(data), size)};
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name) {
  SimCall recording("RegDeleteValueA");
  const std::string* path = OpenKeyPath(key);
  if (path == nullptr) return ERROR_INVALID_HANDLE;
  if (RegistryCallFails("RegDeleteValueA")) return Sim().registry.failure;
  return Sim().registry.keys[*path].erase(SimCapitals(name)) == 1 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG WINAPI RegCloseKey(HKEY key) {
  SimCall recording("RegCloseKey");
  if (OpenKeyPath(key) == nullptr) return ERROR_INVALID_HANDLE;
  Sim().registry.openKeys[reinterpret_cast<UINT_PTR>(key) - kKeyHandleBase - 1].clear();
  return ERROR_SUCCESS;
}

}  // extern "C"
