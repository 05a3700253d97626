// The registry and drive calls behind an application's compatibility layers.
#include "tools/kavelo2-config/app_layer_registry.h"

#include "platform/win32_api.h"
#include "tools/kavelo2-config/entry_notes.h"

namespace {

// Relative to HKEY_CURRENT_USER, which 64-bit Windows does not redirect for 32-bit programs.
constexpr const char* kLayersKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(const std::string& path) {
  char letter = static_cast<char>(path.empty() ? '\0' : path[0] | 0x20);
  return path.size() >= 2 && letter >= 'a' && letter <= 'z' && path[1] == ':';
}

// "\\server\share" of the text after the two separators that begin a share's path.
std::string ShareRoot(const std::string& rest) {
  size_t server = rest.find_first_of("\\/");
  size_t share = server == std::string::npos ? std::string::npos : rest.find_first_of("\\/", server + 1);
  std::string root = "\\\\" + rest.substr(0, share);
  for (char& c : root) c = c == '/' ? '\\' : c;
  return root;
}

LayerWriteOutcome Refused(LayerWriteOutcome::Result result, const AppLayersReading& before) {
  LayerWriteOutcome outcome;
  outcome.result = result;
  outcome.before = before;
  return outcome;
}

LayerWriteOutcome Failed(LayerWriteOutcome outcome, const char* call, LONG error) {
  outcome.result = LayerWriteOutcome::Result::Failed;
  outcome.failedCall = call;
  outcome.error = error;
  return outcome;
}

LayerWriteOutcome WriteValue(const std::string& path, LayerWriteOutcome outcome) {
  HKEY key = nullptr;
  LONG created = RegCreateKeyExA(HKEY_CURRENT_USER, kLayersKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_SET_VALUE, nullptr, &key, nullptr);
  if (created != ERROR_SUCCESS) return Failed(outcome, "RegCreateKeyExA", created);
  const std::string& value = outcome.change.value;
  LONG set = RegSetValueExA(key, path.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
  if (set != ERROR_SUCCESS) return Failed(outcome, "RegSetValueExA", set);
  outcome.result = LayerWriteOutcome::Result::Written;
  return outcome;
}

LayerWriteOutcome DeleteValue(const std::string& path, LayerWriteOutcome outcome) {
  outcome.result = LayerWriteOutcome::Result::Removed;
  if (outcome.before.status != AppLayersReading::Status::Found) return outcome;
  HKEY key = nullptr;
  LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kLayersKey, 0, KEY_SET_VALUE, &key);
  if (opened != ERROR_SUCCESS) return Failed(outcome, "RegOpenKeyExA", opened);
  LONG deleted = RegDeleteValueA(key, path.c_str());
  RegCloseKey(key);
  if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return Failed(outcome, "RegDeleteValueA", deleted);
  return outcome;
}

}  // namespace

AppPlace LocateApplication(const std::string& path) {
  AppPlace place;
  bool twoSeparators = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
  // \\?\ and \\.\ name a path without the usual conversions; \\?\UNC\server\share is a share.
  bool device = twoSeparators && path.size() >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3]);
  if (twoSeparators && !device) {
    place.location = AppLocation::NetworkShare;
    place.root = ShareRoot(path.substr(2));
    return place;
  }
  std::string rest = device ? path.substr(4) : path;
  if (device && UpperAscii(rest.substr(0, 4)) == "UNC\\") {
    place.location = AppLocation::NetworkShare;
    place.root = ShareRoot(rest.substr(4));
    return place;
  }
  if (!IsDriveLetter(rest)) {
    place.location = AppLocation::NotFullPath;
    return place;
  }
  place.root = rest.substr(0, 2);
  char root[] = {rest[0], ':', '\\', '\0'};
  place.location = GetDriveTypeA(root) == DRIVE_REMOTE ? AppLocation::NetworkDrive : AppLocation::LocalDrive;
  return place;
}

AppLayersReading ReadApplicationLayers(const std::string& path) {
  using Status = AppLayersReading::Status;
  AppLayersReading reading;
  reading.place = LocateApplication(path);
  HKEY key = nullptr;
  LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kLayersKey, 0, KEY_QUERY_VALUE, &key);
  if (opened != ERROR_SUCCESS) {
    reading.status = opened == ERROR_FILE_NOT_FOUND ? Status::NoKey : Status::Failed;
    reading.error = opened;
    return reading;
  }
  // One byte beyond what is asked for, to close a stored text that lacks its NUL.
  char data[kLayerValueCapacity + 1];
  DWORD size = kLayerValueCapacity;
  LONG queried = RegQueryValueExA(key, path.c_str(), nullptr, &reading.type, reinterpret_cast<LPBYTE>(data), &size);
  RegCloseKey(key);
  if (queried == ERROR_SUCCESS && reading.type != REG_SZ) {
    reading.status = Status::NotText;
  } else if (queried == ERROR_SUCCESS) {
    data[size < kLayerValueCapacity ? size : kLayerValueCapacity] = '\0';
    reading.status = Status::Found;
    reading.value = data;
  } else {
    reading.status = queried == ERROR_FILE_NOT_FOUND ? Status::NoValue
                     : queried == ERROR_MORE_DATA    ? Status::TooLong
                                                     : Status::Failed;
    reading.error = queried;
  }
  return reading;
}

LayerWriteOutcome SetApplicationLayers(const std::string& path, const AppLayerSettings& settings,
                                       const WindowsVersion& windows) {
  using Result = LayerWriteOutcome::Result;
  using Status = AppLayersReading::Status;
  AppLayersReading before = ReadApplicationLayers(path);
  if (OnNetwork(before.place)) return Refused(Result::OnNetwork, before);
  if (before.place.location == AppLocation::NotFullPath) return Refused(Result::NotFullPath, before);
  if (before.status != Status::Found && before.status != Status::NoKey && before.status != Status::NoValue) {
    return Refused(Result::Unreadable, before);
  }
  LayerWriteOutcome outcome = Refused(Result::Unavailable, before);
  outcome.change = ComposeLayerValue(before.value, settings, windows);
  if (!outcome.change.unavailable.empty()) return outcome;
  if (outcome.change.remove) return DeleteValue(path, outcome);
  if (outcome.change.value.size() + 1 > kLayerValueCapacity) {
    outcome.result = Result::TooLong;
    return outcome;
  }
  return WriteValue(path, outcome);
}
