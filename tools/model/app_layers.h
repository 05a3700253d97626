// An application's compatibility layers, as the Compatibility tab of its Properties keeps them for
// the current user: a string value under the key
//   HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers
// named by the program's full path, whose data is a list of layer names separated by blanks
// ("256COLOR 640X480"). Windows 8 and later write it with a leading "~ " ("~ 16BITCOLOR").
// Windows applies such settings to programs on local drives only. For a program on a CD-ROM or a
// removable drive it names the value by the medium instead of the drive letter,
// "SIGN.MEDIA=<hash> <path on the medium>", with a hash of the medium that only Windows computes.
//
// Everything here is text and data; the registry is read and written in app_layer_registry.h.
#pragma once

#include "tools/model/windows_version.h"

#include <string>
#include <vector>

// The three settings that Kavelo2 Settings offers for an application.
enum class ReducedColour { Off, EightBit, SixteenBit };
struct AppLayerSettings {
  ReducedColour reducedColour = ReducedColour::Off;  // 256COLOR or 16BITCOLOR
  bool run640x480 = false;                           // 640X480
  bool noFullScreenOptimisations = false;            // DISABLEDXMAXIMIZEDWINDOWEDMODE

  bool operator==(const AppLayerSettings& other) const {
    return reducedColour == other.reducedColour && run640x480 == other.run640x480 &&
           noFullScreenOptimisations == other.noFullScreenOptimisations;
  }
  bool operator!=(const AppLayerSettings& other) const { return !(*this == other); }
};

// The layers of those settings.
enum class AppLayer { Colour256, Colour16Bit, Run640x480, NoFullScreenOptimisations };
const char* LayerName(AppLayer layer);
// Whether the Compatibility tab of this Windows version offers the layer: 256COLOR and 640X480
// since Windows XP, 16BITCOLOR since Windows 8, DISABLEDXMAXIMIZEDWINDOWEDMODE since Windows 10
// version 1703 (build 15063).
bool LayerOffered(AppLayer layer, const WindowsVersion& windows);
// The depth a reduced colour mode gives the application: 8, 16, or 0 when it is off.
int ReducedColourBits(ReducedColour colour);
// The reduced colour mode for an application that needs `bits` per pixel: 8-bit up to 8 bits,
// 16-bit up to 16, and none above, where the application gets the desktop's 32 bits.
ReducedColour ReducedColourFor(DWORD bits);

// A value taken apart: whether it carries the "~" of Windows 8 and later, and every other word
// in its order, known or not.
struct LayerValue {
  bool marked = false;
  std::vector<std::string> names;
};
LayerValue ParseLayerValue(const std::string& value);

// Which of the three settings the names hold (the first reduced colour mode when there are two).
AppLayerSettings SettingsOfLayers(const LayerValue& layers);

// What to store for the settings, given the value there is ("" for none).
struct LayerValueChange {
  bool remove = false;                // no name is left: the value is to be deleted
  std::string value;                  // otherwise the new value
  std::vector<AppLayer> unavailable;  // asked for, but not offered by this Windows version: the
                                      // change is not to be made
};

// The value the Compatibility tab of this Windows version would store: "~ " first from Windows
// 8 on, nothing before; every name of the old value that is not one of the three settings'
// layers kept in its place; the settings' layers in the tab's order, where the first of them
// stood, or else where the tab puts its settings (before the compatibility mode from Windows 8
// on, before the privilege level on earlier versions).
LayerValueChange ComposeLayerValue(const std::string& oldValue, const AppLayerSettings& settings,
                                   const WindowsVersion& windows);

// Where an application lies, as far as its compatibility layers go.
enum class AppLocation {
  LocalDrive,      // a drive letter that is none of the two below
  NetworkShare,    // \\server\share\...
  NetworkDrive,    // a drive letter mapped to a share
  RemovableMedia,  // a drive letter of a CD-ROM or removable drive: the layers are the medium's
  NotFullPath,     // neither a drive letter nor a share: not a name the layers are stored under
};
struct AppPlace {
  AppLocation location = AppLocation::LocalDrive;
  std::string root;  // "N:" or "\\server\share"; "" for NotFullPath
};
// A share or a mapped drive, where Windows applies no layer.
bool OnNetwork(const AppPlace& place);

// Whether `valueName` is the name Windows gives the layers of the program at `onMedium` on some
// medium: "SIGN.MEDIA=", a hash up to a blank, then that path with or without its leading
// backslash, compared without regard to case as the registry compares names.
bool NamesMediaLayers(const std::string& valueName, const std::string& onMedium);

// What the current user's layers value of an application is.
struct AppLayersReading {
  enum class Status {
    Found,    // `value` holds it
    HoldsNul, // `value` holds it, with a NUL byte before its end: not a list of names the tools
              // can rewrite without cutting it short
    NoKey,    // the Layers key does not exist: no program has layers
    NoValue,  // the key holds no value for the application
    TooLong,  // the value is longer than kLayerValueCapacity
    NotText,  // the value is not a string (`type`)
    Failed,   // the registry refused (`error`)
    SeveralMedia,  // on removable media: `media` values name the program's path, one for each
                   // medium it was set on, and which belongs to the medium in the drive is not known
  };
  Status status = Status::NoValue;
  std::string value;
  DWORD type = 0;
  LONG error = 0;
  AppPlace place;
  int media = 0;  // on removable media: how many values name the program's path

  // Whether the tools may rewrite the value: they read it whole, or there is none yet.
  bool Rewritable() const { return status == Status::Found || status == Status::NoKey || status == Status::NoValue; }
};

// The most a layers value may take, its terminating NUL included: what the tools read, and
// therefore what they write.
constexpr size_t kLayerValueCapacity = 1024;

// What setting an application's layers came to.
struct LayerWriteOutcome {
  enum class Result {
    Written,          // `change.value` is stored
    Removed,          // no layer is left: the value is gone (or was never there)
    OnNetwork,        // refused: Windows applies layers to programs on local drives only
    OnRemovableMedia,  // refused: Windows keeps them for the medium, under a name only it can
                       // compute, which the Compatibility tab of the program's Properties writes
    NotFullPath,      // refused: layers are stored under a program's full path
    Unreadable,       // refused: the value there cannot be read (`before`), so its other names
                      // would be lost
    Unavailable,      // refused: `change.unavailable` are not offered on this Windows version
    TooLong,          // refused: the new value would not fit kLayerValueCapacity
    Failed,           // the registry refused the change (`failedCall`, `error`)
  };
  Result result = Result::Failed;
  AppLayersReading before;
  LayerValueChange change;
  const char* failedCall = "";
  LONG error = 0;

  // The registry now holds the settings: written, or removed with no layer left.
  bool Stored() const { return result == Result::Written || result == Result::Removed; }
};
