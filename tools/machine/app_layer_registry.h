// The current user's compatibility layers of an application in the registry: read, written and
// deleted under HKEY_CURRENT_USER only, with the user's own rights (no other hive, no
// elevation), and where the application lies. The values themselves are app_layers.h's.
#pragma once

#include "tools/model/app_layers.h"

#include <string>

// The current user's layers, relative to HKEY_CURRENT_USER, which 64-bit Windows does not
// redirect for 32-bit programs.
constexpr const char* kLayersKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

// Where `path` lies: a share by its name, a drive letter by GetDriveTypeA.
AppPlace LocateApplication(const std::string& path);

// The current user's layers value of the application at `path` (a full path), and its place. For
// a program on removable media, the one value whose name is the medium's for its path.
AppLayersReading ReadApplicationLayers(const std::string& path);

// Gives the application at `path` exactly these three settings, in the form the Compatibility
// tab of `windows` writes, keeping every other layer name of its value.
LayerWriteOutcome SetApplicationLayers(const std::string& path, const AppLayerSettings& settings,
                                       const WindowsVersion& windows);
