// Reading an application's compatibility layers from the registry, and where it lies.
#include "tools/machine/app_layer_registry.h"

#include "launcher/config_file.h"
#include "launcher/path_text.h"
#include "platform/win32_api.h"
#include "tools/model/ascii_text.h"

namespace {

// Room for the name of a medium's value: "SIGN.MEDIA=", the medium's hash and the path of a
// program on it, which the launcher holds in fewer than kPathCapacity characters.
constexpr DWORD kMediaNameCapacity = 2 * kPathCapacity;

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

// The value `name` of the open Layers key into `reading`.
void QueryLayers(HKEY key, const std::string& name, AppLayersReading& reading) {
  using Status = AppLayersReading::Status;
  char data[kLayerValueCapacity];
  DWORD size = kLayerValueCapacity;
  LONG queried = RegQueryValueExA(key, name.c_str(), nullptr, &reading.type, reinterpret_cast<LPBYTE>(data), &size);
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
}

// The value Windows keeps for the program at `onMedium` on removable media, found by its name
// among the key's values: none, one, or one for each medium the program was set on, which cannot
// be told apart.
void QueryMediaLayers(HKEY key, const std::string& onMedium, AppLayersReading& reading) {
  using Status = AppLayersReading::Status;
  std::string found;
  for (DWORD index = 0;; ++index) {
    char name[kMediaNameCapacity];
    DWORD length = kMediaNameCapacity;
    LONG listed = RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (listed == ERROR_NO_MORE_ITEMS) break;
    // A longer name is no program's that the launcher can name: it is passed over.
    if (listed == ERROR_MORE_DATA) continue;
    if (listed != ERROR_SUCCESS) {
      reading.status = Status::Failed;
      reading.error = listed;
      return;
    }
    std::string valueName(name, length < kMediaNameCapacity ? length : kMediaNameCapacity - 1);
    if (!NamesMediaLayers(valueName, onMedium)) continue;
    if (++reading.media == 1) found = valueName;
  }
  if (reading.media == 1) {
    QueryLayers(key, found, reading);
  } else {
    reading.status = reading.media == 0 ? Status::NoValue : Status::SeveralMedia;
  }
}

}  // namespace

AppPlace LocateApplication(const std::string& path) {
  AppPlace place;
  bool twoSeparators = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
  // \\?\ and \\.\ name a path without the usual conversions; \\?\UNC\server\share is a share.
  bool device = twoSeparators && path.size() >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3]);
  std::string rest = device ? path.substr(4) : path;
  bool deviceShare = device && UpperAscii(rest.substr(0, 4)) == "UNC\\";
  if ((twoSeparators && !device) || deviceShare) {
    place.location = AppLocation::NetworkShare;
    place.root = ShareRoot(deviceShare ? rest.substr(4) : path.substr(2));
    return place;
  }
  if (!IsDriveLetter(rest)) {
    place.location = AppLocation::NotFullPath;
    return place;
  }
  place.root = rest.substr(0, 2);
  char root[] = {rest[0], ':', '\\', '\0'};
  UINT type = GetDriveTypeA(root);
  if (type == DRIVE_REMOTE) {
    place.location = AppLocation::NetworkDrive;
  } else if (type == DRIVE_CDROM || type == DRIVE_REMOVABLE) {
    place.location = AppLocation::RemovableMedia;
  }
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
  if (reading.place.location == AppLocation::RemovableMedia) {
    // The path on the medium follows the drive letter's colon, the first colon of such a path.
    QueryMediaLayers(key, path.substr(path.find(':') + 1), reading);
  } else {
    QueryLayers(key, path, reading);
  }
  RegCloseKey(key);
  return reading;
}
