// Taking a layers value apart and composing the one the Compatibility tab would store.
#include "tools/model/app_layers.h"

#include "tools/model/ascii_text.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string_view>

namespace {

struct KnownLayer {
  AppLayer layer;
  const char* name;
};

// In the order the Compatibility tab lists the settings.
constexpr KnownLayer kKnownLayers[] = {
    {AppLayer::Colour256, "256COLOR"},
    {AppLayer::Colour16Bit, "16BITCOLOR"},
    {AppLayer::Run640x480, "640X480"},
    {AppLayer::NoFullScreenOptimisations, "DISABLEDXMAXIMIZEDWINDOWEDMODE"},
};

// The marker that Windows 8 and later write before the names.
constexpr const char* kMarker = "~";

bool IsKnownLayer(const std::string& name, AppLayer& layer) {
  std::string upper = UpperAscii(name);
  auto known = std::find_if(std::begin(kKnownLayers), std::end(kKnownLayers),
                            [&upper](const KnownLayer& entry) { return upper == entry.name; });
  if (known != std::end(kKnownLayers)) layer = known->layer;
  return known != std::end(kKnownLayers);
}

// The beginnings of the compatibility modes' names ("WINXPSP3", "VISTASP2", "WIN7RTM", ...) and
// the privilege levels' names, which the tab writes at either end of the list.
bool StartsWithAny(const std::string& name, std::initializer_list<const char*> starts) {
  std::string upper = UpperAscii(name);
  return std::any_of(starts.begin(), starts.end(),
                     [&upper](const char* start) { return upper.rfind(start, 0) == 0; });
}

bool IsCompatibilityMode(const std::string& name) {
  return StartsWithAny(name, {"WIN95", "WIN98", "NT4", "WIN2000", "WINXP", "WINSRV", "VISTA", "WIN7", "WIN8"});
}

bool IsPrivilegeLevel(const std::string& name) { return StartsWithAny(name, {"RUNASADMIN", "ELEVATECREATEPROCESS"}); }

std::vector<AppLayer> LayersOfSettings(const AppLayerSettings& settings) {
  std::vector<AppLayer> layers;
  if (settings.reducedColour == ReducedColour::EightBit) layers.push_back(AppLayer::Colour256);
  if (settings.reducedColour == ReducedColour::SixteenBit) layers.push_back(AppLayer::Colour16Bit);
  if (settings.run640x480) layers.push_back(AppLayer::Run640x480);
  if (settings.noFullScreenOptimisations) layers.push_back(AppLayer::NoFullScreenOptimisations);
  return layers;
}

}  // namespace

const char* LayerName(AppLayer layer) {
  for (const KnownLayer& known : kKnownLayers) {
    if (known.layer == layer) return known.name;
  }
  return "";
}

bool LayerOffered(AppLayer layer, const WindowsVersion& windows) {
  switch (layer) {
    case AppLayer::Colour16Bit:
      return EmulatesLowDepths(windows);
    case AppLayer::NoFullScreenOptimisations:
      return windows.major > 10 || (windows.major == 10 && windows.build >= 15063);
    case AppLayer::Colour256:
    case AppLayer::Run640x480:
      break;
  }
  return true;
}

int ReducedColourBits(ReducedColour colour) {
  return colour == ReducedColour::EightBit ? 8 : colour == ReducedColour::SixteenBit ? 16 : 0;
}

ReducedColour ReducedColourFor(DWORD bits) {
  if (bits <= 8) return ReducedColour::EightBit;
  return bits <= 16 ? ReducedColour::SixteenBit : ReducedColour::Off;
}

bool OnNetwork(const AppPlace& place) {
  return place.location == AppLocation::NetworkShare || place.location == AppLocation::NetworkDrive;
}

bool NamesMediaLayers(const std::string& valueName, const std::string& onMedium) {
  constexpr std::string_view kMediaPrefix = "SIGN.MEDIA=";
  std::string_view name = valueName;
  if (!SameIgnoringAsciiCase(name.substr(0, kMediaPrefix.size()), kMediaPrefix)) return false;
  size_t blank = name.find(' ', kMediaPrefix.size());
  if (blank == std::string_view::npos || blank == kMediaPrefix.size()) return false;
  auto withoutRoot = [](std::string_view path) { return path.substr(!path.empty() && path[0] == '\\' ? 1 : 0); };
  std::string_view program = withoutRoot(onMedium);
  return !program.empty() && SameIgnoringAsciiCase(withoutRoot(name.substr(blank + 1)), program);
}

LayerValue ParseLayerValue(const std::string& value) {
  LayerValue layers;
  for (size_t start = value.find_first_not_of(' '); start != std::string::npos;) {
    size_t end = std::min(value.find(' ', start), value.size());
    std::string word = value.substr(start, end - start);
    if (word == kMarker && layers.names.empty() && !layers.marked) {
      layers.marked = true;
    } else {
      layers.names.push_back(word);
    }
    start = value.find_first_not_of(' ', end);
  }
  return layers;
}

AppLayerSettings SettingsOfLayers(const LayerValue& layers) {
  AppLayerSettings settings;
  for (const std::string& name : layers.names) {
    AppLayer layer;
    if (!IsKnownLayer(name, layer)) continue;
    bool colourSet = settings.reducedColour != ReducedColour::Off;
    if (layer == AppLayer::Colour256 && !colourSet) settings.reducedColour = ReducedColour::EightBit;
    if (layer == AppLayer::Colour16Bit && !colourSet) settings.reducedColour = ReducedColour::SixteenBit;
    if (layer == AppLayer::Run640x480) settings.run640x480 = true;
    if (layer == AppLayer::NoFullScreenOptimisations) settings.noFullScreenOptimisations = true;
  }
  return settings;
}

LayerValueChange ComposeLayerValue(const std::string& oldValue, const AppLayerSettings& settings,
                                   const WindowsVersion& windows) {
  LayerValueChange change;
  std::vector<AppLayer> wanted = LayersOfSettings(settings);
  for (AppLayer layer : wanted) {
    if (!LayerOffered(layer, windows)) change.unavailable.push_back(layer);
  }
  if (!change.unavailable.empty()) return change;

  bool laterForm = EmulatesLowDepths(windows);
  std::vector<std::string> others;
  size_t insertAt = std::string::npos;  // where the settings' layers go among `others`
  for (const std::string& name : ParseLayerValue(oldValue).names) {
    AppLayer layer;
    if (IsKnownLayer(name, layer)) {
      if (insertAt == std::string::npos) insertAt = others.size();
      continue;
    }
    others.push_back(name);
  }
  if (insertAt == std::string::npos) {
    auto tabPlace = std::find_if(others.begin(), others.end(), laterForm ? IsCompatibilityMode : IsPrivilegeLevel);
    insertAt = static_cast<size_t>(tabPlace - others.begin());
  }
  std::vector<std::string> names(others.begin(), others.begin() + static_cast<std::ptrdiff_t>(insertAt));
  for (AppLayer layer : wanted) names.emplace_back(LayerName(layer));
  names.insert(names.end(), others.begin() + static_cast<std::ptrdiff_t>(insertAt), others.end());

  change.remove = names.empty();
  if (change.remove) return change;
  change.value = laterForm ? std::string(kMarker) : std::string();
  for (const std::string& name : names) change.value += (change.value.empty() ? "" : " ") + name;
  return change;
}
