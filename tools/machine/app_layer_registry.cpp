// Reading an application's compatibility layers from the registry, and where it lies.
#include "tools/machine/app_layer_registry.h"

#include "launcher/config_file.h"
#include "platform/win32_api.h"
#include "tools/model/ascii_text.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(const std::string& path) {
  char letter = path.empty() ? '\0' : UpperAscii(path[0]);
  return path.size() >= 2 && letter >= 'A' && letter <= 'Z' && path[1] == ':';
}

// "\\server\share" of the text after the two separators that begin a share's path.
std::string ShareRoot(const std::string& rest) {
  size_t server = rest.find_first_of("\\/");
  size_t share = server == std::string::npos ? std::string::npos : rest.find_first_of("\\/", server + 1);
  return Backslashed("\\\\" + rest.substr(0, share));
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
  char data[kLayerValueCapacity];
  DWORD size = kLayerValueCapacity;
  LONG queried = RegQueryValueExA(key, path.c_str(), nullptr, &reading.type, reinterpret_cast<LPBYTE>(data), &size);
  RegCloseKey(key);
  // REG_EXPAND_SZ is text as well, as the tab reads it; its layer names hold nothing to expand.
  if (queried == ERROR_SUCCESS && reading.type != REG_SZ && reading.type != REG_EXPAND_SZ) {
    reading.status = Status::NotText;
  } else if (queried == ERROR_SUCCESS) {
    // The text is what precedes its terminating NULs; a NUL before other bytes is kept whole, so
    // that no write cuts the value there.
    std::string value(data, size < kLayerValueCapacity ? size : kLayerValueCapacity);
    value.erase(value.find_last_not_of('\0') + 1);
    reading.status = value.find('\0') == std::string::npos ? Status::Found : Status::HoldsNul;
    reading.value = value;
  } else {
    reading.status = queried == ERROR_FILE_NOT_FOUND ? Status::NoValue
                     : queried == ERROR_MORE_DATA    ? Status::TooLong
                                                     : Status::Failed;
    reading.error = queried;
  }
  return reading;
}
